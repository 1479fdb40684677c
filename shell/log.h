// The log entry points. In this system diagnostic output is switched off: every
// entry point returns at once without formatting or writing anything, and may be
// called before any service exists, with any format (even null).
#pragma once

#include <cstdint>

void LogDebugSystem(int32_t level, const char* text);
void LogInfo(const char* format, ...);
void LogNotice(const char* format, ...);
void LogWarning(const char* format, ...);
void LogError(const char* format, ...);
