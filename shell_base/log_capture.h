// Test seam of the log entry points: a test may install a sink that receives
// each message, formatted, with its severity. The product never installs one,
// so its log calls stay free of formatting and output.
#pragma once

enum class LogSeverity { DebugSystem, Info, Notice, Warning, Error };

using LogSink = void (*)(LogSeverity severity, const char* text, void* context);

// Installs (or with null removes) the sink of this deliverable's log entry points.
void LogSetCaptureSink(LogSink sink, void* context);
