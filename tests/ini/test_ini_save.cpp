// Saving documents: the text written, line ends, new paths, and a save that
// fails without touching the file it would replace.
#include "tests/ini/ini_fixture.h"

#include <filesystem>

using initest::IniTest;
using initest::Native;

namespace {

TEST_F(IniTest, SavingADocumentWithoutSectionsWritesAnEmptyFile) {
    IniFile ini("nothing.ini", 0, 1, 10);
    EXPECT_TRUE(ini.Save());
    EXPECT_EQ(Read("nothing.ini"), "");
}

TEST_F(IniTest, SaveWritesSectionsKeysAndAnEmptyLineAfterEachSection) {
    ASSERT_TRUE(Write("in.ini", "; comment\n#include nowhere.ini\n[A]\r\nText = some text\r\nN=3\r\nF=0.1\r\n\r\n[B]\r\nEmpty=\r\n"));
    IniFile ini("in.ini", 0, 0, 100);
    ini.GetInt("A", "N", 0);
    ini.GetFloat("A", "F", 0);
    EXPECT_TRUE(ini.Save("out"));
    EXPECT_STREQ(ini.Path(), ".\\out.INI");
    EXPECT_EQ(Read("out.INI"), Native("[A]\nText=some text\nN=3\nF=0.100000\n\n[B]\nEmpty=\n\n"));
    // Walking the lists for the save leaves their positions cleared.
    EXPECT_EQ(ini.CurrentSectionIndex(), -1);
    EXPECT_EQ(ini.FindSection("A")->Keys().CurrentIndex(), -1);
    // Nothing is left beside the file.
    EXPECT_EQ(Read("out.INI.new"), "<missing>");
}

TEST_F(IniTest, AnEmptyNewPathFailsTheSave) {
    IniFile ini("x.ini", 0, 1, 10);
    EXPECT_FALSE(ini.Save(""));
    EXPECT_STREQ(ini.Path(), "");
    EXPECT_FALSE(ini.Save());
}

TEST_F(IniTest, AValueWithALineBreakStaysOnItsLine) {
    IniFile ini("br.ini", 0, 1, 100);
    ASSERT_TRUE(ini.SetString("S", "K", "x"));
    ASSERT_TRUE(ini.SetString("S", "K", "first\n[Injected]\r\nA=1"));
    EXPECT_TRUE(ini.Save());
    EXPECT_EQ(Read("br.ini"), Native("[S]\nK=first\n\n"));
}

TEST_F(IniTest, AFailedSaveLeavesTheOldFileAsItWas) {
    ASSERT_TRUE(Write("keep.ini", "[Old]\nA=1\n"));
    IniFile ini("keep.ini", 0, 0, 100);
    ASSERT_TRUE(ini.SetInt("Old", "A", 2));
    // The new text cannot be written beside the file.
    ASSERT_TRUE(plat::DirMake(m_dir.File("keep.ini.new").c_str()));
    EXPECT_FALSE(ini.Save());
    EXPECT_EQ(Read("keep.ini"), "[Old]\nA=1\n");
    // Nor into a directory that does not exist.
    EXPECT_FALSE(ini.Save("missing\\dir\\keep.ini"));
}

// Each write, flush, close and replace of a save failing in turn (the first,
// then the second, ... until the save gets through): the old file stays as it
// was and nothing is left beside it.
TEST_F(IniTest, ASaveFailingAtAnyFileOperationLeavesNoNewFile) {
    const std::string old = "[Old]\nA=1\n";
    ASSERT_TRUE(Write("keep.ini", old));
    IniFile ini("keep.ini", 0, 0, 40000);
    // More than one buffer of text: the save takes several writes.
    ASSERT_TRUE(ini.SetString("Old", "Long", std::string(20000, 'v').c_str()));
    const plat::FileOp operations[] = {plat::FileOp::Write, plat::FileOp::Flush, plat::FileOp::Close,
                                       plat::FileOp::Replace};
    for (plat::FileOp operation : operations) {
        int failures = 0;
        for (int n = 1; n <= 10; ++n) {
            SCOPED_TRACE(testing::Message() << "operation " << static_cast<int>(operation) << ", call " << n);
            ASSERT_TRUE(Write("keep.ini", old));
            plat::FileFailNth(operation, n);
            const bool saved = ini.Save();
            plat::FileFailNth(operation, 0);
            if (saved) break;
            ++failures;
            EXPECT_EQ(Read("keep.ini"), old);
            EXPECT_EQ(Read("keep.ini.new"), "<missing>");
        }
        EXPECT_GE(failures, operation == plat::FileOp::Write ? 2 : 1);
        EXPECT_EQ(Read("keep.ini.new"), "<missing>");
        EXPECT_NE(Read("keep.ini"), old);  // the save that got through
    }
}

TEST_F(IniTest, AReadOnlyFileIsNotReplaced) {
    ASSERT_TRUE(Write("ro.ini", "[S]\nA=1\n"));
    IniFile ini("ro.ini", 0, 0, 100);
    ASSERT_TRUE(ini.SetInt("S", "A", 2));
    std::filesystem::path host = testsupport::HostPath(m_dir.File("ro.ini"));
    std::filesystem::permissions(host, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    const bool osRefusesWrites = !plat::FileIsWritable(m_dir.File("ro.ini").c_str());
    if (osRefusesWrites) {
        EXPECT_FALSE(ini.Save());
        EXPECT_EQ(Read("ro.ini"), "[S]\nA=1\n");
    }
    std::filesystem::permissions(host, std::filesystem::perms::owner_all);
    if (!osRefusesWrites) GTEST_SKIP() << "this user may write read-only files";
}

TEST_F(IniTest, APathThatLeavesNoRoomForTheNewFileIsWrittenInPlace) {
    std::string path = m_dir.File("");
    std::string name = std::string(259 - path.size() - 4, 'p') + ".ini";
    ASSERT_EQ((path + name).size(), 259u);
    ASSERT_TRUE(Write(name, "[S]\nA=1\n"));
    IniFile ini((path + name).c_str(), 0, 0, 100);
    ASSERT_EQ(ini.NotLoaded(), 0);
    ASSERT_TRUE(ini.SetInt("S", "A", 5));
    EXPECT_TRUE(ini.Save());
    EXPECT_EQ(Read(name), Native("[S]\nA=5\n\n"));
}

TEST_F(IniTest, SavedTextReadsBackToTheSameDocument) {
    IniFile ini("round.ini", 0, 1, 1000);
    ini.SetString("Text", "Words", "with ; semicolon = and equals");
    ini.SetInt("Numbers", "Negative", -2147483647 - 1);
    ini.SetFloat("Numbers", "Small", 0.000123f);
    ini.SetBool("Flags", "On", 1);
    ini.SetHex("Flags", "Mask", 0x80000000u);
    ASSERT_TRUE(ini.Save());
    IniFile again("round.ini", 0, 0, 1000);
    EXPECT_EQ(Dump(again), "[Text]\nWords=with ; semicolon = and equals\n[Numbers]\nNegative=-2147483648\n"
                           "Small=0.000123\n[Flags]\nOn=TRUE\nMask=0x80000000\n");
    EXPECT_TRUE(again.Save("round2"));
    EXPECT_EQ(Read("round2.INI"), Read("round.ini"));
}

}  // namespace
