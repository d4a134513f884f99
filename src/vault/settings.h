// velt.ini beside velt.exe: when the vault locks, how many backups Save
// keeps, and whether the vault was last strong. A plain INI the user may edit; anything missing or damaged reads as
// its default, so reading never fails.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "core/hotkey.h"
#include "vault/entry_items.h"
#include "vault/vault_save.h"

namespace velt {

struct Settings {
    int idleMinutes = 5;        // 0: never; at most 1440
    bool onSessionLock = true;  // Windows locks, the console disconnects, sleep
    bool onMinimize = false;
    int keep = 3;               // backups, 0 to 9
    // [Vault] Strong: this folder's vault was last read or saved strong, so
    // finding it in the compatible format is worth a warning. Not a choice
    // of the dialog.
    bool vaultStrong = false;
    // [AutoType]: the shortcut as written ("" turns it off), what is typed,
    // the pause after each key, whether the chooser shows even for one
    // match (Confirm), and whether characters go as the target's layout
    // types them (Keys=Layout) rather than as Unicode packets; those two
    // are written only when set.
    std::string hotkey = kDefaultHotkey;
    std::string sequence = kDefaultAutoTypeSequence;
    int keyDelayMs = 10;
    bool confirm = false;
    bool keysLayout = false;
    // [CharacterBoxes] TabAfterEach: the bank's character boxes take a Tab
    // after each character typed. Written only when on.
    bool tabAfterEachCharacter = false;
    // [Strong] HistoryKeep: old passwords kept per entry of a strong vault,
    // 0 to 100. Written only when not the default.
    int historyKeep = kHistoryKeepDefault;
    // [ConflictCopies] Declined, one line each: the sync services' copies of
    // the vault the user would not merge, as "name|size|write time", so
    // that they are offered again only once they change.
    std::vector<std::string> declinedCopies;

    bool operator==(const Settings& o) const {
        return idleMinutes == o.idleMinutes && onSessionLock == o.onSessionLock && onMinimize == o.onMinimize &&
               keep == o.keep && hotkey == o.hotkey && sequence == o.sequence && keyDelayMs == o.keyDelayMs &&
               confirm == o.confirm && keysLayout == o.keysLayout &&
               tabAfterEachCharacter == o.tabAfterEachCharacter && historyKeep == o.historyKeep &&
               declinedCopies == o.declinedCopies;
    }
};

constexpr int kMaxIdleMinutes = 1440;
constexpr int kMaxKeyDelayMs = 1000;


// The settings in `text`; each value that is missing, not a whole number or
// out of range keeps its default.
Settings ParseSettings(std::string_view text);
// The INI text of `settings`, CR LF line ends.
std::string FormatSettings(const Settings& settings);
// Whole decimal number in [lo, hi] (blanks around it allowed), else `fallback`.
int ParseSettingNumber(std::string_view value, int lo, int hi, int fallback);

// Writes `settings` to `path` as Save writes the vault: temporary file,
// flush, replace. Raises EFileCreateError naming the file and the reason.
void WriteSettings(SaveFileOps& ops, const std::string& path, const Settings& settings);

} // namespace velt
