#include <gtest/gtest.h>

#include "tools/character_positions.h"

namespace velt {
namespace {

// Windows-1250's Polish letters at their places, the rest as Latin-1; and a
// double-byte page where 0x81-0x9F start a two-byte character.
class Page final : public AnsiCodePage {
public:
    explicit Page(bool doubleByte) : doubleByte_(doubleByte) {}
    std::u16string Widen(std::string_view bytes) const override {
        static const std::pair<unsigned char, char16_t> polish[] = {
            {0xB9, u'ą'}, {0xE6, u'ć'}, {0xEA, u'ę'}, {0xB3, u'ł'}, {0xF1, u'ń'},
            {0xF3, u'ó'}, {0x9C, u'ś'}, {0x9F, u'ź'}, {0xBF, u'ż'}, {0xAF, u'Ż'}};
        std::u16string out;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const unsigned char b = static_cast<unsigned char>(bytes[i]);
            if (doubleByte_ && b >= 0x81 && b <= 0x9F && i + 1 < bytes.size()) {
                out += static_cast<char16_t>(0x3000 + static_cast<unsigned char>(bytes[++i]));
                continue;
            }
            char16_t c = b;
            for (const auto& [byte, letter] : polish)
                if (!doubleByte_ && byte == b) c = letter;
            out += c;
        }
        return out;
    }
    std::string Narrow(std::u16string_view) const override { return {}; }

private:
    bool doubleByte_;
};

TEST(CharacterPositions, ParsedAgainstThePasswordsLength) {
    const struct {
        const char* text;
        int length;
        std::vector<int> want;
        const char* refusal;  // a piece of the message, or null
    } cases[] = {
        {"2 5 7", 8, {2, 5, 7}, nullptr},      {"2,5,7", 8, {2, 5, 7}, nullptr},
        {" 7; 2 ,, 5\t", 8, {2, 5, 7}, nullptr}, {"7 2 7", 8, {2, 7}, nullptr},
        {"", 8, {}, nullptr},                  {"1 8", 8, {1, 8}, nullptr},
        {"9", 8, {}, "has 8 characters; there is no character 9"},
        {"0", 8, {}, "\"0\" is not a character position"},
        {"2.5", 8, {}, "\"2.5\" is not"},     {"-3", 8, {}, "\"-3\" is not"},
        {"99999999999999", 8, {}, "\"999999999999...\" is not"},
        {"2-5", 8, {}, "\"2-5\" is not"},
    };
    for (const auto& c : cases) {
        try {
            EXPECT_EQ(ParsePositions(c.text, c.length), c.want) << c.text;
            EXPECT_EQ(c.refusal, nullptr) << c.text << " was read";
        } catch (const EPositionsError& e) {
            ASSERT_NE(c.refusal, nullptr) << c.text << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find(c.refusal), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(PositionsText({2, 5, 7}), "2 5 7");
    EXPECT_EQ(ParsePositions(PositionsText({1, 10, 12}), 12), (std::vector<int>{1, 10, 12}));
}

// "Zażółć1!" is eight characters in windows-1250, as the bank counts them.
TEST(CharacterPositions, CountedInThePasswordsCodePage) {
    const Page cp1250(false), doubleByte(true);
    const std::string zazolc = "Za\xBF\xF3\xB3\xE6" "1!";
    EXPECT_EQ(CharacterCount(zazolc, cp1250), 8);
    EXPECT_EQ(CharactersAt(zazolc, {2, 5, 7}, cp1250), u"ał1");
    EXPECT_EQ(CharactersAt(zazolc, {3, 4, 6, 8}, cp1250), u"żóć!");
    const std::string mixed = "a\x82\xA0" "b\x9F\x41";  // a, one double-byte character, b, another
    EXPECT_EQ(CharacterCount(mixed, doubleByte), 4);
    EXPECT_EQ(CharactersAt(mixed, {2, 3, 4}, doubleByte), u"\u30A0b\u3041");
}

} // namespace
} // namespace velt
