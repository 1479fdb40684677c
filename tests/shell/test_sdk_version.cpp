// A module's access layer compares the host program's SDK version and record
// sizes with its own when it attaches: this test program plays the host and
// exports VarnSdkValue, answering from a table the cases change.
#include "shell/sdk_check.h"
#include "shell_base/log_capture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char* g_changedName = nullptr;  // the one name answered differently
int32_t g_changedValue = 0;

}  // namespace

extern "C" VARN_EXPORT int32_t VARN_CDECL VarnSdkValue(const char* name) {
    if (g_changedName && strcmp(name, g_changedName) == 0) return g_changedValue;
    return SdkOwnValue(name);
}

namespace {

void Capture(LogSeverity severity, const char* text, void* context) {
    if (severity == LogSeverity::Error) static_cast<std::vector<std::string>*>(context)->push_back(text);
}

TEST(SdkVersion, EveryDifferenceFromTheHostIsOneErrorLine) {
    EXPECT_EQ(SdkOwnValue("Version"), VARN_SDK_VERSION);
    EXPECT_EQ(SdkOwnValue("NoSuchRecord"), -1);
    struct Case {
        const char* name;
        int32_t hostValue;
        const char* line;  // null: no line
    } cases[] = {
        {nullptr, 0, nullptr},
        {"Version", 2, "Module COM was built with SDK version 1, the host has version 2"},
        {"IniFile", 4, "Module COM has a IniFile of "},
        {"TextAttributes", -1, "Module COM has a TextAttributes of 284 bytes, the host one of -1: it must be rebuilt "
                               "with the host's SDK"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name ? c.name : "same");
        g_changedName = c.name;
        g_changedValue = c.hostValue;
        std::vector<std::string> errors;
        LogSetCaptureSink(Capture, &errors);
        int differences = ShellCheckHostSdk("COM");
        LogSetCaptureSink(nullptr, nullptr);
        EXPECT_EQ(differences, c.line ? 1 : 0);
        ASSERT_EQ(errors.size(), c.line ? 1u : 0u);
        if (c.line) {
            EXPECT_EQ(errors[0].compare(0, strlen(c.line), c.line), 0) << errors[0];
        }
    }
    g_changedName = nullptr;
}

}  // namespace
