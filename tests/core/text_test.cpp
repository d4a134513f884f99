#include "core/resource_strings.h"
#include "core/sip_hash.h"
#include "core/text.h"

#include <gtest/gtest.h>

#include <vector>

namespace velt {
namespace {

TEST(Utf8, RoundTripsAndReplacesInvalidSequences) {
    struct Case { std::string utf8; std::u16string utf16; };
    const Case cases[] = {
        {"", u""},
        {"Has\xC5\x82o", u"Has\u0142o"},
        {"\xF0\x9F\x94\x92", u"\U0001F512"},
        {"a\xC5", u"a\uFFFD"},               // truncated
        {"\xC0\xAF", u"\uFFFD\uFFFD"},       // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // surrogate
        {"\xFF" "b", u"\uFFFDb"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
    }
    EXPECT_EQ(Utf16ToUtf8(u"Has\u0142o \U0001F512"), "Has\xC5\x82o \xF0\x9F\x94\x92");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Narrow, OneQuestionMarkPerCharacterTheCodePageLacks) {
    const struct { std::u16string text; std::string narrow; } cases[] = {
        {u"a\U0001F511b", "a?b"},
        {u"\U0001F511\U0001F512\u0142", "???"},
        {std::u16string{u'x', char16_t(0xD800)}, "x?"},                   // a lone half
        {std::u16string{char16_t(0xDC00), char16_t(0xD800), u'y'}, "??y"},  // halves the wrong way round
    };
    for (const auto& c : cases) EXPECT_EQ(Narrow(c.text), c.narrow);
}

// The published vectors: key 00..0F, message 00..len-1, fed in pieces.
TEST(SipHash, GivesThePublishedVectorsHoweverTheMessageIsSplit) {
    SipHash::Key key;
    std::string message;
    for (int i = 0; i < 16; ++i) key[i] = static_cast<std::uint8_t>(i), message += static_cast<char>(i);
    const struct { std::size_t length; std::vector<std::size_t> pieces; std::uint64_t hash; } cases[] = {
        {0, {}, 0x726FDB47DD0E0E31ull},
        {1, {1}, 0x74F839C593DC67FDull},
        {15, {15}, 0xA129CA6149BE45E5ull},
        {15, {3, 9, 3}, 0xA129CA6149BE45E5ull},
        {15, {7, 1, 0, 7}, 0xA129CA6149BE45E5ull},
    };
    for (const auto& c : cases) {
        SipHash h(key);
        std::size_t at = 0;
        for (std::size_t n : c.pieces) h.Update(std::string_view(message).substr(at, n)), at += n;
        EXPECT_EQ(h.Finish(), c.hash) << c.length;
    }
}

TEST(ResourceStrings, FormatsAndFallsBackToEnglish) {
    EXPECT_EQ(ResStr(IDS_INCORRECT_PASSWORD), "Incorrect password!");
    EXPECT_EQ(FmtLoadStr(IDS_CANNOT_OPEN_FILE, {"C:\\x\\baza.pdb", "Not found."}),
              "Cannot open file \"C:\\x\\baza.pdb\". Not found.");
    EXPECT_EQ(FmtLoadStr(IDS_IO_ERROR, {112}), "I/O error 112");
    ResStringRec big{nullptr, 70000};
    EXPECT_EQ(LoadResourceText(&big), u"ERROR");
    EXPECT_EQ(FormatText("100%% %s %d %x", {"a", 5}), "100% a 5 %x");
}

} // namespace
} // namespace velt
