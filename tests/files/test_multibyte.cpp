// Double-byte characters in the helpers. On Windows the tests switch the C
// runtime to code page 932, where 0x95 0x5C is one character whose trail byte
// equals '\' and 0x82 0x61 one whose trail byte equals 'a': neither may split a
// path or change case. The posix layer is single-byte, so there the same texts
// show the single-byte reading, byte for byte.
#include "files/command_line.h"
#include "files/paths.h"
#include "files/strings.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Multibyte : public ::testing::Test {
protected:
    void SetUp() override {
        saved = plat::GetMultibyteCodePage();
        doubleByte = plat::SetMultibyteCodePage(932);
#ifdef _WIN32
        if (!doubleByte) GTEST_SKIP() << "the C runtime refused code page 932; double-byte rules not tested";
        ASSERT_TRUE(plat::IsLeadByte(0x95));
        ASSERT_TRUE(plat::IsLeadByte(0x82));
        ASSERT_FALSE(plat::IsLeadByte(0x5C));
#else
        ASSERT_FALSE(doubleByte) << "the posix layer is single-byte";
        ASSERT_FALSE(plat::IsLeadByte(0x95));
#endif
    }
    void TearDown() override {
        plat::SetMultibyteCodePage(saved);
        EXPECT_EQ(saved, plat::GetMultibyteCodePage());
    }
    // The double-byte reading when code page 932 is active, else the single-byte one.
    std::string Expected(const std::string& doubleByteResult, const std::string& singleByteResult) const {
        return doubleByte ? doubleByteResult : singleByteResult;
    }

    unsigned saved = 0;
    bool doubleByte = false;
};

// 0x95 0x5C: one double-byte character whose trail byte is a backslash.
const char kHyo[] = "\x95\x5C";

std::string PathPart(void (*part)(const char*, char*, int), const std::string& path) {
    char out[kPathSize];
    part(path.c_str(), out, sizeof out);
    return out;
}

}  // namespace

TEST_F(Multibyte, FileNameIsNotSplitAtATrailByte) {
    EXPECT_EQ(Expected(std::string(kHyo) + ".ini", ".ini"), PathPart(GetFileName, std::string("Data\\") + kHyo + ".ini"));
    EXPECT_EQ(Expected(kHyo, ""), PathPart(GetFileName, std::string("Data\\") + kHyo));
    EXPECT_EQ(Expected(kHyo, ""), PathPart(GetFileExtension, std::string("Data\\a.") + kHyo));
    EXPECT_EQ(Expected("Data\\a", std::string("Data\\a.") + kHyo), PathPart(StripExtension, std::string("Data\\a.") + kHyo));
}

TEST_F(Multibyte, CombineSeesNoSeparatorInADoubleByteCharacter) {
    const std::string name = std::string(kHyo) + ".ini";
    char out[kPathSize];
    CombinePath(".\\", name.c_str(), out, sizeof out);
    // Single-byte, the name holds a backslash and is taken unchanged.
    EXPECT_EQ(Expected(".\\" + name, name), out);

    // A path ending in the character still needs a separator before the next component.
    char path[kPathSize];
    CopyString(path, (std::string("Data\\") + kHyo).c_str(), sizeof path);
    AppendPathComponent(sizeof path, path, "x.ini");
    EXPECT_EQ(Expected(std::string("Data\\") + kHyo + "\\x.ini", std::string("Data\\") + kHyo + "x.ini"), path);

    const std::string deeper = std::string("a") + kHyo + "b\\c.ini";
    EXPECT_EQ(Expected("\\c.ini", std::string("\\b\\c.ini")), std::string(FindChar(deeper.c_str(), '\\')));
}

TEST_F(Multibyte, CaseConversionLeavesTrailBytesAlone) {
    char upper[] = "a\x82\x61z";
    ToUpperString(upper);
    EXPECT_EQ(Expected("A\x82\x61Z", "A\x82\x41Z"), upper);
    char lower[] = "A\x82\x41Z";
    ToLowerString(lower);
    EXPECT_EQ(Expected("a\x82\x41z", "a\x82\x61z"), lower);
    // Two different double-byte characters never compare equal by folding their trail bytes.
    EXPECT_EQ(!doubleByte, StringsEqual("x\x82\x61", "X\x82\x41", false));
    EXPECT_EQ(!doubleByte, StringsEqualN("\x82\x61Q", "\x82\x41q", 3, false));
}

TEST_F(Multibyte, BoundedCopyKeepsWholeCharacters) {
    const std::string text = std::string("ab") + kHyo;
    char out[4];
    CopyString(out, text.c_str(), sizeof out);
    EXPECT_EQ(Expected("ab", "ab\x95"), out);
    char appended[4] = "x";
    AppendString(appended, (std::string("y") + kHyo).c_str(), sizeof appended);
    EXPECT_EQ(Expected("xy", "xy\x95"), appended);
}

TEST_F(Multibyte, CommandLineSeparatorsSkipTrailBytes) {
    const std::string text = std::string("a") + kHyo + "b\\c";
    CommandLine line;
    line.FromStringWithSeparators(text.c_str(), "\\");
    EXPECT_EQ(Expected("1", "2"), std::to_string(line.FindToken("c")));
    char token[kPathSize];
    ASSERT_TRUE(line.GetToken(0, token, sizeof token));
    EXPECT_EQ(Expected(std::string("a") + kHyo + "b", "a\x95"), token);
}
