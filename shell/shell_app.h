// Wrappers of the "APP" operations for this deliverable's own code: each
// forwards to the bound "APP" object. Without a binding each does nothing;
// those with a result then return 0 (appGetBaseDirectory returns ""), so
// appPumpMessages reports "stop" rather than spinning on an absent window.
#pragma once

#include "varn/app.h"

#include <cstdint>

int32_t appPumpMessages();
int32_t appIsActive();
void appSetActive(int32_t active);
const char* appGetBaseDirectory();
int32_t appIsWindowed();
void appSetWindowed(int32_t windowed);
void appSetForeground(int32_t show);
void appSetWindowPos(int32_t x, int32_t y, int32_t width, int32_t height);
void appGetWindowRect(VarnRect* out);
void appMinimize();
void appRestoreWindow();
void appShowCursor(int32_t show);
int32_t appHasPendingText();
void appSetPendingText(const char* text);
