// The MO reader against the shipped catalogue, its byte-swapped twin, and
// damaged catalogues (run under ASan on the host).
#include "i18n/mo_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "i18n/memory_files.h"
#include "i18n/polish_messages.h"
#include "i18n/translator_errors.h"

namespace velt::i18n {
namespace {

using test::Bytes;
using test::MemoryFiles;
using test::PolishCatalogue;

std::uint32_t Le32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}
void PutLe32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + k] = static_cast<unsigned char>(v >> (8 * k));
}

// Every word of the header, both tables and the hash table reversed.
Bytes ByteSwapped(const Bytes& mo) {
    Bytes out = mo;
    std::uint32_t n = Le32(mo, 8), hashSize = Le32(mo, 20), hashAt = Le32(mo, 24);
    auto swapWord = [&](std::size_t at) { std::reverse(out.begin() + at, out.begin() + at + 4); };
    for (std::size_t at = 0; at < 28; at += 4) swapWord(at);
    for (std::size_t k = 0; k < 2 * n; ++k) {
        swapWord(Le32(mo, 12) + 4 * k);
        swapWord(Le32(mo, 16) + 4 * k);
    }
    for (std::size_t k = 0; k < hashSize; ++k) swapWord(hashAt + 4 * k);
    return out;
}

// Every source text of the catalogue with the translation expected for it.
std::vector<std::pair<std::string, std::string>> AllEntries() {
    std::vector<std::pair<std::string, std::string>> all{{"", test::kPolishHeader}};
    for (const auto& m : test::kPolishMessages) all.emplace_back(m.english, m.polish);
    return all;
}

TEST(MoFile, ShippedCatalogueHasItsLayout) {
    const Bytes& mo = PolishCatalogue();
    ASSERT_EQ(mo.size(), 3052u);
    const std::uint32_t header[] = {0x950412DE, 0, 49, 28, 420, 67, 812};
    for (int k = 0; k < 7; ++k) EXPECT_EQ(Le32(mo, 4 * k), header[k]) << "word " << k;
    EXPECT_EQ(Le32(mo, 28 + 4), 1080u) << "first source text";
    EXPECT_EQ(Le32(mo, 420 + 4), 1907u) << "first translation";
    // Each text is followed by a zero byte, so the next starts right after.
    for (std::uint32_t i = 0; i + 1 < 49; ++i) {
        EXPECT_EQ(Le32(mo, 28 + 8 * i + 4) + Le32(mo, 28 + 8 * i) + 1, Le32(mo, 28 + 8 * (i + 1) + 4));
        EXPECT_EQ(Le32(mo, 420 + 8 * i + 4) + Le32(mo, 420 + 8 * i) + 1, Le32(mo, 420 + 8 * (i + 1) + 4));
    }
    EXPECT_EQ(Le32(mo, 420 + 8 * 48 + 4) + Le32(mo, 420 + 8 * 48) + 1, 3052u);
}

TEST(MoFile, EveryEntryIsFoundInBothByteOrders) {
    for (bool swapped : {false, true}) {
        SCOPED_TRACE(swapped ? "byte-swapped" : "native");
        MemoryFiles files;
        files.files["pl.mo"] = swapped ? ByteSwapped(PolishCatalogue()) : PolishCatalogue();
        TMoFile mo(files, "pl.mo", 0, 0);
        EXPECT_EQ(mo.ByteSwapped(), swapped);
        EXPECT_EQ(mo.EntryCount(), 49u);
        for (const auto& [english, polish] : AllEntries()) {
            bool found = false;
            EXPECT_EQ(mo.Lookup(english, &found), polish) << english;
            EXPECT_TRUE(found) << english;
        }
        const char* missing[] = {"password", "Zzz", "!", "Passwor", "Password ", "\xff",
                                 "Are you sure to     REMOVE      all your data?\r\nThis operation is irreversible!"};
        for (const char* key : missing) {
            bool found = true;
            EXPECT_EQ(mo.Lookup(key, &found), key);
            EXPECT_FALSE(found) << key;
        }
    }
}

TEST(MoFile, CatalogueInsideALargerFile) {
    MemoryFiles files;
    Bytes exe(5000, 'x');
    exe.insert(exe.end(), PolishCatalogue().begin(), PolishCatalogue().end());
    exe.insert(exe.end(), 300, 0);
    files.files["velt.exe"] = exe;
    TMoFile mo(files, "velt.exe", 5000, 3052);
    EXPECT_EQ(mo.Lookup("Language"), "Język");
    EXPECT_EQ(mo.Lookup("You need to enter valid password to gain access"), "Musisz podać poprawne hasło by uzyskać dostęp");
}

