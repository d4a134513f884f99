// The host's mmap-based file access behind the MO reader.
#include "i18n/file_access_posix.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "i18n/mo_file.h"
#include "i18n/translator_errors.h"

namespace velt::i18n {
namespace {

TEST(PosixFileAccess, MapsAndReadsRealFiles) {
    PosixFileAccess files;
    std::string empty = testing::TempDir() + "velt_empty.mo";
    std::fclose(std::fopen(empty.c_str(), "wb"));

    EXPECT_TRUE(files.FileExists(VELT_POLISH_CATALOGUE));
    EXPECT_FALSE(files.FileExists(testing::TempDir()));  // a directory
    EXPECT_FALSE(files.FileExists("/nonexistent/velt.mo"));
    EXPECT_EQ(files.MapReadOnly("/nonexistent/velt.mo").failedStep, MapStep::Open);
    EXPECT_EQ(files.MapReadOnly(empty).failedStep, MapStep::CreateMapping);

    MapOutcome mapped = files.MapReadOnly(VELT_POLISH_CATALOGUE);
    ASSERT_TRUE(mapped.file);
    EXPECT_EQ(mapped.file->Size(), 3052u);
    auto reader = files.OpenShared(VELT_POLISH_CATALOGUE);
    ASSERT_TRUE(reader);
    unsigned char head[28];
    ASSERT_TRUE(reader->ReadAt(0, head, sizeof head));
    EXPECT_EQ(std::memcmp(head, mapped.file->Data(), sizeof head), 0);
    EXPECT_FALSE(reader->ReadAt(3040, head, sizeof head));

    TMoFile mo(files, VELT_POLISH_CATALOGUE, 0, 0);
    EXPECT_EQ(mo.Lookup("Password"), "Hasło");
    EXPECT_THROW(TMoFile(files, empty, 0, 0), ETranslatorIOError);
    std::remove(empty.c_str());
}

} // namespace
} // namespace velt::i18n
