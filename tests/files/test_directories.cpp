// Working-directory and listing helpers, each test in a fresh scratch directory.
#include "files/directories.h"
#include "files/paths.h"
#include "files/string_pool.h"
#include "files/strings.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using testsupport::ScratchDir;
using testsupport::WorkingDirGuard;

namespace {

class DirectoryHelpers : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.Made());
        ASSERT_TRUE(scratch.Write("a.ini", "1"));
        ASSERT_TRUE(scratch.Write("B.INI", "22"));
        ASSERT_TRUE(scratch.Write("c.cat", "333"));
        ASSERT_TRUE(scratch.Write("readme", ""));
        ASSERT_TRUE(MakeDirectory(scratch.File("sub.ini").c_str()));
    }
    std::string Pattern(const char* mask) const { return scratch.File(mask); }

    ScratchDir scratch;
    WorkingDirGuard restore;  // destroyed first: the scratch directory is left before removal
};

std::set<std::string> Names(StringPool& pool) {
    std::set<std::string> names;
    for (pool.Rewind(); pool.HasMore(); pool.Next()) names.insert(pool.Current());
    return names;
}

}  // namespace

TEST_F(DirectoryHelpers, CountsFilesButNotDirectories) {
    EXPECT_EQ(4, CountFiles(Pattern("*.*").c_str()));
    EXPECT_EQ(2, CountFiles(Pattern("*.ini").c_str()));
    EXPECT_EQ(2, CountFiles(Pattern("*.Ini").c_str()));
    EXPECT_EQ(0, CountFiles(Pattern("*.dat").c_str()));
    EXPECT_EQ(0, CountFiles(scratch.File("missing\\*.*").c_str()));
    EXPECT_EQ(0, CountFiles(""));
    EXPECT_EQ(0, CountFiles(nullptr));
}

TEST_F(DirectoryHelpers, CollectsNamesWithOrWithoutExtension) {
    StringPool pool;
    ASSERT_TRUE(pool.Allocate(256));
    CollectFileNames(&pool, Pattern("*.ini").c_str(), false);
    EXPECT_EQ((std::set<std::string>{"a.ini", "B.INI"}), Names(pool));
    pool.Clear();
    CollectFileNames(&pool, Pattern("*.*").c_str(), true);
    EXPECT_EQ((std::set<std::string>{"a", "B", "c", "readme"}), Names(pool));
    CollectFileNames(nullptr, Pattern("*.*").c_str(), true);
    CollectFileNames(&pool, nullptr, true);
}

TEST_F(DirectoryHelpers, NamesThatDoNotFitAreSkipped) {
    // Allocate(5) holds 5 bytes of strings: "a.ini" with its zero is 6.
    StringPool pool;
    ASSERT_TRUE(pool.Allocate(5));
    CollectFileNames(&pool, Pattern("*.ini").c_str(), false);
    EXPECT_EQ(0, pool.UsedBytes());
    // Stripped, two of the one-letter names fit (2 bytes each); "readme" never does,
    // and wherever it comes in the listing the names after it are still tried.
    CollectFileNames(&pool, Pattern("*.*").c_str(), true);
    std::set<std::string> names = Names(pool);
    EXPECT_EQ(4, pool.UsedBytes());
    EXPECT_EQ(2u, names.size());
    EXPECT_EQ(0u, names.count("readme"));
}

TEST_F(DirectoryHelpers, ExistsLeavesTheWorkingDirectoryAlone) {
    char before[kPathSize], after[kPathSize];
    GetCurrentDir(before, sizeof before);
    ASSERT_FALSE(IsEmptyString(before));
    EXPECT_TRUE(DirectoryExists(scratch.Path()));
    EXPECT_TRUE(DirectoryExists(scratch.File("sub.ini").c_str()));
    EXPECT_FALSE(DirectoryExists(scratch.File("a.ini").c_str()));
    EXPECT_FALSE(DirectoryExists(scratch.File("missing").c_str()));
    EXPECT_FALSE(DirectoryExists(""));
    EXPECT_FALSE(DirectoryExists(nullptr));
    GetCurrentDir(after, sizeof after);
    EXPECT_STREQ(before, after);
}

TEST_F(DirectoryHelpers, ChangeAndRelativePaths) {
    ASSERT_TRUE(ChangeDirectory(scratch.Path()));
    EXPECT_EQ(2, CountFiles("*.ini"));
    EXPECT_TRUE(MakeDirectory("Missions"));
    EXPECT_FALSE(MakeDirectory("Missions"));  // already there
    EXPECT_FALSE(MakeDirectory(""));
    EXPECT_FALSE(MakeDirectory(nullptr));
    EXPECT_TRUE(DirectoryExists("Missions"));
    ASSERT_TRUE(ChangeDirectory("Missions"));
    EXPECT_TRUE(ChangeDirectory(".."));
    EXPECT_TRUE(DeleteFileByName("a.ini"));
    EXPECT_FALSE(DeleteFileByName("a.ini"));
    EXPECT_FALSE(DeleteFileByName(""));
    EXPECT_EQ(1, CountFiles("*.ini"));
    EXPECT_FALSE(ChangeDirectory("missing"));
    EXPECT_FALSE(ChangeDirectory(""));
    EXPECT_FALSE(ChangeDirectory(nullptr));
}

TEST_F(DirectoryHelpers, CurrentDirectoryIsBounded) {
    ASSERT_TRUE(ChangeDirectory(scratch.Path()));
    char full[kPathSize];
    GetCurrentDir(full, sizeof full);
    EXPECT_TRUE(StringsEqual(scratch.Path(), full, false)) << full;
    // Too small for the whole directory: an empty text, never a cut path.
    char small[4] = "abc";
    GetCurrentDir(small, sizeof small);
    EXPECT_STREQ("", small);
    char untouched[4] = "abc";
    GetCurrentDir(untouched, 0);
    GetCurrentDir(nullptr, 10);
    EXPECT_STREQ("abc", untouched);
}
