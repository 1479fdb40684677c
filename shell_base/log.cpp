// The log entry points of this deliverable: each message goes to the test sink
// when one is installed and, when a log file is set, as one line to that file.
#include "shell_base/log.h"

#include "platform/platform.h"
#include "shell_base/log_capture.h"
#include "shell_base/path_size.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

LogSink g_sink = nullptr;
void* g_sinkContext = nullptr;
char g_logFile[kPathSize] = "";

#if defined(_WIN32)
const char kLineEnd[] = "\r\n";
#else
const char kLineEnd[] = "\n";
#endif

const char* SeverityWord(LogSeverity severity) {
    switch (severity) {
        case LogSeverity::DebugSystem: return "debug";
        case LogSeverity::Info: return "info";
        case LogSeverity::Notice: return "notice";
        case LogSeverity::Warning: return "warning";
        case LogSeverity::Error: return "error";
    }
    return "log";
}

// One line per message, written with one call so that lines of several
// threads and processes never interleave. Line breaks inside the text become
// blanks; a text too long for the line is cut, the line end is always kept.
void AppendLine(LogSeverity severity, const char* text) {
    char line[1024];
    const size_t room = sizeof line - sizeof kLineEnd;  // keeps place for the line end
    int length = snprintf(line, room + 1, "%s: %s", SeverityWord(severity), text);
    if (length < 0) return;
    size_t used = static_cast<size_t>(length) < room ? static_cast<size_t>(length) : room;
    for (size_t i = 0; i < used; ++i)
        if (line[i] == '\r' || line[i] == '\n') line[i] = ' ';
    memcpy(line + used, kLineEnd, sizeof kLineEnd);
    plat::FileAppendRecord(g_logFile, line, static_cast<uint32_t>(used + sizeof kLineEnd - 1));
}

void Emit(LogSeverity severity, const char* text) {
    if (g_sink) g_sink(severity, text, g_sinkContext);
    if (g_logFile[0]) AppendLine(severity, text);
}

void Forward(LogSeverity severity, const char* format, va_list values) {
    char text[1024];
    vsnprintf(text, sizeof text, format, values);
    Emit(severity, text);
}

}  // namespace

void LogSetCaptureSink(LogSink sink, void* context) {
    g_sink = sink;
    g_sinkContext = context;
}

int32_t LogSetFile(const char* path) {
    if (!path) path = "";
    size_t length = strlen(path);
    if (length >= sizeof g_logFile) {
        g_logFile[0] = 0;
        plat::EnvSet(VARN_LOG_FILE_VARIABLE, nullptr);
        return 0;
    }
    memcpy(g_logFile, path, length + 1);  // the length is checked above
    plat::EnvSet(VARN_LOG_FILE_VARIABLE, g_logFile);
    return 1;
}

void LogReadFileFromEnvironment() {
    if (!plat::EnvGet(VARN_LOG_FILE_VARIABLE, g_logFile, sizeof g_logFile)) g_logFile[0] = 0;
}

const char* LogGetFile() { return g_logFile; }

void LogDebugSystem(int32_t, const char* text) {
    if (text && (g_sink || g_logFile[0])) Emit(LogSeverity::DebugSystem, text);
}

#define VARN_LOG_ENTRY(name, severity)            \
    void name(const char* format, ...) {          \
        if (!format || (!g_sink && !g_logFile[0])) return; \
        va_list values;                           \
        va_start(values, format);                 \
        Forward(severity, format, values);        \
        va_end(values);                           \
    }

VARN_LOG_ENTRY(LogInfo, LogSeverity::Info)
VARN_LOG_ENTRY(LogNotice, LogSeverity::Notice)
VARN_LOG_ENTRY(LogWarning, LogSeverity::Warning)
VARN_LOG_ENTRY(LogError, LogSeverity::Error)
