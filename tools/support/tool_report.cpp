#include "tools/support/tool_report.h"

#include "shell_base/log_capture.h"

#include <cstdio>
#include <vector>

namespace toolsupport {

namespace {

const char* g_name = "tool";
const char* g_usage = "";
std::vector<std::string> g_errors;

void CollectErrors(LogSeverity severity, const char* text, void*) {
    if (severity == LogSeverity::Error && text) g_errors.push_back(text);
}

void PrintErrors() {
    for (const std::string& error : g_errors) fprintf(stderr, "%s: %s\n", g_name, error.c_str());
    g_errors.clear();
}

}  // namespace

void BeginReporting(const char* toolName, const char* usage) {
    g_name = toolName;
    g_usage = usage;
    g_errors.clear();
    LogSetCaptureSink(CollectErrors, nullptr);
}

void EndReporting() { LogSetCaptureSink(nullptr, nullptr); }

int Fail(const std::string& message) {
    PrintErrors();
    fprintf(stderr, "%s: %s\n", g_name, message.c_str());
    return kFailed;
}

int FailWithReport(const std::string& fallback) {
    if (g_errors.empty()) return Fail(fallback);
    PrintErrors();
    return kFailed;
}

int BadUsage(const std::string& message) {
    fprintf(stderr, "%s: %s\n%s", g_name, message.c_str(), g_usage);
    return kBadUsage;
}

std::string SystemPath(const std::string& text) {
    std::string path = text;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

}  // namespace toolsupport
