// The system's own sentence for an error code, as Velt's messages quote it.
#pragma once
#include <string>

namespace velt::platform {

// FormatMessageA's text for `code` ("Access is denied."), without the
// trailing line break; "I/O error <code>" when the system has none.
std::string SystemErrorReason(unsigned long code);

// The same for GetLastError().
std::string LastErrorReason();

} // namespace velt::platform
