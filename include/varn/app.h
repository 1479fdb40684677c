// "APP": the application and its main window. The message pump and quit
// request, the active state, window mode and placement, foreground and cursor,
// the base directory, the window and instance handles, the application GUID
// and the window-message callbacks.
#pragma once

#include "sdk.h"

// A screen rectangle (the layout of a Windows RECT).
struct VarnRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// A 16-byte identifier (the layout of a Windows GUID).
struct VarnGuid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
static_assert(sizeof(VarnGuid) == 16, "GUID layout");

// Called with a watched message's wParam and lParam while the pump runs.
typedef void(VARN_CDECL* MessageCallback)(uintptr_t wParam, uintptr_t lParam);

class IApplication {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_APP;

    virtual int32_t appPumpMessages() = 0;                 // 0: dispatches waiting messages; 0 once quit
    virtual void appRequestQuit() = 0;                     // 1: sets the quit request
    virtual int32_t appIsActive() = 0;                     // 2: active flag
    virtual void appSetActive(int32_t active) = 0;         // 3: foreground/cursor/minimise, then stores it
    virtual const char* appGetBaseDirectory() = 0;         // 4: working directory at start
    virtual void appSetWindowed(int32_t windowed) = 0;     // 5: stores the windowed flag
    virtual int32_t appIsWindowed() = 0;                   // 6: windowed flag
    virtual void appSetForeground(int32_t show) = 0;       // 7: brings the window forward (and shows it)
    virtual void appSetWindowPos(int32_t x, int32_t y, int32_t width, int32_t height) = 0;  // 8
    virtual void appGetWindowRect(VarnRect* out) = 0;      // 9: the window's screen rectangle
    virtual void appMinimize() = 0;                        // 10
    virtual void appRestoreWindow() = 0;                   // 11: back to the rectangle at creation
    virtual void appShowCursor(int32_t show) = 0;          // 12: cursor exactly visible or hidden
    virtual void appSetPendingText(const char* text) = 0;  // 13: at most 1023 characters; sets the flag
    virtual int32_t appHasPendingText() = 0;               // 14: pending-text flag
    virtual void* appGetWindowHandle() = 0;                // 15: main window, null before creation
    virtual void* appGetInstanceHandle() = 0;              // 16: process instance, null before creation
    virtual const VarnGuid* appGetApplicationGuid() = 0;   // 17: null before the window exists
    virtual void appReserved1() = 0;                       // 18: does nothing
    virtual void appReserved2() = 0;                       // 19: does nothing
    virtual void appAddMessageCallback(uint32_t messageId, MessageCallback callback) = 0;     // 20
    virtual void appRemoveMessageCallback(uint32_t messageId, MessageCallback callback) = 0;  // 21
};
