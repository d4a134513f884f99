// Functions of system libraries that only some commands need (the Save
// dialog's, the shell's), found on first use instead of at start-up: every
// library imported by the executable is loaded, with what it pulls in,
// before the first window can show.
#pragma once
#include <windows.h>

namespace velt::platform {

// The function `proc` of the system library `dll` (loaded from the system
// directory, never from the program's or the current one, and kept loaded).
// Raises Exception with the system's reason when either cannot be found.
FARPROC SystemProc(const char* dll, const char* proc);

template <typename Function>
Function* SystemFunction(const char* dll, const char* proc) {
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(SystemProc(dll, proc)));
}

} // namespace velt::platform
