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
    };
    for (const Case& c : cases) EXPECT_EQ(ParseSettings(c.text), c.want) << c.text;
}

TEST(Settings, WrittenTextReadsBackTheSame) {
    for (const Settings& s : {Settings{}, Settings{0, false, true, 0}, Settings{1440, true, true, 9}})
        EXPECT_EQ(ParseSettings(FormatSettings(s)), s);
    EXPECT_EQ(FormatSettings(Settings{}),
              "[Lock]\r\nIdleMinutes=5\r\nOnSessionLock=1\r\nOnMinimize=0\r\n[Backup]\r\nKeep=3\r\n");
}

} // namespace
} // namespace velt
