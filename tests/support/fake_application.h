// Test support: an application object ("APP") as a module sees it, with the
// host's window values and a record of the calls the tests look at. The window
// and instance handles point at members unless a test sets others (a real
// window, or none yet); a test that needs more derives and overrides.
#pragma once

#include "varn/app.h"

namespace testsupport {

class FakeApplication : public IApplication {
public:
    int32_t appPumpMessages() override { return ++pumps; }
    void appRequestQuit() override {}
    int32_t appIsActive() override { return 1; }
    void appSetActive(int32_t) override {}
    const char* appGetBaseDirectory() override { return "C:\\Game"; }
    void appSetWindowed(int32_t) override {}
    int32_t appIsWindowed() override { return 1; }
    void appSetForeground(int32_t show) override { foreground = show; }
    void appSetWindowPos(int32_t, int32_t, int32_t, int32_t) override {}
    void appGetWindowRect(VarnRect* out) override { *out = VarnRect{1, 2, 3, 4}; }
    void appMinimize() override {}
    void appRestoreWindow() override {}
    void appShowCursor(int32_t) override {}
    void appSetPendingText(const char*) override { pending = 1; }
    int32_t appHasPendingText() override { return pending; }
    void* appGetWindowHandle() override { return windowHandle; }
    void* appGetInstanceHandle() override { return instanceHandle; }
    const VarnGuid* appGetApplicationGuid() override { return &guid; }
    void appReserved1() override {}
    void appReserved2() override {}
    void appAddMessageCallback(uint32_t, MessageCallback) override {}
    void appRemoveMessageCallback(uint32_t, MessageCallback) override {}

    int pumps = 0;
    int32_t foreground = -1;
    int32_t pending = 0;
    int window = 0;
    int instance = 0;
    void* windowHandle = &window;
    void* instanceHandle = &instance;
    VarnGuid guid = {0x5D7BB2C9, 0x7F05, 0x4478, {0x9F, 0xCA, 0xE2, 0x54, 0x4B, 0xAE, 0x42, 0x52}};
};

}  // namespace testsupport
