// The bounded string helpers: empty and null rules, comparison, bounded copies
// at and past the buffer size, in-place splitting, case and trimming.
#include "files/strings.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::GuardedBuffer;

TEST(StringRules, NullAndEmptyTexts) {
    EXPECT_TRUE(IsEmptyString(nullptr));
    EXPECT_TRUE(IsEmptyString(""));
    EXPECT_FALSE(IsEmptyString(" "));
    EXPECT_EQ(nullptr, ClearString(nullptr));
    char text[] = "abc";
    EXPECT_EQ(text, ClearString(text));
    EXPECT_STREQ("", text);
    EXPECT_EQ('b', text[1]);  // only the first byte is written
}

TEST(StringRules, DuplicateAndFree) {
    EXPECT_EQ(nullptr, DuplicateString(nullptr));
    char* empty = DuplicateString("");
    ASSERT_NE(nullptr, empty);
    EXPECT_STREQ("", empty);
    const char original[] = "Menu\\Menu.ini";
    char* copy = DuplicateString(original);
    ASSERT_NE(nullptr, copy);
    EXPECT_NE(original, copy);
    EXPECT_STREQ(original, copy);
    FreeString(&copy);
    EXPECT_EQ(nullptr, copy);
    FreeString(&copy);  // a second free of the nulled pointer does nothing
    FreeString(&empty);
    FreeString(nullptr);
    EXPECT_EQ(nullptr, empty);
}

TEST(StringCompare, EmptyRulesComeFirst) {
    EXPECT_TRUE(StringsEqual(nullptr, "", true));
    EXPECT_TRUE(StringsEqual(nullptr, nullptr, false));
    EXPECT_FALSE(StringsEqual("", "x", false));
    EXPECT_FALSE(StringsEqual("x", nullptr, true));
    EXPECT_FALSE(StringsEqualN("", "", 0, true));
    EXPECT_FALSE(StringsEqualN("abc", "abc", -1, true));
    EXPECT_TRUE(StringsEqualN(nullptr, "", 3, true));
    EXPECT_FALSE(StringsEqualN(nullptr, "a", 3, true));
}

TEST(StringCompare, CaseAndLength) {
    EXPECT_TRUE(StringsEqual("Startup.INI", "startup.ini", false));
    EXPECT_FALSE(StringsEqual("Startup.INI", "startup.ini", true));
    EXPECT_FALSE(StringsEqual("abc", "abcd", false));
    EXPECT_FALSE(StringsEqual("abcd", "abc", true));
    // Only letters fold: '[' (0x5B) is not '{' (0x7B).
    EXPECT_FALSE(StringsEqual("[", "{", false));
    EXPECT_FALSE(StringsEqual("@", "`", false));
}

TEST(StringCompare, FirstNBytes) {
    EXPECT_TRUE(StringsEqualN("GraphicsOptions", "graphicsX", 8, false));
    EXPECT_FALSE(StringsEqualN("GraphicsOptions", "graphicsX", 8, true));
    EXPECT_FALSE(StringsEqualN("GraphicsOptions", "graphicsX", 9, false));
    // A shorter text differs within n bytes, even though one is a prefix.
    EXPECT_FALSE(StringsEqualN("abc", "abcdef", 5, true));
    EXPECT_TRUE(StringsEqualN("abc", "abc", 100, true));
}

TEST(StringCopy, CutsAndTerminates) {
    char four[4];
    EXPECT_EQ(four, CopyString(four, "abcdef", 4));
    EXPECT_STREQ("abc", four);
    char text[8] = "xxxxxxx";
    CopyString(text, nullptr, sizeof text);
    EXPECT_STREQ("", text);
    CopyString(text, "", sizeof text);
    EXPECT_STREQ("", text);
    char one[1] = {'z'};
    CopyString(one, "abc", 1);
    EXPECT_EQ(0, one[0]);
}

TEST(StringCopy, ZeroAndNegativeSizesWriteNothing) {
    char text[4] = "abc";
    CopyString(text, "zz", 0);
    CopyString(text, "zz", -5);
    AppendString(text, "zz", 0);
    AppendString(text, "zz", -1);
    TerminateString(text, 0);
    TerminateString(text, -3);
    EXPECT_STREQ("abc", text);
    EXPECT_EQ(nullptr, CopyString(nullptr, "abc", 4));
    EXPECT_EQ(nullptr, AppendString(nullptr, "abc", 4));
    TerminateString(nullptr, 4);
}

