// The string table compiled into the program holds the same English texts as
// the portable core's copy.
#include <windows.h>

#include "core/resource_strings.h"

#include <gtest/gtest.h>

namespace {

TEST(StringTable, MatchesTheCoreCopy) {
    const int ids[] = {IDS_INCORRECT_PASSWORD, IDS_CONFIRM_CLEAR, IDS_CANNOT_CREATE_FILE, IDS_COL_DESCRIPTION};
    for (int id : ids) {
        const wchar_t* text = nullptr;
        int n = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
        ASSERT_GT(n, 0) << id;
        std::u16string fromTable(reinterpret_cast<const char16_t*>(text), n);
        EXPECT_EQ(fromTable, velt::BuiltInEnglishText(id)) << id;
    }
}

} // namespace
