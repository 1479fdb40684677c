// CommandLine: building the text from arguments and strings, tokens split at
// runs of separators, options of the form name:value, and the text's limit.
#include "files/command_line.h"
#include "files/paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CommandLine Lobby() {
    CommandLine line;
    line.FromStringWithSeparators("-host -n:Pilot -c:3", "-");
    return line;
}

}  // namespace

TEST(CommandLine, HostLaunchWithDashSeparators) {
    CommandLine line = Lobby();
    ASSERT_TRUE(line.IsValid());
    EXPECT_EQ(0, line.FindToken("host"));
    EXPECT_EQ(0, line.FindToken("HOST"));
    char value[kPathSize];
    ASSERT_TRUE(line.GetOption("n", value, sizeof value));
    EXPECT_STREQ("Pilot ", value);
    EXPECT_EQ(3, line.GetOptionInt("c", 0));
    EXPECT_FALSE(line.GetOption("N", value, sizeof value));
    EXPECT_EQ(-7, line.GetOptionInt("N", -7));
}

TEST(CommandLine, OptionNameMayCarryItsColon) {
    CommandLine line = Lobby();
    char value[kPathSize];
    ASSERT_TRUE(line.GetOption("n:", value, sizeof value));
    EXPECT_STREQ("Pilot ", value);
    // "ho" is the start of "host" but not followed by ':'.
    EXPECT_FALSE(line.GetOption("ho", value, sizeof value));
    EXPECT_FALSE(line.GetOption(nullptr, value, sizeof value));
    char small[3];
    ASSERT_TRUE(line.GetOption("n", small, sizeof small));
    EXPECT_STREQ("Pi", small);
}

TEST(CommandLine, TokensAreTrimmedAndCounted) {
    CommandLine line;
    line.FromString("  gamespy   join\t 42  2.5 x7 ");
    char token[kPathSize];
    ASSERT_TRUE(line.GetToken(0, token, sizeof token));
    EXPECT_STREQ("gamespy", token);
    ASSERT_TRUE(line.GetToken(2, token, sizeof token));
    EXPECT_STREQ("42", token);
    EXPECT_FALSE(line.GetToken(5, token, sizeof token));
    EXPECT_FALSE(line.GetToken(-1, token, sizeof token));
    EXPECT_EQ(1, line.FindToken("JOIN"));  // the token "join\t" is trimmed first
    EXPECT_EQ(-1, line.FindToken("jo"));
    EXPECT_EQ(-1, line.FindToken(nullptr));
    EXPECT_EQ(42, line.GetTokenInt(2, -1));
    EXPECT_FLOAT_EQ(2.5f, line.GetTokenFloat(3, -1.0f));
    EXPECT_EQ(-1, line.GetTokenInt(4, -1));  // "x7" has no leading digits
    EXPECT_EQ(-1, line.GetTokenInt(9, -1));
    EXPECT_FLOAT_EQ(0.25f, line.GetTokenFloat(9, 0.25f));
}

TEST(CommandLine, QuotesBecomeBlanks) {
    CommandLine line;
    line.FromStringWithSeparators("-n:\"Red Leader\" -p:\"7\"", "-");
    char value[kPathSize];
    ASSERT_TRUE(line.GetOption("n", value, sizeof value));
    EXPECT_STREQ(" Red Leader  ", value);
    EXPECT_EQ(7, line.GetOptionInt("p", 0));
    EXPECT_FLOAT_EQ(7.0f, line.GetOptionFloat("p", 0.0f));
    EXPECT_FLOAT_EQ(1.5f, line.GetOptionFloat("q", 1.5f));
}

TEST(CommandLine, EmptyTextIsInvalid) {
    CommandLine line;
    EXPECT_FALSE(line.IsValid());
    char token[8] = "keep";
    EXPECT_FALSE(line.GetToken(0, token, sizeof token));
    EXPECT_STREQ("keep", token);
    line.FromString(nullptr);
    EXPECT_FALSE(line.IsValid());
    line.FromString("");
    EXPECT_FALSE(line.IsValid());
    EXPECT_EQ(-1, line.FindToken(""));
    // Blanks only: valid text, but no token.
    line.FromString("   ");
    EXPECT_TRUE(line.IsValid());
    EXPECT_FALSE(line.GetToken(0, token, sizeof token));
    const char* none[] = {"Varn.exe"};
    line.FromArguments(1, none);
    EXPECT_FALSE(line.IsValid());
    line.FromArguments(3, nullptr);
    EXPECT_FALSE(line.IsValid());
}

TEST(CommandLine, FromArgumentsJoinsWithBlanks) {
    const char* arguments[] = {"Varn.exe", "gamespy", "-c:3", nullptr, "x"};
    CommandLine line;
    line.FromArguments(5, arguments);
    EXPECT_STREQ("gamespy -c:3  x ", line.Text());
    EXPECT_TRUE(line.IsValid());
    EXPECT_EQ(0, line.FindToken("GameSpy"));
    EXPECT_EQ(3, line.GetOptionInt("-c", 0));
    EXPECT_EQ(2, line.FindToken("x"));
}

TEST(CommandLine, FromArgumentsStopsAtTheArgumentThatDoesNotFit) {
    // 1022 bytes of argument and its blank fill the text exactly (1023 + terminator).
    const std::string exact(1022, 'a');
    const char* fits[] = {"Varn.exe", exact.c_str()};
    CommandLine line;
    line.FromArguments(2, fits);
    EXPECT_EQ(exact + " ", line.Text());

    const std::string over(1023, 'b');
    const char* tooLong[] = {"Varn.exe", "-x", over.c_str(), "-c:3"};
    line.FromArguments(4, tooLong);
    EXPECT_STREQ("-x ", line.Text());  // no cut argument, nothing after it
    EXPECT_EQ(-1, line.GetOptionInt("-c", -1));
    // 1023 bytes on their own leave no room for the blank: nothing is taken.
    const char* alone[] = {"Varn.exe", over.c_str()};
    line.FromArguments(2, alone);
    EXPECT_STREQ("", line.Text());
    EXPECT_FALSE(line.IsValid());

    std::vector<std::string> many(300, "-abc");  // 5 bytes each with the blank
    std::vector<const char*> pointers = {"Varn.exe"};
    for (const std::string& s : many) pointers.push_back(s.c_str());
    line.FromArguments(static_cast<int>(pointers.size()), pointers.data());
    EXPECT_EQ(1020u, strlen(line.Text()));  // 204 whole arguments
    EXPECT_EQ(' ', line.Text()[1019]);
}

TEST(CommandLine, LongStringsAreCutToTheText) {
    const std::string fits(1023, 'f');
    CommandLine exact;
    exact.FromString(fits.c_str());
    EXPECT_EQ(fits, exact.Text());
    const std::string oneOver = std::string(1022, 'g') + "h";
    exact.FromStringWithSeparators((oneOver + "i").c_str(), " ");
    EXPECT_EQ(oneOver, exact.Text());

    const std::string longText = std::string(1500, 'z');
    CommandLine line;
    line.FromString(longText.c_str());
    EXPECT_EQ(1023u, strlen(line.Text()));
    char token[kPathSize];
    ASSERT_TRUE(line.GetToken(0, token, sizeof token));
    EXPECT_EQ(std::string(259, 'z'), token);

    const std::string separators(200, '-');
    line.FromStringWithSeparators("a-b", separators.c_str());
    EXPECT_EQ(1, line.FindToken("b"));
}
