#include "vault/settings.h"

#include "core/text.h"

namespace velt {

int ParseSettingNumber(std::string_view value, int lo, int hi, int fallback) {
    value = TrimBlanks(value);
    if (value.empty() || value.size() > 9) return fallback;
    int n = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return fallback;
        n = n * 10 + (c - '0');
    }
    return n < lo || n > hi ? fallback : n;
}

Settings ParseSettings(std::string_view text) {
    Settings s;
    const Settings defaults;
    std::string_view section;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = TrimBlanks(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            section = close == std::string_view::npos ? std::string_view() : TrimBlanks(line.substr(1, close - 1));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = TrimBlanks(line.substr(0, eq));
        const std::string_view value = line.substr(eq + 1);
        if (SameAsciiNoCase(section, "Lock")) {
            if (SameAsciiNoCase(key, "IdleMinutes"))
                s.idleMinutes = ParseSettingNumber(value, 0, kMaxIdleMinutes, defaults.idleMinutes);
            else if (SameAsciiNoCase(key, "OnSessionLock"))
                s.onSessionLock = ParseSettingNumber(value, 0, 1, defaults.onSessionLock) != 0;
            else if (SameAsciiNoCase(key, "OnMinimize"))
                s.onMinimize = ParseSettingNumber(value, 0, 1, defaults.onMinimize) != 0;
        } else if (SameAsciiNoCase(section, "Backup") && SameAsciiNoCase(key, "Keep")) {
            s.keep = ParseSettingNumber(value, 0, 9, defaults.keep);
        } else if (SameAsciiNoCase(section, "AutoType")) {
            if (SameAsciiNoCase(key, "Hotkey")) {
                const std::string_view text = TrimBlanks(value);
                if (text.empty()) s.hotkey.clear();
                else if (const auto hotkey = ParseHotkey(text)) s.hotkey = FormatHotkey(*hotkey);
                else s.hotkey = defaults.hotkey;
            } else if (SameAsciiNoCase(key, "Sequence")) {
                const std::string_view text = TrimBlanks(value);
                s.sequence = text.empty() ? defaults.sequence : std::string(text);
            } else if (SameAsciiNoCase(key, "KeyDelayMs")) {
                s.keyDelayMs = ParseSettingNumber(value, 0, kMaxKeyDelayMs, defaults.keyDelayMs);
            } else if (SameAsciiNoCase(key, "Confirm")) {
                s.confirm = ParseSettingNumber(value, 0, 1, defaults.confirm) != 0;
            } else if (SameAsciiNoCase(key, "Keys")) {
                s.keysLayout = SameAsciiNoCase(TrimBlanks(value), "Layout");
            }
        } else if (SameAsciiNoCase(section, "CharacterBoxes") && SameAsciiNoCase(key, "TabAfterEach")) {
            s.tabAfterEachCharacter = ParseSettingNumber(value, 0, 1, 0) != 0;
        } else if (SameAsciiNoCase(section, "Strong") && SameAsciiNoCase(key, "HistoryKeep")) {
            s.historyKeep = ParseSettingNumber(value, 0, kHistoryKeepMax, defaults.historyKeep);
        } else if (SameAsciiNoCase(section, "ConflictCopies") && SameAsciiNoCase(key, "Declined")) {
            if (!TrimBlanks(value).empty()) s.declinedCopies.emplace_back(TrimBlanks(value));
        } else if (SameAsciiNoCase(section, "Vault") && SameAsciiNoCase(key, "Strong")) {
            s.vaultStrong = ParseSettingNumber(value, 0, 1, defaults.vaultStrong) != 0;
        }
    }
    return s;
}

std::string FormatSettings(const Settings& s) {
    std::string text = "[Lock]\r\nIdleMinutes=" + std::to_string(s.idleMinutes) + "\r\nOnSessionLock=" +
                       (s.onSessionLock ? "1" : "0") + "\r\nOnMinimize=" + (s.onMinimize ? "1" : "0") +
                       "\r\n[Backup]\r\nKeep=" + std::to_string(s.keep) + "\r\n[AutoType]\r\nHotkey=" + s.hotkey +
                       "\r\nSequence=" + s.sequence + "\r\nKeyDelayMs=" + std::to_string(s.keyDelayMs) + "\r\n";
    if (s.confirm) text += "Confirm=1\r\n";
    if (s.keysLayout) text += "Keys=Layout\r\n";
    if (s.vaultStrong) text += "[Vault]\r\nStrong=1\r\n";
    if (s.tabAfterEachCharacter) text += "[CharacterBoxes]\r\nTabAfterEach=1\r\n";
    if (s.historyKeep != kHistoryKeepDefault) text += "[Strong]\r\nHistoryKeep=" + std::to_string(s.historyKeep) + "\r\n";
    if (!s.declinedCopies.empty()) text += "[ConflictCopies]\r\n";
    for (const std::string& copy : s.declinedCopies) text += "Declined=" + copy + "\r\n";
    return text;
}

void WriteSettings(SaveFileOps& ops, const std::string& path, const Settings& settings) {
    SaveVaultImage(ops, path, FormatSettings(settings));
}

} // namespace velt
