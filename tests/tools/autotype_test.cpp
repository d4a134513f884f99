#include <gtest/gtest.h>

#include "core/hotkey.h"
#include "support/freed_memory.h"
#include "tools/autotype_match.h"
#include "tools/autotype_sequence.h"
#include "tools/autotype_typing.h"

namespace velt {
namespace {

// The keystrokes in a readable form: characters as they are, the keys in <>.
std::u16string Spell(const std::string& sequence, std::u16string_view user, std::u16string_view password) {
    const Keystrokes keys(ParseSequence(Utf8ToUtf16(sequence)), user, password, u"02324550");
    if (keys.Refused()) return u"<REFUSED>";
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
        {"{TABLE}{ENTERPRISE}{USERNAMES}", u"{TABLE}{ENTERPRISE}{USERNAMES}"},
        {"{DELAY 4294967296}{DELAY 4294967}", u"{DELAY 4294967296}<DELAY 10000>"},
        {"{DELAY 6000}{ENTER}{DELAY 6000}{DELAY 1}", u"<DELAY 6000><ENTER><DELAY 4000><DELAY 0>"},  // 10 s in all
    };
    for (const auto& [sequence, want] : cases) EXPECT_EQ(Spell(sequence, u"jan", u"zażółć€!"), want) << sequence;
    EXPECT_EQ(Spell("{USERNAME}", u"{TAB}{{}", u""), u"{TAB}{{}");  // a login is never read as placeholders
    // A field holding a key is never typed, whichever field and wherever.
    const std::pair<const char16_t*, const char16_t*> fields[] = {
        {u"jan", u"a\tb"}, {u"jan", u"abc\r\ndef"}, {u"jan", u"abc\n"}, {u"\rjan", u"p"}, {u"j\tan", u"p"},
    };
    for (const auto& [user, password] : fields) EXPECT_EQ(Spell(kDefaultAutoTypeSequence, user, password), u"<REFUSED>");
    EXPECT_EQ(Spell("{USERNAME}{ENTER}", u"jan", u"a\tb"), u"jan<ENTER>");  // only the fields it types
    EXPECT_TRUE(UsesOneTimeCode(ParseSequence(u"a{Totp}")));
    EXPECT_FALSE(UsesOneTimeCode(ParseSequence(u"{{}TOTP{}}")));
}

// A long password between many Tabs: the buffer never grows, so no copy of
// the keystrokes reaches freed memory, and it is wiped when it goes.
TEST(AutoTypeSequence, KeystrokesLeaveNothingInFreedMemory) {
    static const Keystroke kMarker[] = {{Keystroke::Char, u'Q'}, {Keystroke::Char, u'x'}, {Keystroke::Char, u'7'},
                                        {Keystroke::Char, u'#'}, {Keystroke::Char, u'V'}, {Keystroke::Char, u'z'}};
    std::string sequence = "{PASSWORD}";
    for (int i = 0; i < 200; ++i) sequence += "{TAB}";
    const std::u16string password = u"Qx7#Vz" + std::u16string(300, u'p');
    test::FreedMemoryWatch watch(std::string_view(reinterpret_cast<const char*>(kMarker), sizeof kMarker));
    { const Keystrokes keys(ParseSequence(Utf8ToUtf16(sequence)), u"", password); }
    EXPECT_GT(watch.Freed(), 0u);
    EXPECT_EQ(watch.Hits(), 0u);
}

// The typing loop against a scripted system: where it stops, and why.
TEST(AutoTypeTyping, StopsWhereTheTargetOrTheUserSays) {
    class Script final : public TypingPort {
    public:
        int changedAt = -1, escapeAt = -1, blockedAt = -1;  // key index; -1 never
        unsigned taken = 1;  // events a blocked Send takes
        int keys = 0;
        unsigned waited = 0;
        bool TargetUnchanged() override { return keys != changedAt; }
        unsigned Send(const Keystroke&) override { return keys++ == blockedAt ? taken : 2; }
        bool Wait(unsigned ms) override { return waited += ms, keys != escapeAt; }
    };
    const Keystrokes keys(ParseSequence(u"{USERNAME}{TAB}{DELAY 50}{PASSWORD}{ENTER}"), u"jan", u"pw");
    const struct { int changedAt, escapeAt, blockedAt; unsigned taken; TypeOutcome outcome; size_t sent; } cases[] = {
        {-1, -1, -1, 2, TypeOutcome::Typed, 7}, {0, -1, -1, 2, TypeOutcome::Stopped, 0},
        {5, -1, -1, 2, TypeOutcome::Stopped, 5}, {-1, 5, -1, 2, TypeOutcome::Escaped, 5},
        {-1, -1, 2, 0, TypeOutcome::Blocked, 2}, {-1, -1, 6, 1, TypeOutcome::Blocked, 6},
    };
    for (const auto& c : cases)
        for (unsigned delay : {10u, 0u}) {
            Script port;
            port.changedAt = c.changedAt, port.escapeAt = c.escapeAt, port.blockedAt = c.blockedAt, port.taken = c.taken;
            const TypingResult got = TypeKeystrokes(port, keys, delay);
            EXPECT_EQ(got.outcome, c.outcome) << c.changedAt << c.escapeAt << c.blockedAt << " " << delay;
            EXPECT_EQ(got.sent, c.sent) << c.changedAt << c.escapeAt << c.blockedAt << " " << delay;
            if (c.outcome == TypeOutcome::Typed) EXPECT_EQ(port.waited, 7 * delay + 50);
        }
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
        {"ING", ""},                                           // 6: exactly 3 characters
        {"Bank PL", "https://bank.example.pl/"},              // 7
    };
    const std::pair<const char16_t*, std::vector<size_t>> cases[] = {
        {u"Login - Bank Example", {0}}, {u"LOGIN - BANK EXAMPLE", {0}}, {u"bank.example — Browser", {0}},
        {u"Inbox - mail.example.org", {1}}, {u"mail", {1}}, {u"Łąka i las", {2}},
        {u"forum.example: Bank Example", {0, 4}},
        {u"www.bank.exampl", {}}, {u"lAKA", {}}, {u"ab cd", {}}, {u"", {}}, {u"Notepad", {}},
        {u"ING Bank Śląski - Logowanie", {6}}, {u"LOGGING", {}}, {u"Hotmail - Sign in", {}}, {u"Mail - Inbox", {1}},
        {u"Login - login.bank.example.pl", {7}}, {u"Login - bank.example.pl.evil.test", {}},
        {u"Login - mybank.example.pl", {}}, {u"bank.example.pl. Welcome", {7}}, {u"Hotmail / Mail", {1}},
        {u"„Mail”", {1}}, {u"Mailbox", {}},
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
