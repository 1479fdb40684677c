// The log entry points. By default diagnostic output is switched off: every
// entry point returns at once without formatting or writing anything, and may
// be called before any service exists, with any format (a null one is ignored).
//
// Opt-in log file for module authors: when a log file is set, every entry point
// appends one line "severity: text" to it. The host sets it from startup.ini
// ([Debug] LogFile) and publishes it in the process environment before any
// module loads; each module's copy of this layer picks it up when it attaches.
#pragma once

#include <cstdint>

void LogDebugSystem(int32_t level, const char* text);
void LogInfo(const char* format, ...);
void LogNotice(const char* format, ...);
void LogWarning(const char* format, ...);
void LogError(const char* format, ...);

// The environment variable that carries the log file's path to every module.
#define VARN_LOG_FILE_VARIABLE "VARN_LOG_FILE"

// Host side: makes this deliverable log to path (null or "" switches the log
// off) and publishes the path in the environment for the modules loaded later.
// A path of kPathSize (260) bytes or more is refused: the log stays off. 1 when set.
int32_t LogSetFile(const char* path);
// Module side (called by ShellAttach): takes the path from the environment.
void LogReadFileFromEnvironment();
// The path this deliverable logs to; "" when the log is off.
const char* LogGetFile();
