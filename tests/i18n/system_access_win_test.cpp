// The Windows file access behind the MO reader: sharing, mapping, failures.
#include "i18n/system_access_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "i18n/memory_files.h"
#include "i18n/mo_file.h"
#include "i18n/translator_errors.h"

namespace velt::i18n {
namespace {

std::string TempFile(const char* name, const std::string& content) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + name;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
    return path;
}

TEST(WinFileAccess, MapsTheCatalogueAndKeepsWritersOut) {
    WinFileAccess files;
    EXPECT_TRUE(files.FileExists(VELT_POLISH_CATALOGUE));
    {
        TMoFile mo(files, VELT_POLISH_CATALOGUE, 0, 0);
        EXPECT_EQ(mo.Lookup("Password"), "Hasło");
        HANDLE writer = CreateFileA(VELT_POLISH_CATALOGUE, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(writer, INVALID_HANDLE_VALUE) << "a writer got in while the catalogue was mapped";
        if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
        HANDLE reader = CreateFileA(VELT_POLISH_CATALOGUE, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
        EXPECT_NE(reader, INVALID_HANDLE_VALUE) << "readers may share the catalogue";
        CloseHandle(reader);
    }
    HANDLE writer = CreateFileA(VELT_POLISH_CATALOGUE, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE) << "the catalogue stayed locked after it was unmapped";
    CloseHandle(writer);
}

TEST(WinFileAccess, FailuresCarryTheirMessages) {
    WinFileAccess files;
    std::string empty = TempFile("velt_empty.mo", "");
    std::string text = TempFile("velt_text.mo", "This is not a catalogue at all.");
    std::string missing = empty + ".missing";
    struct Case {
        std::string file;
        std::string message;
    } cases[] = {
        {missing, "Cannot open file " + missing},
        {empty, "Cannot create memory map on file " + empty},
        {text, "This file is not a valid GNU gettext mo file: " + text},
    };
    for (const Case& c : cases) {
        try {
            TMoFile mo(files, c.file, 0, 0);
            ADD_FAILURE() << c.file << " opened";
        } catch (const ETranslatorIOError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    EXPECT_FALSE(files.FileExists(missing));
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    EXPECT_FALSE(files.FileExists(dir));
    DeleteFileA(empty.c_str());
    DeleteFileA(text.c_str());
}

} // namespace
} // namespace velt::i18n

namespace velt::i18n {
namespace {

// The build appended the two catalogues behind this test program's image and
// wrote the table position behind the marker; the loaded image sees it.
TEST(EmbeddedMarker, PointsAtTheTableBehindTheImage) {
    std::uint64_t table = EmbeddedTablePosition();
    ASSERT_NE(table, 0u);
    WinFileAccess files;
    auto exe = files.OpenShared(ExecutablePath());
    ASSERT_TRUE(exe);
    EXPECT_EQ(exe->Size(), table + 2 * 256 + 8) << "two entries of 256 bytes and the 8-byte end";
    const std::uint64_t added = test::AddedCatalogue().size();
    ASSERT_GT(added, 0u);
    const std::uint64_t addedRoom = (added + 1023) / 1024 * 1024;
    struct Entry {
        std::uint64_t next, offset, size;
        const char* name;
    } expected[] = {
        {table + 256, table - addedRoom - 3072, 3052, "locale\\pl\\LC_MESSAGES\\default.mo"},
        {table + 512, table - addedRoom, added, "locale\\pl\\LC_MESSAGES\\velt.mo"},
    };
    for (int i = 0; i < 2; ++i) {
        unsigned char entry[64];
        ASSERT_TRUE(exe->ReadAt(table + 256 * i, entry, sizeof entry));
        auto word = [&](int at) {
            std::uint64_t v = 0;
            for (int k = 7; k >= 0; --k) v = (v << 8) | entry[at + k];
            return v;
        };
        EXPECT_EQ(word(0), expected[i].next) << i;
        EXPECT_EQ(word(8), expected[i].offset) << i;
        EXPECT_EQ(word(16), expected[i].size) << i;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(entry) + 24, std::strlen(expected[i].name)), expected[i].name);
    }
}

} // namespace
} // namespace velt::i18n
