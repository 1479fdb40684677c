// Directories: make, exists, change, the current directory, and listings by
// wildcard with letter case ignored and directories left out.
#include "files/paths.h"
#include "platform/platform.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using testsupport::ScratchDir;
using testsupport::WorkingDirGuard;

namespace {

std::set<std::string> List(const std::string& pattern, int* count) {
    std::set<std::string> names;
    *count = plat::DirListFiles(
        pattern.c_str(),
        [](const char* name, void* context) { static_cast<std::set<std::string>*>(context)->insert(name); },
        &names);
    return names;
}

class Directories : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.Made());
        for (const char* name : {"a.ini", "UPPER.INI", "Mixed.Ini", "x.cat", "noext", "ab.ini"})
            ASSERT_TRUE(scratch.Write(name, name));
        ASSERT_TRUE(plat::DirMake(scratch.File("folder.ini").c_str()));
        ASSERT_TRUE(plat::DirMake(scratch.File("plain").c_str()));
    }
    ScratchDir scratch;
    WorkingDirGuard restore;
};

}  // namespace

TEST_F(Directories, ListEveryFileWithStarDotStar) {
    int count = 0;
    std::set<std::string> names = List(scratch.File("*.*"), &count);
    EXPECT_EQ(6, count);
    EXPECT_EQ((std::set<std::string>{"a.ini", "UPPER.INI", "Mixed.Ini", "x.cat", "noext", "ab.ini"}), names);
    EXPECT_EQ(6, plat::DirListFiles(scratch.File("*").c_str(), nullptr, nullptr));
}

TEST_F(Directories, PatternsIgnoreLetterCaseAndSkipDirectories) {
    int count = 0;
    EXPECT_EQ((std::set<std::string>{"a.ini", "UPPER.INI", "Mixed.Ini", "ab.ini"}), List(scratch.File("*.ini"), &count));
    EXPECT_EQ(4, count);
    EXPECT_EQ((std::set<std::string>{"a.ini", "UPPER.INI", "Mixed.Ini", "ab.ini"}), List(scratch.File("*.INI"), &count));
    EXPECT_EQ((std::set<std::string>{"a.ini"}), List(scratch.File("?.ini"), &count));
    EXPECT_EQ((std::set<std::string>{"UPPER.INI"}), List(scratch.File("up*"), &count));
    List(scratch.File("*.dat"), &count);
    EXPECT_EQ(0, count);
    List(scratch.File("folder.ini"), &count);
    EXPECT_EQ(0, count);
    List(scratch.File("nowhere\\*.*"), &count);
    EXPECT_EQ(0, count);
    EXPECT_EQ(0, plat::DirListFiles("", nullptr, nullptr));
}

TEST_F(Directories, MakeExistsAndChange) {
    const std::string sub = scratch.File("Missions");
    EXPECT_FALSE(plat::DirExists(sub.c_str()));
    EXPECT_TRUE(plat::DirMake(sub.c_str()));
    EXPECT_FALSE(plat::DirMake(sub.c_str()));
    EXPECT_TRUE(plat::DirExists(sub.c_str()));
    EXPECT_FALSE(plat::DirExists(scratch.File("a.ini").c_str()));
    EXPECT_FALSE(plat::DirMake(scratch.File("no\\such\\parent").c_str()));
    EXPECT_FALSE(plat::DirExists(""));

    ASSERT_TRUE(plat::DirChange(sub.c_str()));
    char current[1024];
    ASSERT_TRUE(plat::DirGetCurrent(current, sizeof current));
    EXPECT_EQ(0, std::string(current).compare(std::string(current).size() - 9, 9, "\\Missions")) << current;
    EXPECT_EQ(nullptr, strchr(current, '/'));
    ASSERT_TRUE(plat::DirChange(".."));
    EXPECT_TRUE(plat::FileIsPlain("a.ini"));  // relative names follow the change
    EXPECT_EQ(4, plat::DirListFiles("*.ini", nullptr, nullptr));
    EXPECT_FALSE(plat::DirChange("a.ini"));
    EXPECT_FALSE(plat::DirChange("missing"));
    EXPECT_FALSE(plat::DirChange(""));
}

TEST_F(Directories, CurrentDirectoryIsBoundedAndTerminated) {
    ASSERT_TRUE(plat::DirChange(scratch.Path()));
    char small[8];
    memset(small, 'x', sizeof small);
    EXPECT_FALSE(plat::DirGetCurrent(small, sizeof small));
    EXPECT_LT(strlen(small), sizeof small);
    EXPECT_FALSE(plat::DirGetCurrent(small, 0));
    EXPECT_FALSE(plat::DirGetCurrent(nullptr, 10));

    char temp[kPathSize];
    ASSERT_TRUE(plat::DirTemp(temp, sizeof temp));
    EXPECT_TRUE(plat::DirExists(temp));
    size_t length = strlen(temp);
    ASSERT_GT(length, 0u);
    EXPECT_TRUE(length <= 3 || temp[length - 1] != '\\') << temp;
}
