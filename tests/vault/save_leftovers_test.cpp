// Which file names are the temporary files of an interrupted Save: only
// those are removed at start, never the vault or a file of the user's.
#include "vault/save_leftovers.h"

#include <gtest/gtest.h>

namespace velt {
namespace {

TEST(SaveLeftoversTest, NamesOfSaveTemporaryFiles) {
    struct Case {
        const char* name;
        bool temp;
    };
    const Case cases[] = {
        {"baza.pdb.1a2b-0.tmp", true},
        {"baza.pdb.ffffffff-99.tmp", true},
        {"BAZA.PDB.1A2B-7.TMP", true},  // Windows names ignore case
        {"baza.pdb", false},
        {"baza.pdb.tmp", false},
        {"baza.pdb.1a2b.tmp", false},
        {"baza.pdb.-0.tmp", false},
        {"baza.pdb.1a2b-.tmp", false},
        {"baza.pdb.1a2g-0.tmp", false},            // not hex
        {"baza.pdb.123456789-0.tmp", false},       // longer than a process id
        {"baza.pdb.1a2b-1234.tmp", false},         // more candidates than Save tries
        {"baza.pdb.1a2b-0.tmp.txt", false},
        {"baza.pdb.1a2b-0.tm", false},
        {"xbaza.pdb.1a2b-0.tmp", false},
        {"baza.pdx.1a2b-0.tmp", false},
        {"baza.pdb.1a2b-0x.tmp", false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsSaveTempName("baza.pdb", c.name), c.temp) << c.name;
}

TEST(SaveLeftoversTest, EverySaveTemporaryNameIsRecognised) {
    for (unsigned long pid : {0x1ul, 0x2aul, 0xfffffffful})
        for (unsigned n : {0u, 9u, 99u}) {
            const std::string path = SaveTempName("C:\\velt\\baza.pdb", pid, n);
            ASSERT_EQ(path.rfind("C:\\velt\\", 0), 0u);
            EXPECT_TRUE(IsSaveTempName("baza.pdb", path.substr(8))) << path;
            EXPECT_EQ(SaveTempProcessId("baza.pdb", path.substr(8)), pid) << path;
        }
    EXPECT_EQ(SaveTempProcessId("baza.pdb", "BAZA.PDB.1A2B-7.TMP"), 0x1a2bul);
    EXPECT_EQ(SaveTempProcessId("baza.pdb", "baza.pdb.1a2b.tmp"), 0ul);
}

} // namespace
} // namespace velt