TEST(MoFile, FailuresNameTheFile) {
    Bytes notMo = PolishCatalogue();
    notMo[0] = 0x12;
    struct Case {
        const char* name;
        Bytes content;
        bool present;
        std::uint64_t offset;
        std::string message;
    } cases[] = {
        {"missing.mo", {}, false, 0, "Cannot open file missing.mo"},
        {"empty.mo", {}, true, 0, "Cannot create memory map on file empty.mo"},
        {"text.mo", notMo, true, 0, "This file is not a valid GNU gettext mo file: text.mo"},
        {"short.mo", {0xDE, 0x12}, true, 0, "This file is not a valid GNU gettext mo file: short.mo"},
        {"offset.mo", PolishCatalogue(), true, 4000, "This file is not a valid GNU gettext mo file: offset.mo"},
    };
    for (const Case& c : cases) {
        MemoryFiles files;
        if (c.present) files.files[c.name] = c.content;
        try {
            TMoFile mo(files, c.name, c.offset, 0);
            ADD_FAILURE() << c.name << " opened";
        } catch (const ETranslatorIOError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(files.openMappings, 0) << c.name << ": mapping left open";
    }
}

// Looks every known key up; a damaged catalogue may find fewer entries but
// must give a right answer or "not found" for each, and never read outside.
int CountFound(TMoFile& mo) {
    int found = 0;
    for (const auto& [english, polish] : AllEntries()) {
        bool hit = false;
        std::string answer = mo.Lookup(english, &hit);
        if (hit) ++found;
        else EXPECT_EQ(answer, english);
    }
    mo.Lookup("Zzz");
    mo.Lookup("!");
    return found;
}

TEST(MoFile, TruncatedCatalogueNeverReadsPastItsEnd) {
    const Bytes& full = PolishCatalogue();
    for (std::size_t length = 4; length <= full.size(); ++length) {
        // The same catalogue cut short as a file, and bounded by a size
        // inside a file that goes on: both must answer alike.
        MemoryFiles files;
        files.files["cut.mo"] = Bytes(full.begin(), full.begin() + length);
        files.files["exe"] = full;
        TMoFile cut(files, "cut.mo", 0, 0);
        TMoFile bounded(files, "exe", 0, length);
        int foundCut = CountFound(cut);
        EXPECT_EQ(CountFound(bounded), foundCut) << length;
        if (length == full.size()) { EXPECT_EQ(foundCut, 49); }
        if (length < 1907) { EXPECT_EQ(foundCut, 0) << length; }
    }
}

TEST(MoFile, DamagedTablesAnswerNotFound) {
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        int expectFoundAtMost;
    } cases[] = {
        {"no entries", 8, 0, 0},
        {"huge entry count", 8, 0xFFFFFFFF, 49},
        {"source table past the end", 12, 0xFFFFFFF0, 0},
        {"translation table past the end", 16, 3050, 0},
        {"source text offset past the end", 28 + 8 * 20 + 4, 0x7FFFFFFF, 48},
        {"source text length wraps", 28 + 8 * 20, 0xFFFFFFFF, 48},
        {"translation length past the end", 420 + 8 * 5, 0xFFFFFF00, 48},
        {"translation offset wraps", 420 + 8 * 5 + 4, 0xFFFFFFFE, 48},
    };
    for (const Case& c : cases) {
        Bytes mo = PolishCatalogue();
        PutLe32(mo, c.at, c.value);
        MemoryFiles files;
        files.files["bad.mo"] = mo;
        TMoFile file(files, "bad.mo", 0, 0);
        EXPECT_LE(CountFound(file), c.expectFoundAtMost) << c.what;
    }
}

TEST(MoFile, RandomDamageToTheTablesNeverCrashes) {
    std::uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 300; ++round) {
        Bytes mo = PolishCatalogue();
        for (int k = 0; k < 4; ++k) mo[8 + next() % (1080 - 8)] = static_cast<unsigned char>(next() >> 16);
        MemoryFiles files;
        files.files["bad.mo"] = mo;
        TMoFile file(files, "bad.mo", 0, 0);
        CountFound(file);
    }
}

} // namespace
} // namespace velt::i18n
