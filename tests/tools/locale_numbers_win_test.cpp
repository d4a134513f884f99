// The separators read from the user locale, in English and Polish Windows.
#include "tools/locale_numbers_win.h"

#include <gtest/gtest.h>

#include "tools/strength.h"

namespace {

TEST(LocaleNumbers, EnglishSeparators) {
    velt::NumberSeparators s = velt::UserNumberSeparators();
    EXPECT_EQ(s.decimal, ".");
    EXPECT_EQ(s.thousands, ",");
}

TEST(LocaleNumbersPlLocale, PolishSeparatorsReachTheFormatter) {
    velt::NumberSeparators s = velt::UserNumberSeparators();
    EXPECT_EQ(s.decimal, ",");
    EXPECT_EQ(s.thousands, "\xA0");  // no-break space in cp1250
    velt::InstallUserNumberSeparators();
    EXPECT_EQ(velt::CombinationsText(17576), "1,8E+004");
    EXPECT_EQ(velt::CrackingTimeText(1, 12345.678L), "3,43 hours");
    EXPECT_EQ(velt::CrackingTimeText(1, 1234567.0L * 356 * 86400), "1\xA0" "234\xA0" "567,00 years");
    velt::SetNumberSeparators({});
}

} // namespace
