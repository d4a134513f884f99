// The embedded-file marker. It is loaded from the executable file unchanged,
// so the build writes the table position behind the text in the file and
// the program reads it here. Volatile, so the compiler neither folds the
// (at compile time zero) position nor drops the array.
#include <cstdint>

#include "i18n/system_access_win.h"

extern "C" __attribute__((used)) const volatile unsigned char velt_embedded_file_marker[44] =
    "F1D9D3E3-E45B-48C9-AB4E-0533E488CB94";

namespace velt::i18n {

std::uint64_t EmbeddedTablePosition() {
    std::uint64_t position = 0;
    for (int k = 7; k >= 0; --k) position = (position << 8) | velt_embedded_file_marker[36 + k];
    return position;
}

} // namespace velt::i18n
