#include <gtest/gtest.h>

#include "core/hotkey.h"
#include "tools/autotype_match.h"
#include "tools/autotype_sequence.h"

namespace velt {
namespace {

// The keystrokes in a readable form: characters as they are, the keys in <>.
std::u16string Spell(const std::string& sequence, std::u16string_view user, std::u16string_view password) {
    const Keystrokes keys(ParseSequence(Utf8ToUtf16(sequence)), user, password, u"02324550");
    std::u16string out;
    for (const Keystroke& k : keys.Items()) {
        if (k.kind == Keystroke::Char) out += static_cast<char16_t>(k.value);
        else if (k.kind == Keystroke::Tab) out += u"<TAB>";
        else if (k.kind == Keystroke::Enter) out += u"<ENTER>";
        else out += u"<DELAY " + Utf8ToUtf16(std::to_string(k.value)) + u">";
    }
    return out;
}

TEST(AutoTypeSequence, SpellsEveryPlaceholder) {
    const std::pair<const char*, const char16_t*> cases[] = {
        {kDefaultAutoTypeSequence, u"jan<TAB>zażółć€!<ENTER>"},
        {"{username}{Tab}{PassWord}{enter}", u"jan<TAB>zażółć€!<ENTER>"},
        {"{USERNAME}{DELAY 250}{PASSWORD}", u"jan<DELAY 250>zażółć€!"},
        {"{DELAY 0}{DELAY 99999}", u"<DELAY 0><DELAY 10000>"},
        {"{SPACE}{DELAY}{DELAY x}{DELAY  5}{DELAY -1}", u"{SPACE}{DELAY}{DELAY x}{DELAY  5}{DELAY -1}"},
        {"a\tb\r\nc\rd\ne", u"a<TAB>b<ENTER>c<ENTER>d<ENTER>e"},
        {"{{}{}}", u"{}"}, {"a{{}b{}}c", u"a{b}c"}, {"{}", u"{}"}, {"x{USERNAME", u"x{USERNAME"},
        {"{USERNAME}{TAB}{totp}{ENTER}", u"jan<TAB>02324550<ENTER>"}, {"{TOTP }", u"{TOTP }"},
        {"}{TAB", u"}{TAB"}, {"{{USERNAME}", u"{{USERNAME}"}, {"ż{USERNAME}€", u"żjan€"}, {"", u""},
    };
    for (const auto& [sequence, want] : cases) EXPECT_EQ(Spell(sequence, u"jan", u"zażółć€!"), want) << sequence;
    EXPECT_EQ(Spell("{PASSWORD}", u"", u"a\tb"), u"a<TAB>b");
    EXPECT_EQ(Spell("{USERNAME}", u"{TAB}{{}", u""), u"{TAB}{{}");  // a login is never read as placeholders
    EXPECT_TRUE(UsesOneTimeCode(ParseSequence(u"a{Totp}")));
    EXPECT_FALSE(UsesOneTimeCode(ParseSequence(u"{{}TOTP{}}")));
}

// A 1250-like page: the Polish letters at their Windows places, the rest as Latin-1.
class PolishPage final : public AnsiCodePage {
public:
    std::u16string Widen(std::string_view bytes) const override {
        std::u16string out;
        for (unsigned char b : bytes) out += b == 0xA5 ? u'Ą' : b == 0xB9 ? u'ą' : b == 0xA3 ? u'Ł' : b == 0xB3 ? u'ł' : char16_t(b);
        return out;
    }
    std::string Narrow(std::u16string_view) const override { return {}; }
};

TEST(AutoTypeMatch, FindsEntriesByNameOrHost) {
    const std::vector<EntryText> entries = {
        {"Bank Example", "https://www.bank.example/login"},  // 0
        {"Mail", "imap://user@mail.example.org:993"},          // 1
        {"\xA3\xA5KA", ""},                                    // 2: "ŁĄKA" in the vault's page
        {"ab", "ab"},                                          // 3: too short either way
        {"  Forum  ", "WWW.Forum.Example"},                    // 4
        {"", ""},                                              // 5
    };
    const std::pair<const char16_t*, std::vector<size_t>> cases[] = {
        {u"Login - Bank Example", {0}}, {u"LOGIN - BANK EXAMPLE", {0}}, {u"bank.example — Browser", {0}},
        {u"Inbox - mail.example.org", {1}}, {u"mail", {1}}, {u"Łąka i las", {2}},
        {u"forum.example: Bank Example", {0, 4}},
        {u"www.bank.exampl", {}}, {u"lAKA", {}}, {u"ab cd", {}}, {u"", {}}, {u"Notepad", {}},
    };
    for (const auto& [title, want] : cases)
        EXPECT_EQ(MatchEntries(entries, title, PolishPage()), want) << Utf16ToUtf8(title);
}

TEST(AutoTypeMatch, HostOfAnAddress) {
    const std::pair<const char*, const char*> cases[] = {
        {"https://user:pw@www.bank.example:443/a?b#c", "bank.example"}, {"bank.example/login", "bank.example"},
        {" WWW.Shop.Example ", "Shop.Example"}, {"ftp://files.example", "files.example"},
        {"a/b?x=http://evil.example", "a"}, {"www.", ""}, {"", ""},
    };
    for (const auto& [address, host] : cases) EXPECT_EQ(AddressHost(address), host) << address;
    EXPECT_EQ(FoldCase(u"ĄĆĘŁŃÓŚŹŻ ÀÞ ΩЖЁ İŸ"), u"ąćęłńóśźż àþ ωжё iÿ");
}

} // namespace
} // namespace velt
