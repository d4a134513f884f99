#include "vault/settings.h"

#include <gtest/gtest.h>

namespace velt {
namespace {

// Each damaged value falls back to its own default and leaves the others.
TEST(Settings, ReadsWhatIsSoundAndDefaultsTheRest) {
    const Settings d;
    struct Case {
        const char* text;
        Settings want;
    };
    const Case cases[] = {
        {"", d},
        {"[Lock]\r\nIdleMinutes=0\r\nOnSessionLock=0\r\nOnMinimize=1\r\n[Backup]\r\nKeep=9\r\n", {0, false, true, 9}},
        {"[lock]\n idleminutes = 1440 \n[BACKUP]\nkeep=0", {1440, true, false, 0}},
        {"[Lock]\nIdleMinutes=1441\nOnSessionLock=2\nOnMinimize=-1\n[Backup]\nKeep=10", d},
        {"[Lock]\nIdleMinutes=abc\nOnMinimize=1x\n[Backup]\nKeep=", d},
        {"[Lock]\nIdleMinutes=99999999999999\nKeep=1\nColour=7\n[Other]\nOnMinimize=1", d},
        {"[Lock]\nIdleMinutes=9999999999", d},
        {"[Lock]\nIdleMinutes=4294967301", d},
        {"IdleMinutes=7\n[Backup\nKeep=1\n; Keep=2", d},
        {"[Lock]\nIdleMinutes=12\nIdleMinutes=bad", {5, true, false, 3}},
        {"[Strong]\nHistoryKeep=0", {5, true, false, 3, false, kDefaultHotkey, kDefaultAutoTypeSequence, 10, false, false, false, 0}},
        {"[strong]\nhistorykeep= 100 ", {5, true, false, 3, false, kDefaultHotkey, kDefaultAutoTypeSequence, 10, false, false, false, 100}},
        {"[Strong]\nHistoryKeep=101\n[Backup]\nHistoryKeep=1", d},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseSettings(c.text), c.want) << c.text;
}

// The shortcut is kept in its written form; an unreadable one keeps the default.
TEST(Settings, AutoTypeValues) {
    struct Case {
        const char* text;
        const char* hotkey;
        const char* sequence;
        int delay;
        bool confirm = false;
        bool keysLayout = false;
    };
    const Case cases[] = {
        {"", "Ctrl+Alt+T", "{USERNAME}{TAB}{PASSWORD}{ENTER}", 10},
        {"[AutoType]\nHotkey= win + shift+f9 \nSequence= {PASSWORD}{ENTER} \nKeyDelayMs=0", "Shift+Win+F9",
         "{PASSWORD}{ENTER}", 0},
        {"[autotype]\nHotkey=\nSequence=  \nKeyDelayMs=1000", "", "{USERNAME}{TAB}{PASSWORD}{ENTER}", 1000},
        {"[AutoType]\nHotkey=Ctrl+Alt+\nKeyDelayMs=1001", "Ctrl+Alt+T", "{USERNAME}{TAB}{PASSWORD}{ENTER}", 10},
        {"[AutoType]\nHotkey=K\nKeyDelayMs=-1\n[Lock]\nSequence=x", "Ctrl+Alt+T",
         "{USERNAME}{TAB}{PASSWORD}{ENTER}", 10},
        {"[AutoType]\nSequence=a=b;c", "Ctrl+Alt+T", "a=b;c", 10},
        {"[AutoType]\nHotkey=ctrl+alt+k", "Ctrl+Alt+K", kDefaultAutoTypeSequence, 10},  // kept, whatever it types
        {"[AutoType]\nConfirm=1", "Ctrl+Alt+T", kDefaultAutoTypeSequence, 10, true},
        {"[AutoType]\nConfirm=yes\n[Lock]\nConfirm=1", "Ctrl+Alt+T", kDefaultAutoTypeSequence, 10, false},
        {"[AutoType]\nKeys= layout ", "Ctrl+Alt+T", kDefaultAutoTypeSequence, 10, false, true},
        {"[AutoType]\nKeys=Unicode", "Ctrl+Alt+T", kDefaultAutoTypeSequence, 10, false, false},
    };
    for (const Case& c : cases) {
        const Settings s = ParseSettings(c.text);
        EXPECT_EQ(s.hotkey, c.hotkey) << c.text;
        EXPECT_EQ(s.sequence, c.sequence) << c.text;
        EXPECT_EQ(s.keyDelayMs, c.delay) << c.text;
        EXPECT_EQ(s.confirm, c.confirm) << c.text;
        EXPECT_EQ(s.keysLayout, c.keysLayout) << c.text;
    }
}

TEST(Settings, WrittenTextReadsBackTheSame) {
    for (const Settings& s : {Settings{}, Settings{0, false, true, 0}, Settings{1440, true, true, 9, false, "", "{ENTER}", 0},
                              Settings{5, true, false, 3, false, "Alt+Win+1", "{DELAY 5}x;y", 1000, true, true},
                              Settings{5, true, false, 3, true, "", "{ENTER}", 0, false, false, true},
                              Settings{5, true, false, 3, false, "", "{ENTER}", 10, false, false, false, 0},
                              Settings{5, true, false, 3, false, "", "{ENTER}", 10, false, false, false, 10,
                                       {"baza (1).pdb|0:1292|30912345:123", "baza-PC.pdb|0:12|1:2"}}})
        EXPECT_EQ(ParseSettings(FormatSettings(s)), s);
    EXPECT_FALSE(ParseSettings("[CharacterBoxes]\nTabAfterEach=2").tabAfterEachCharacter);
    EXPECT_EQ(FormatSettings(Settings{}),
              "[Lock]\r\nIdleMinutes=5\r\nOnSessionLock=1\r\nOnMinimize=0\r\n[Backup]\r\nKeep=3\r\n"
              "[AutoType]\r\nHotkey=Ctrl+Alt+T\r\nSequence={USERNAME}{TAB}{PASSWORD}{ENTER}\r\nKeyDelayMs=10\r\n");
}

} // namespace
} // namespace velt
