// Writes the seed corpora of the fuzz targets with the project's own code:
//   make_seeds <compiled Polish catalogue> <corpus folder>
// (the catalogue is build/host/locale/pl/LC_MESSAGES/default.mo).
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>

#include "../tests/support/stand_in_crypto.h"
#include "fuzz_support.h"
#include "i18n/catalogue_embedding.h"
#include "vault/cell_store.h"
#include "vault/strong_format.h"
#include "vault/vault_format.h"

using fuzz::Bytes;

namespace {

std::string g_root;

void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
    std::ofstream out(g_root + "/" + target + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + target + "/" + name);
}

Bytes Cat(std::initializer_list<std::string_view> parts) {
    Bytes out;
    for (std::string_view p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// ------------------------------------------------------------------ vault

velt::CellStore SampleTable(int rows) {
    velt::CellStore t;
    t.SetRowCount(rows + 1);
    const char* names[] = {"Bank", "Poczta \xB3\xB9\xEA", "Forum"};
    for (int r = 1; r <= rows; ++r) {
        t.SetCell(0, r, std::to_string(r));
        t.SetCell(1, r, names[(r - 1) % 3]);
        t.SetCell(2, r, "https://example.org/" + std::to_string(r));
        t.SetCell(3, r, "user" + std::to_string(r));
        t.SetCell(4, r, "S3cret\xB3!" + std::to_string(r * 7));
        t.SetCell(5, r, r == 2 ? std::string(300, 'd') : "");
    }
    return t;
}

void VaultSeed(const std::string& name, int flags, const std::string& password, std::string image) {
    Write("vault", name, Cat({std::string(1, char(flags)), std::string(1, char(password.size())), password, image}));
}

void VaultSeeds() {
    VaultSeed("empty", 1, "pw", velt::BuildVaultImage(SampleTable(0), "pw"));
    VaultSeed("one_empty_row", 1, "pw", velt::BuildVaultImage(velt::CellStore(), "pw"));
    VaultSeed("sample", 1, "Tajne!", velt::BuildVaultImage(SampleTable(3), "Tajne!"));
    VaultSeed("one_char_key", 1, "x", velt::BuildVaultImage(SampleTable(1), "x"));
    VaultSeed("wrong_password", 0, "other", velt::BuildVaultImage(SampleTable(2), "right"));
    std::string cut = velt::BuildVaultImage(SampleTable(3), "pw");
    cut.resize(12 + 1280 + 600);  // the count says 3; the second record is cut inside a field
    VaultSeed("short", 1, "pw", cut);
}

// ------------------------------------------------------------------ strong vault

// Sealed with the stand-in primitives the fuzz target uses.
void StrongSeed(const std::string& name, int flags, const std::string& password, const velt::CellStore& table,
                std::uint32_t iterations = 100000, const std::function<void(std::string&)>& damage = {},
                bool version1 = false) {
    velt::test::StandInCrypto crypto;
    velt::test::CountingRandom random;
    velt::StrongKey key;
    unsigned char salt[velt::kStrongSaltSize];
    random.Fill(salt, sizeof salt);
    key.Derive(crypto, password, salt, velt::StrongKdf::Pbkdf2(iterations));
    std::string image = velt::BuildStrongImage(table, key, crypto, random);
    if (version1) {
        // The same plaintext behind the 40-byte header, sealed under K.
        auto* body = reinterpret_cast<unsigned char*>(&image[56]);
        const size_t size = image.size() - 56 - velt::kStrongTagSize;
        crypto.Open(key.VaultKey(), body - 28, std::string_view(image.data(), 56), body, size, body + size);
        image.erase(40, 16);
        image[4] = 1;
        body = reinterpret_cast<unsigned char*>(&image[40]);
        crypto.Seal(key.Key(), body - 12, std::string_view(image.data(), 40), body, size, body + size);
    }
    if (damage) damage(image);
    Write("strong", name, Cat({std::string(1, char(flags)), std::string(1, char(password.size())), password, image}));
}

void StrongSeeds() {
    StrongSeed("empty", 0, "pw", SampleTable(0));
    StrongSeed("sample", 0, "Tajne!", SampleTable(3));
    StrongSeed("sample_key_in_use", 2, "Tajne!", SampleTable(3), 10000000);
    StrongSeed("wrong_password", 0, "other", SampleTable(2));
    StrongSeed("resealed_body", 1, "pw", SampleTable(2), 100000, [](std::string& f) { f[45] = 7; });
    StrongSeed("version_3", 0, "pw", SampleTable(1), 100000, [](std::string& f) { f[4] = 3; });
    StrongSeed("too_few_iterations", 0, "pw", SampleTable(1), 100000, [](std::string& f) { f[9] = 0; });
    StrongSeed("cut", 0, "pw", SampleTable(1), 100000, [](std::string& f) { f.resize(59); });
    StrongSeed("cut_in_header", 0, "pw", SampleTable(1), 100000, [](std::string& f) { f.resize(50); });
    StrongSeed("changed_nonce", 0, "pw", SampleTable(1), 100000, [](std::string& f) { f[30] ^= 1; });
    StrongSeed("changed_key_check", 0, "pw", SampleTable(1), 100000, [](std::string& f) { f[41] ^= 1; });
    StrongSeed("version_1", 0, "Tajne!", SampleTable(3), 100000, {}, true);
    StrongSeed("version_1_key_in_use", 2, "Tajne!", SampleTable(2), 100000, {}, true);
    StrongSeed("version_1_cut", 0, "pw", SampleTable(1), 100000, [](std::string& f) { f.resize(59); }, true);
}

// ------------------------------------------------------------------ MO

std::vector<std::pair<std::string, std::string>> Entries(const Bytes& mo) {
    fuzz::RefCatalogue c = fuzz::ReadRefCatalogue(mo.data(), mo.size());
    if (!c.complete) throw std::runtime_error("the Polish catalogue does not read");
    return {c.entries.begin(), c.entries.end()};
}

void MoSeed(const std::string& name, int flags, std::size_t prefix, const Bytes& mo, std::string_view keys) {
    Bytes b{static_cast<unsigned char>(flags), static_cast<unsigned char>(prefix), static_cast<unsigned char>(prefix >> 8),
            static_cast<unsigned char>(mo.size()), static_cast<unsigned char>(mo.size() >> 8)};
    b.insert(b.end(), mo.begin(), mo.end());
    b.insert(b.end(), keys.begin(), keys.end());
    Write("mo", name, b);
}

void MoSeeds(const Bytes& polish) {
    const std::string keys("Password\0password\0Enter the password\0\0Zzz\0!", 44);
    MoSeed("polish", 0, 0, polish, keys);
    MoSeed("polish_twin", 16, 0, polish, keys);
    MoSeed("polish_big_endian", 16, 0, fuzz::WriteMo(Entries(polish), true), keys);
    MoSeed("polish_inside_file", 1 | 4, 300, polish, keys);
    MoSeed("polish_cut", 1, 16, Bytes(polish.begin(), polish.begin() + 900), keys);
    MoSeed("small", 16, 0, fuzz::WriteMo({{"", "Content-Type: text/plain; charset=UTF-8\n"}, {"a", "b"}, {"c\nd", "e"}}, false),
           std::string("a\0c\nd\0b", 7));
}

// ------------------------------------------------------------------ executable

constexpr std::string_view kMarker = "F1D9D3E3-E45B-48C9-AB4E-0533E488CB94";

// A small PE image: MZ header, PE signature, one section of 512 bytes that
// holds the marker with its 8 zero bytes.
Bytes TinyImage() {
    Bytes exe(0x400, 0);
    exe[0] = 'M';
    exe[1] = 'Z';
    exe[0x3C] = 0x40;
    std::memcpy(&exe[0x40], "PE\0\0", 4);
    exe[0x44] = 0x4C;  // i386
    exe[0x45] = 0x01;
    exe[0x46] = 1;                                   // one section
    std::memcpy(&exe[0x40 + 24], ".data\0\0\0", 8);  // no optional header
    exe[0x40 + 24 + 16 + 1] = 0x02;                  // raw size 0x200
    exe[0x40 + 24 + 20 + 1] = 0x02;                  // raw pointer 0x200
    std::memcpy(&exe[0x210], kMarker.data(), kMarker.size());
    return exe;
}

void EmbeddedSeeds(const Bytes& polish) {
    Bytes exe = TinyImage();
    Write("embedded", "no_table", exe);
    velt::i18n::EmbedFile(exe, kMarker, polish, "locale\\pl\\LC_MESSAGES\\default.mo");
    Write("embedded", "polish", exe);

    // Two entries whose names differ only in case: the second is dropped.
    Bytes two = TinyImage();
    velt::i18n::EmbedFile(two, kMarker, fuzz::WriteMo({{"", "x"}}, false), "a.mo");
    two.resize(two.size() - 8);  // the first entry's Next already points at the end marker's place
    const std::uint64_t second = two.size();
    fuzz::Put64(two, second + 24 + 4);
    fuzz::Put64(two, 0x400);
    fuzz::Put64(two, 40);
    two.insert(two.end(), {'A', '.', 'M', 'O'});
    fuzz::Put64(two, 0);
    Write("embedded", "duplicate_names", two);
}

// ------------------------------------------------------------------ translation

void TranslationSeed(const std::string& name, int flags, int cut, const std::string& header,
                     const std::vector<std::pair<std::string, std::string>>& pairs, const std::string& extra) {
    std::string b{char(flags), char(cut)};
    b += header;
    for (const auto& [s, t] : pairs) b += '\0' + s + '\0' + t;
    b += '\0' + extra;
    Write("translation", name, Cat({b}));
}

void TranslationSeeds(const Bytes& polish) {
    auto all = Entries(polish);
    const std::string header(all[0].second);
    std::vector<std::pair<std::string, std::string>> pairs(all.begin() + 1, all.end());
    const std::string crlfQuestion = "Are you sure to     REMOVE      all your data?\r\nThis operation is irreversible!";
    TranslationSeed("polish", 0, 0, header, pairs, "Password");
    TranslationSeed("polish_embedded_crlf", 1 | 16, 0, header, pairs, crlfQuestion);
    TranslationSeed("polish_lang_pl_big_endian", 2 | 8, 0, header, pairs, "\xFF\xD8\x01x\r\n");
    std::string iso = header;
    iso.replace(iso.find("charset=UTF-8"), 13, "charset=ISO-8859-2");
    TranslationSeed("other_charset", 0, 0, iso, pairs, "Password");
    TranslationSeed("truncated", 4, 128, header, pairs, "Password");
    TranslationSeed("invalid_utf8", 0, 0, "Content-Type: text/plain; charset=utf-8\r\n",
                    {{"Save", "Zapisz \xC5"}, {"Open", "\xE2\x82\n\xF4\x90\x80\x80\xC0\xAF"}, {"\xC3\xA9t\xC3\xA9", "\xED\xA0\x80"}},
                    "Open");
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

} // namespace

// ------------------------------------------------------------------ import

// One small file per source, after the flag byte (0: a table with entries).
void ImportSeeds() {
    const std::pair<const char*, const char*> files[] = {
        {"velt", "#;Name;Address;Login;Password;Description;\r\n1;Bank;https://b;ann;\"p;\"\"w\";\"l1\r\nl2\";\r\n"},
        {"keepassxc", "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\",\"Last Modified\",\"Created\"\n"
                      "\"Root/Mail\",\"Mail\",\"ann\",\"pw\",\"https://m\",\"n\",\"otpauth://x\",\"0\",\"\",\"\"\n"},
        {"keepass2", "\"Account\",\"Login Name\",\"Password\",\"Web Site\",\"Comments\"\r\n"
                     "\"Acc\",\"lo\\\\gin\",\"p\\\"w\",\"https://k\",\"c\"\r\n"},
        {"bitwarden", "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,login_totp\n"
                      "Work,,login,Git,n1,\"k: v\",0,\"https://a\nhttps://b\",ann,pw,JBSW\n,,note,Secret,text,,0,,,,\n"},
        {"chrome", "\xEF\xBB\xBFname,url,username,password,note\r\nMail,https://m,ann,p\xC5\x82,\"x\"\"y\"\r\n"},
        {"firefox", "url,username,password,httpRealm,formActionOrigin,guid,timeCreated,timeLastUsed,timePasswordChanged\n"
                    "https://login.example.com:8443/x,ann,pw,,,{g},1,2,3\nchrome://FirefoxAccounts,me,s,,,,,,"},
        {"onepassword", "Title,Url,Username,Password,OTPAuth,Favorite,Archived,Tags,Notes\nBank,https://b,bob,pw,otpauth://x,false,false,money,n\n"},
        {"lastpass", "url,username,password,totp,extra,name,grouping,fav\nhttps://a/?a=1&amp;b=2,ann,p&lt;,,x,A &amp; B,Shop,0\nhttp://sn,,,,note,N,,0\n"},
    };
    for (const auto& [name, text] : files) Write("import", name, Cat({std::string(1, '\0'), text}));
}

// Files on which a cut description once kept a CR without its LF: long
// runs of line breaks that CR LF doubles past 255 bytes. Flag byte included.
void CutSeeds() {
    const std::pair<const char*, std::string> files[] = {
        {"cut_after_lf_run", std::string("\x00\xEF\xBB\xBFname,url,username,password,note\x0D" "e,url,usen,p\xC5\x82,\x22x\x22\x22yrl,username"
            ",password,note\x0D" "e\x0AM\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A"
            "\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A"
            "\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0AJ\x0A\x0A\x0A\x0A\x0A\xF6\xFA\x0A\x0A\x0A\x0A\x0A"
            "\x0A\x0A\x0A\x8A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x14\x0A"
            "\x0A\x0A\x0Aome://Firefo,url,us:/.e\x0D\x0D\x0D\x0Diann,p\xC5\x82,\x22x\x22\x22y\x22\x0D\x0A",
            227)},
        {"cut_after_cr_run", std::string("\x00\xEF\xBB\xBFname,url,username,password,note\x0D\x0AMail,https://m,ann,p\xC5\x82,\x22" "e,ura,nam"
            "e,grouping,fav\x0Ahttp,\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x05\x0D\x0D\x0D\x0D\x0D"
            "\x0D" "fa2\x0Aha,na,,ote\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D"
            "\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D\x0D"
            "\x0D\x0D\x0D\x0D\x0D|t,grouping\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF,fav\x0A[\x0D\x0D\x0D\x0D\x0D\x0D\x0D"
            "\x0D\x0D\x0Dnot\x0As://m,ann,p\xCD\x82ng,fav\x0Ahttps:\x22\x0D\x0A",
            242)},
        {"cut_after_lf_run_2", std::string("\x00\xEF\xBB\xBFname,url,username,password,note\x0D" "e,url,usen,p\xC5\x82,\x22x\x22\x22yrl,username"
            ",password,note\x0D" "e\x0AM\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\xFE"
            "\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x05\xE5\x0A"
            "\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\xF6\xFA\x0A\x0A\x0A\x0A"
            "\x0A\x0A\x0A\x0A\x8A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x14"
            "\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\x0A\xC5\x82,\x1Bx\x22\x22y\x0AM\x0A\x0A"
            "\x0A\x0A\x0A\x0A\x0A" "apassword,note\x0D" "e\x0A" "chrome://Firefo,url,use\x0D\x0D\x0D\x0Diann,p\xC5"
            "\x82,\x22x\x22\x22y\x22\x0D\x0A",
            273)},
    };
    for (const auto& [name, bytes] : files) Write("import", name, Cat({bytes}));
}

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_seeds <Polish default.mo> <corpus folder>\n";
        return 2;
    }
    try {
        const Bytes polish = ReadFile(argv[1]);
        g_root = argv[2];
        VaultSeeds();
        ImportSeeds();
        CutSeeds();
        StrongSeeds();
        MoSeeds(polish);
        EmbeddedSeeds(polish);
        TranslationSeeds(polish);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
