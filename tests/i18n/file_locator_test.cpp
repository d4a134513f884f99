// The catalogue locator: reading the embedded-file table (also damaged
// ones), the case rules of paths, and sharing catalogues with use counts.
#include "i18n/file_locator.h"

#include <gtest/gtest.h>

#include "i18n/memory_files.h"
#include "i18n/translator_errors.h"

namespace velt::i18n {
namespace {

using test::Bytes;
using test::MemoryFiles;

const std::string kExe = "C:\\Velt\\velt.exe";
const std::string kDir = "C:\\Velt\\";
const std::string kPolish = "locale\\pl\\LC_MESSAGES\\default.mo";

void Append64(Bytes& b, std::uint64_t v) {
    for (int k = 0; k < 8; ++k) b.push_back(static_cast<unsigned char>(v >> (8 * k)));
}

struct Entry {
    std::string name;  // stored as given, padding included
    const Bytes* data;
    std::int64_t nextAdjust = 0;  // damage: added to the stored Next
};

// An "executable" of 1000 filler bytes, the entries' data, then the table.
// Returns the file; *table receives the position of the first entry.
Bytes Executable(const std::vector<Entry>& entries, std::uint64_t* table) {
    Bytes exe(1000, 0x90);
    std::vector<std::uint64_t> offsets;
    for (const Entry& e : entries) {
        offsets.push_back(exe.size());
        exe.insert(exe.end(), e.data->begin(), e.data->end());
    }
    *table = exe.size();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::uint64_t next = exe.size() + 24 + entries[i].name.size();
        Append64(exe, next + entries[i].nextAdjust);
        Append64(exe, offsets[i]);
        Append64(exe, entries[i].data->size());
        exe.insert(exe.end(), entries[i].name.begin(), entries[i].name.end());
    }
    Append64(exe, 0);
    return exe;
}

struct Fixture {
    MemoryFiles files;
    std::unique_ptr<TFileLocator> locator;

    void Start(const std::vector<Entry>& entries, bool zeroMarker = false) {
        std::uint64_t table = 0;
        files.files[kExe] = Executable(entries, &table);
        locator = std::make_unique<TFileLocator>(files, kExe, zeroMarker ? 0 : table, MakeStdRwLock());
        locator->ReadEmbeddedTable();
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& [name, info] : locator->EmbeddedFiles()) names.push_back(name);
        return names;
    }
};

const Bytes& Mo() { return test::PolishCatalogue(); }

TEST(FileLocator, ReadsTheTableAndAppliesTheCaseRules) {
    Fixture f;
    f.Start({{kPolish + std::string(200, ' '), &Mo()}});
    EXPECT_EQ(f.locator->ExecutableDirectory(), kDir);
    ASSERT_EQ(f.Names(), std::vector<std::string>{kPolish});
    EXPECT_EQ(f.locator->EmbeddedFiles().begin()->second.Offset, 1000u);
    EXPECT_EQ(f.locator->EmbeddedFiles().begin()->second.Size, 3052u);

    struct Case {
        std::string path;
        bool embedded;
    } cases[] = {
        {kDir + kPolish, true},
        {kDir + "locale\\PL\\lc_messages\\DEFAULT.MO", true},   // names ignore case
        {"c:\\velt\\" + kPolish, false},                         // the directory does not
        {"C:\\VELT\\locale\\PL\\lc_messages\\DEFAULT.MO", false},
        {kPolish, true},                                          // not under it: looked up whole
        {kDir + "locale\\pl_PL\\LC_MESSAGES\\default.mo", false},
        {kDir + "locale\\pl\\LC_MESSAGES\\default.m", false},
    };
    for (const Case& c : cases) EXPECT_EQ(f.locator->IsEmbedded(c.path), c.embedded) << c.path;

    TMoFile* mo = f.locator->AcquireCatalogue(kDir + "locale\\PL\\lc_messages\\DEFAULT.MO");
    EXPECT_EQ(mo->Lookup("Language"), "Język");
    f.locator->ReleaseCatalogue(mo);
}