TEST(StringCopy, PathBufferLimits) {
    const std::string exact(259, 'a');
    const std::string over(260, 'b');
    const std::string far(1000, 'c');
    GuardedBuffer buffer;
    CopyString(buffer.data(), exact.c_str(), GuardedBuffer::kSize);
    EXPECT_EQ(exact, buffer.data());
    EXPECT_TRUE(buffer.CanaryIntact());

    GuardedBuffer cut;
    CopyString(cut.data(), over.c_str(), GuardedBuffer::kSize);
    EXPECT_EQ(std::string(259, 'b'), cut.data());
    EXPECT_TRUE(cut.CanaryIntact());

    GuardedBuffer longer;
    CopyString(longer.data(), far.c_str(), GuardedBuffer::kSize);
    EXPECT_EQ(259u, strlen(longer.data()));
    EXPECT_TRUE(longer.CanaryIntact());
}

TEST(StringCopy, CopyOntoItselfKeepsTheText) {
    char text[16] = "Options.ini";
    CopyString(text, text, sizeof text);
    EXPECT_STREQ("Options.ini", text);
    CopyString(text, text + 8, sizeof text);
    EXPECT_STREQ("ini", text);
}

TEST(StringAppend, AppendsWhatFits) {
    char text[8] = "abc";
    EXPECT_EQ(text, AppendString(text, "de", sizeof text));
    EXPECT_STREQ("abcde", text);
    AppendString(text, "fghij", sizeof text);
    EXPECT_STREQ("abcdefg", text);
    AppendString(text, "x", sizeof text);  // full: nothing more
    EXPECT_STREQ("abcdefg", text);
    AppendString(text, nullptr, sizeof text);
    AppendString(text, "", sizeof text);
    EXPECT_STREQ("abcdefg", text);
}

TEST(StringAppend, PathBufferLimits) {
    GuardedBuffer buffer;
    CopyString(buffer.data(), std::string(258, 'a').c_str(), GuardedBuffer::kSize);
    AppendString(buffer.data(), "XYZ", GuardedBuffer::kSize);
    EXPECT_EQ(std::string(258, 'a') + "X", buffer.data());
    EXPECT_TRUE(buffer.CanaryIntact());

    // A destination without a terminator inside size is cut at size - 1.
    GuardedBuffer unterminated;
    memset(unterminated.data(), 'q', GuardedBuffer::kSize);
    AppendString(unterminated.data(), "abc", GuardedBuffer::kSize);
    EXPECT_EQ(std::string(259, 'q'), unterminated.data());
    EXPECT_TRUE(unterminated.CanaryIntact());
}

TEST(StringSplit, CutAtReturnsTheRest) {
    char text[] = "key=value";
    char* rest = CutAt(FindChar(text, '='));
    EXPECT_STREQ("key", text);
    EXPECT_STREQ("value", rest);
    EXPECT_EQ(nullptr, CutAt(nullptr));
    char end[] = "a";
    EXPECT_EQ(end + 1, CutAt(end + 1));  // at the terminator the position stays
}

TEST(StringSearch, FirstAndLast) {
    const char* path = "C:\\Game\\Menu\\x.ini";
    EXPECT_EQ(path + 2, FindChar(path, '\\'));
    EXPECT_EQ(path + 12, FindLastChar(path, '\\'));
    EXPECT_EQ(nullptr, FindChar(path, '/'));
    EXPECT_EQ(nullptr, FindLastChar(static_cast<const char*>(nullptr), '\\'));
    EXPECT_EQ(nullptr, FindChar("", '\\'));
}

TEST(StringCase, InPlaceLettersOnly) {
    char text[] = "Menu_1.ini [x]";
    EXPECT_EQ(text, ToUpperString(text));
    EXPECT_STREQ("MENU_1.INI [X]", text);
    EXPECT_STREQ("menu_1.ini [x]", ToLowerString(text));
    EXPECT_EQ(nullptr, ToUpperString(nullptr));
    EXPECT_EQ(nullptr, ToLowerString(nullptr));
}

TEST(StringTrim, WhiteSpaceRuns) {
    char text[] = " \t\r\n\v\f key = 1 \t\r\n";
    EXPECT_STREQ("key = 1", TrimString(text));
    char left[] = "\t a b ";
    EXPECT_STREQ("a b ", TrimLeft(left));
    char right[] = "\t a b \n";
    EXPECT_STREQ("\t a b", TrimRight(right));
    char blanks[] = " \t \t  ";
    EXPECT_STREQ("", TrimString(blanks));
    char onlyLeft[] = "   ";
    EXPECT_STREQ("", TrimLeft(onlyLeft));
    char onlyRight[] = "\t\t";
    EXPECT_STREQ("", TrimRight(onlyRight));
    EXPECT_EQ(nullptr, TrimString(nullptr));
    // 0x08 and 0x0E are not white space.
    char edges[] = "\x08x\x0E";
    EXPECT_STREQ("\x08x\x0E", TrimString(edges));
}
