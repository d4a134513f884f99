// The file to import, read whole (Win32).
#pragma once
#include <string>

namespace velt::import {

// The bytes of `path`, opened for reading while others may read, write or
// delete it. Throws EImportError naming the file when it cannot be opened or
// read, or is larger than kMaxImportFileSize; what was read is then wiped.
std::string ReadImportFile(const std::string& path);

} // namespace velt::import