TEST(FileLocator, DamagedTablesKeepWhatWasReadBefore) {
    Bytes small(40, 1);
    struct Case {
        const char* what;
        std::vector<Entry> entries;
        std::vector<std::string> expected;
    } cases[] = {
        {"names trimmed of blanks and control characters", {{" \t a.mo \r\n  ", &small}, {"b.mo", &small}},
         {"a.mo", "b.mo"}},
        {"entry points past the end of the file", {{"a.mo", &small}, {"b.mo", &small, 100000}}, {"a.mo"}},
        {"entry ends before its name starts", {{"a.mo", &small}, {"b.mo", &small, -40}}, {"a.mo"}},
        {"duplicate name in another case", {{"a.mo", &small}, {"A.MO", &small}, {"c.mo", &small}}, {"a.mo"}},
        {"first entry damaged", {{"a.mo", &small, 1 << 30}}, {}},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.Start(c.entries);
        EXPECT_EQ(f.Names(), c.expected) << c.what;
    }

    // A marker position past the end, and an executable that cannot be read.
    MemoryFiles files;
    files.files[kExe] = Bytes(100, 0);
    TFileLocator pastEnd(files, kExe, 5000, MakeStdRwLock());
    pastEnd.ReadEmbeddedTable();
    EXPECT_TRUE(pastEnd.EmbeddedFiles().empty());
    TFileLocator unreadable(files, "C:\\Velt\\gone.exe", 8, MakeStdRwLock());
    unreadable.ReadEmbeddedTable();
    EXPECT_TRUE(unreadable.EmbeddedFiles().empty());
}

TEST(FileLocator, ZeroMarkerMeansEverythingComesFromDisk) {
    Fixture f;
    f.files.files[kDir + kPolish] = Mo();
    f.Start({{kPolish, &Mo()}}, /*zeroMarker=*/true);
    EXPECT_TRUE(f.locator->EmbeddedFiles().empty());
    EXPECT_EQ(f.locator->ExecutableDirectory(), "");
    EXPECT_FALSE(f.locator->IsEmbedded(kDir + kPolish));
    TMoFile* mo = f.locator->AcquireCatalogue(kDir + kPolish);
    EXPECT_EQ(mo->Lookup("Help"), "Pomoc");
    f.locator->ReleaseCatalogue(mo);
}

TEST(FileLocator, AcquisitionsShareOneCatalogueUntilTheLastRelease) {
    Fixture f;
    f.files.files["D:\\other\\default.mo"] = Mo();
    f.Start({{kPolish, &Mo()}});

    TMoFile* first = f.locator->AcquireCatalogue(kDir + kPolish);
    TMoFile* second = f.locator->AcquireCatalogue(kDir + "LOCALE\\pl\\LC_MESSAGES\\default.mo");
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->UserCount, 2);
    EXPECT_EQ(f.files.maps, 1);

    // The same catalogue from disk is another file: another cache entry.
    TMoFile* disk = f.locator->AcquireCatalogue("D:\\other\\default.mo");
    EXPECT_NE(disk, first);
    EXPECT_EQ(f.locator->OpenCatalogueCount(), 2u);
    f.locator->ReleaseCatalogue(disk);

    f.locator->ReleaseCatalogue(first);
    EXPECT_EQ(second->UserCount, 1);
    EXPECT_EQ(f.locator->OpenCatalogueCount(), 1u);
    EXPECT_EQ(second->Lookup("Save"), "Zapisz") << "still mapped after one release";
    f.locator->ReleaseCatalogue(second);
    EXPECT_EQ(f.locator->OpenCatalogueCount(), 0u);
    EXPECT_EQ(f.files.openMappings, 0) << "unmapped after the last release";

    TMoFile* again = f.locator->AcquireCatalogue(kDir + kPolish);
    EXPECT_EQ(f.files.maps, 3) << "mapped afresh after it was freed";
    f.locator->ReleaseCatalogue(again);
}

TEST(FileLocator, FailedAcquisitionLeavesTheCacheAlone) {
    Fixture f;
    Bytes junk(100, 'x');
    f.files.files[kDir + "junk.mo"] = junk;
    f.Start({});
    EXPECT_THROW(f.locator->AcquireCatalogue(kDir + "missing.mo"), ETranslatorIOError);
    EXPECT_THROW(f.locator->AcquireCatalogue(kDir + "junk.mo"), ETranslatorIOError);
    EXPECT_EQ(f.locator->OpenCatalogueCount(), 0u);
    EXPECT_EQ(f.files.openMappings, 0);
}

} // namespace
} // namespace velt::i18n
