// The opt-in log file of the log entry points: off by default, one
// "severity: text" line per call when set, limits of the path and the line,
// and the hand-over of the path to a module through the environment.
#include "files/paths.h"
#include "platform/platform.h"
#include "shell_base/log.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(testsupport::HostPath(path), std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class LogFile : public ::testing::Test {
protected:
    void TearDown() override { LogSetFile(nullptr); }
    testsupport::ScratchDir dir;
};

TEST_F(LogFile, EachEntryPointWritesOneLineWithItsSeverity) {
    const std::string path = dir.File("varn.log");
    LogInfo("before %d", 1);  // no file yet: nothing anywhere
    ASSERT_EQ(1, LogSetFile(path.c_str()));
    LogInfo("Comm DLL %s...", "Initialized");
    LogNotice("n%d", 2);
    LogWarning("...unable to free DLL library %s.", "Fader.dll");
    LogError("Unable to load MenuSystem DLL %s!", "MenuSystem.dll");
    LogDebugSystem(3, "raw %s text");
    LogError(nullptr);          // a null format is ignored
    LogDebugSystem(1, nullptr);
    LogError("two\nlines\r");   // breaks inside a text never split the line
    LogSetFile("");
    LogError("after");          // off again
    EXPECT_EQ((std::vector<std::string>{"info: Comm DLL Initialized...", "notice: n2",
                                        "warning: ...unable to free DLL library Fader.dll.",
                                        "error: Unable to load MenuSystem DLL MenuSystem.dll!",
                                        "debug: raw %s text", "error: two lines "}),
              ReadLines(path));
}

TEST_F(LogFile, PathAndLineLimits) {
    const std::string path = dir.File("limits.log");
    EXPECT_EQ(0, LogSetFile(std::string(260, 'x').c_str()));  // no room for the terminator
    EXPECT_STREQ("", LogGetFile());
    char env[300];
    EXPECT_FALSE(plat::EnvGet(VARN_LOG_FILE_VARIABLE, env, sizeof env));
    ASSERT_EQ(1, LogSetFile(path.c_str()));
    LogWarning("%s", std::string(5000, 'w').c_str());  // cut, but the line ends
    LogInfo("next");
    std::vector<std::string> lines = ReadLines(path);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(0u, lines[0].find("warning: www"));
    EXPECT_GT(lines[0].size(), 1000u);
    EXPECT_LT(lines[0].size(), 1024u);
    EXPECT_EQ("info: next", lines[1]);
}

TEST_F(LogFile, ModuleTakesThePathFromTheEnvironment) {
    const std::string path = dir.File("env.log");
    ASSERT_EQ(1, LogSetFile(path.c_str()));  // what the host does
    char env[kPathSize];
    ASSERT_TRUE(plat::EnvGet(VARN_LOG_FILE_VARIABLE, env, sizeof env));
    EXPECT_EQ(path, env);
    char small[8];
    EXPECT_FALSE(plat::EnvGet(VARN_LOG_FILE_VARIABLE, small, sizeof small));  // never cut
    plat::EnvSet(VARN_LOG_FILE_VARIABLE, "");
    LogReadFileFromEnvironment();  // what a module's layer does at attach
    EXPECT_STREQ("", LogGetFile());
    plat::EnvSet(VARN_LOG_FILE_VARIABLE, path.c_str());
    LogReadFileFromEnvironment();
    EXPECT_EQ(path, LogGetFile());
}

TEST_F(LogFile, ThreadsWriteWholeLines) {
    const std::string path = dir.File("threads.log");
    ASSERT_EQ(1, LogSetFile(path.c_str()));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i) LogInfo("t%d %03d %s", t, i, std::string(300, 'a' + t).c_str());
        });
    for (auto& thread : threads) thread.join();
    std::vector<std::string> lines = ReadLines(path);
    ASSERT_EQ(800u, lines.size());
    int next[4] = {};
    for (const std::string& line : lines) {
        int t = line[7] - '0';
        ASSERT_TRUE(t >= 0 && t < 4) << line;
        char expected[512];
        snprintf(expected, sizeof expected, "info: t%d %03d %s", t, next[t]++, std::string(300, 'a' + t).c_str());
        EXPECT_EQ(expected, line);  // whole, and in each thread's order
    }
}

}  // namespace
