#include "shell/log.h"
#include "shell/log_capture.h"

#include <cstdarg>
#include <cstdio>

namespace {

LogSink g_sink = nullptr;
void* g_sinkContext = nullptr;

void Forward(LogSeverity severity, const char* format, va_list values) {
    if (!g_sink || !format) return;
    char text[1024];
    vsnprintf(text, sizeof text, format, values);
    g_sink(severity, text, g_sinkContext);
}

}  // namespace

void LogSetCaptureSink(LogSink sink, void* context) {
    g_sink = sink;
    g_sinkContext = context;
}

void LogDebugSystem(int32_t, const char* text) {
    if (g_sink && text) g_sink(LogSeverity::DebugSystem, text, g_sinkContext);
}

#define VARN_LOG_ENTRY(name, severity)    \
    void name(const char* format, ...) {  \
        if (!g_sink) return;              \
        va_list values;                   \
        va_start(values, format);         \
        Forward(severity, format, values); \
        va_end(values);                   \
    }

VARN_LOG_ENTRY(LogInfo, LogSeverity::Info)
VARN_LOG_ENTRY(LogNotice, LogSeverity::Notice)
VARN_LOG_ENTRY(LogWarning, LogSeverity::Warning)
VARN_LOG_ENTRY(LogError, LogSeverity::Error)
