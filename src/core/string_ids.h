// Numbers of the program's string resources (see strings.def).
#pragma once

#define VELT_STRING(name, number, text) name = number,
enum VeltStringId : int {
#include "core/strings.def"
};
#undef VELT_STRING
