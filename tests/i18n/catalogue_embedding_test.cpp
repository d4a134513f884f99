// Embedding a catalogue behind a PE image gives exactly the shipped layout,
// and doing it twice gives the same file.
#include "i18n/catalogue_embedding.h"

#include <gtest/gtest.h>

#include "core/errors.h"
#include "i18n/memory_files.h"

namespace velt::i18n {
namespace {

constexpr char kMarker[] = "F1D9D3E3-E45B-48C9-AB4E-0533E488CB94";

std::uint64_t Le(const ByteVector& b, std::size_t at, int bytes) {
    std::uint64_t v = 0;
    for (int k = bytes - 1; k >= 0; --k) v = (v << 8) | b[at + k];
    return v;
}
void Put(ByteVector& b, std::size_t at, std::uint64_t v, int bytes) {
    for (int k = 0; k < bytes; ++k) b[at + k] = static_cast<unsigned char>(v >> (8 * k));
}

// A minimal image: headers, two sections (the second ending at 0x1600), and
// a 300-byte symbol table behind them as an unstripped link leaves it.
ByteVector MinimalImage(int markers = 1) {
    ByteVector exe(0x1600 + 300, 0);
    exe[0] = 'M';
    exe[1] = 'Z';
    Put(exe, 0x3C, 0x80, 4);
    Put(exe, 0x80, 0x4550, 4);
    Put(exe, 0x80 + 6, 2, 2);          // sections
    Put(exe, 0x80 + 12, 0x1600, 4);    // symbol table pointer
    Put(exe, 0x80 + 16, 12, 4);        // symbols
    Put(exe, 0x80 + 20, 0xE0, 2);      // optional header size
    std::size_t table = 0x80 + 24 + 0xE0;
    Put(exe, table + 16, 0x1000, 4);   // .text: 0x400..0x1400
    Put(exe, table + 20, 0x400, 4);
    Put(exe, table + 40 + 16, 0x200, 4);  // .rdata: 0x1400..0x1600
    Put(exe, table + 40 + 20, 0x1400, 4);
    for (int m = 0; m < markers; ++m) std::copy(kMarker, kMarker + 36, exe.begin() + 0x1420 + 64 * m);
    return exe;
}

TEST(CatalogueEmbedding, AppendsTheShippedLayoutOnce) {
    ByteVector exe = MinimalImage();
    const ByteVector& mo = test::PolishCatalogue();
    const std::string name = "locale\\pl\\LC_MESSAGES\\default.mo";
    EmbedLayout layout = EmbedFile(exe, kMarker, mo, name);
    const std::uint64_t e = 0x1600;
    EXPECT_EQ(layout.imageEnd, e);
    EXPECT_EQ(layout.tablePosition, e + 3072);
    ASSERT_EQ(exe.size(), e + 3336);
    EXPECT_TRUE(std::equal(mo.begin(), mo.end(), exe.begin() + e));
    EXPECT_EQ(std::count(exe.begin() + e + 3052, exe.begin() + e + 3072, 0), 20);
    EXPECT_EQ(Le(exe, e + 3072, 8), e + 3328);
    EXPECT_EQ(Le(exe, e + 3080, 8), e);
    EXPECT_EQ(Le(exe, e + 3088, 8), 3052u);
    EXPECT_EQ(std::string(exe.begin() + e + 3096, exe.begin() + e + 3328), name + std::string(200, ' '));
    EXPECT_EQ(Le(exe, e + 3328, 8), 0u);
    EXPECT_EQ(Le(exe, 0x1420 + 36, 8), e + 3072);
    EXPECT_EQ(Le(exe, 0x80 + 12, 8), 0u) << "the dropped symbol table is no longer pointed at";

    ByteVector again = exe;
    EmbedFile(again, kMarker, mo, name);
    EXPECT_EQ(again, exe);
}

TEST(CatalogueEmbedding, SeveralFilesShareOneTable) {
    ByteVector exe = MinimalImage();
    const ByteVector first(3000, 'a'), second(1500, 'b');
    EmbedLayout layout = EmbedFiles(exe, kMarker, {{"one.mo", first}, {"two.mo", second}});
    const std::uint64_t e = 0x1600, table = e + 3072 + 2048;
    EXPECT_EQ(layout.tablePosition, table);
    ASSERT_EQ(exe.size(), table + 256 + 256 + 8);
    EXPECT_TRUE(std::equal(second.begin(), second.end(), exe.begin() + e + 3072));
    const std::uint64_t entries[2][3] = {{table + 256, e, 3000}, {table + 512, e + 3072, 1500}};
    for (int i = 0; i < 2; ++i) {
        const std::uint64_t at = table + 256 * i;
        EXPECT_EQ(Le(exe, at, 8), entries[i][0]);
        EXPECT_EQ(Le(exe, at + 8, 8), entries[i][1]);
        EXPECT_EQ(Le(exe, at + 16, 8), entries[i][2]);
        EXPECT_EQ(std::string(exe.begin() + at + 24, exe.begin() + at + 30), i ? "two.mo" : "one.mo");
    }
    EXPECT_EQ(Le(exe, table + 512, 8), 0u);
    EXPECT_EQ(Le(exe, 0x1420 + 36, 8), table);
}

TEST(CatalogueEmbedding, RefusesWhatItCannotEmbedSafely) {
    ByteVector notPe(4096, 0);
    ByteVector cut = MinimalImage();
    cut.resize(0x1500);
    ByteVector badSignature = MinimalImage();
    badSignature[0x81] = 'X';
    struct Case {
        const char* what;
        ByteVector exe;
    } cases[] = {
        {"no marker", MinimalImage(0)},
        {"two markers", MinimalImage(2)},
        {"not a PE file", notPe},
        {"no PE signature", badSignature},
        {"file shorter than its sections", cut},
        {"empty file", {}},
    };
    for (Case& c : cases) {
        ByteVector before = c.exe;
        EXPECT_THROW(EmbedFile(c.exe, kMarker, test::PolishCatalogue(), "x.mo"), Exception) << c.what;
        EXPECT_EQ(c.exe, before) << c.what << ": changed although refused";
    }
}

TEST(CatalogueEmbedding, RestoresTheCreationDateSpelling) {
    std::string header = "Project-Id-Version: Velt\npot-creation-date: 2007-09-04 12:48\nX: y\n";
    ByteVector mo(header.begin(), header.end());
    RestoreCreationDateField(mo);
    EXPECT_EQ(std::string(mo.begin(), mo.end()),
              "Project-Id-Version: Velt\nPOT-Creation-Date: 2007-09-04 12:48\nX: y\n");
    EXPECT_THROW(RestoreCreationDateField(mo), Exception) << "nothing left to restore";
}

} // namespace
} // namespace velt::i18n
