// The DirectX check with this system's own diagnostic component.
#include "host/media/directx_check.h"
#include "shell_base/log_capture.h"
#include "tests/support/message_box_watcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void RecordLog(LogSeverity severity, const char* text, void* context) {
    if (severity == LogSeverity::Info) static_cast<std::vector<std::string>*>(context)->push_back(text);
}

// This system's own diagnostic component (Wine's answers 9.0c) lets the program start.
TEST(DirectXVersion, DiagnosticComponentOfThisSystem) {
    uint32_t major = 0;
    uint32_t minor = 0;
    char letter = ' ';
    ASSERT_EQ(S_OK, DirectXVersionViaDiagnostics(&major, &minor, &letter));
    EXPECT_EQ(9u, major);
    EXPECT_EQ(0u, minor);
    EXPECT_EQ('c', letter);

    std::vector<std::string> log;
    LogSetCaptureSink(RecordLog, &log);
    int result;
    {
        testsupport::MessageBoxWatcher watcher("Error!");
        result = DirectXCheck();
        EXPECT_TRUE(watcher.Boxes().empty());
    }
    LogSetCaptureSink(nullptr, nullptr);
    EXPECT_EQ(1, result);
    EXPECT_EQ(std::vector<std::string>{"DirectX Version 0x00090003, 9.0c detected..."}, log);
}

}  // namespace
