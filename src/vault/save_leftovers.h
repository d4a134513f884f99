// The temporary files of Save: "<vault>.<pid in hex>-<n>.tmp" beside the
// vault. A save that was cut short (the process killed) leaves one behind,
// as large as the vault; the next start removes it.
#pragma once
#include <string>
#include <string_view>

namespace velt {

// The temporary file name Save tries as its n-th candidate.
std::string SaveTempName(const std::string& target, unsigned long processId, unsigned n);

// True when `name` (a bare file name) is one of SaveTempName's names for
// the vault file named `vaultName`. Letters compare without case, as
// Windows compares file names.
bool IsSaveTempName(std::string_view vaultName, std::string_view name);
// The process id in such a name; 0 when `name` is none of them.
unsigned long SaveTempProcessId(std::string_view vaultName, std::string_view name);

// True while process `processId` is another process running an executable
// of this process's file name (another Velt, which may be between its
// save's Close and Replace). Also true when that cannot be told. Windows only.
bool IsOtherRunningVelt(unsigned long processId) noexcept;

// Deletes every such file beside `vaultPath` whose writer is not another
// running Velt; one that a Velt is still writing cannot be deleted (its
// writer shares nothing) and stays. Returns how many were removed.
// Implemented for Windows only.
int RemoveSaveLeftovers(const std::string& vaultPath) noexcept;

} // namespace velt
