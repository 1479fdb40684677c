// ApplicationInterface: the host object published as "APP". It owns the
// message pump with its window-message callbacks, the quit request, the
// active state, window mode and placement, foreground and cursor handling,
// and hands modules the base directory, the window and instance handles and
// the application GUID.
//
// Its lock is re-entrant: the pump holds it while callbacks and the window
// procedure run, and those may call "APP" again on the same thread.
#pragma once

#include "platform/platform.h"
#include "varn/app.h"

#include <cstdint>

class IInterfaceManager;
class MessageCallbackList;

class ApplicationInterface final : public IApplication {
public:
    static const int kBaseDirectorySize = 260;
    static const int kPendingTextSize = 1024;  // 1023 characters and a terminator

    ApplicationInterface() = default;
    ~ApplicationInterface() = default;
    ApplicationInterface(const ApplicationInterface&) = delete;
    ApplicationInterface& operator=(const ApplicationInterface&) = delete;

    int32_t appPumpMessages() override;
    void appRequestQuit() override;
    int32_t appIsActive() override;
    void appSetActive(int32_t active) override;
    const char* appGetBaseDirectory() override;
    void appSetWindowed(int32_t windowed) override;
    int32_t appIsWindowed() override;
    void appSetForeground(int32_t show) override;
    void appSetWindowPos(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void appGetWindowRect(VarnRect* out) override;
    void appMinimize() override;
    void appRestoreWindow() override;
    void appShowCursor(int32_t show) override;
    void appSetPendingText(const char* text) override;
    int32_t appHasPendingText() override;
    void* appGetWindowHandle() override;
    void* appGetInstanceHandle() override;
    const VarnGuid* appGetApplicationGuid() override;
    void appReserved1() override;
    void appReserved2() override;
    void appAddMessageCallback(uint32_t messageId, MessageCallback callback) override;
    void appRemoveMessageCallback(uint32_t messageId, MessageCallback callback) override;

    // At registration: flags and handles 0, no callbacks, the current cursor
    // saved, the base directory taken from the working directory.
    void Reset();
    // After the main window is created: the handles, the GUID and the
    // window's current rectangle as the restore rectangle.
    void PublishWindow(void* window, void* instance, const VarnGuid* guid);
    // First step of core teardown: handles 0, the host's service access layer
    // unbound (which frees every module still loaded), the callbacks freed,
    // and "APP" withdrawn from the registry.
    void Shutdown(IInterfaceManager* registry);

    // Inspection for tests: the pending text and the number of callbacks
    // (-1 while no list exists).
    const char* PendingText() const { return m_pendingText; }
    int32_t CallbackCount();

private:
    // Frees the callback list when it is empty and no dispatch walks it.
    void DropEmptyCallbackList();

    plat::ReentrantLock m_lock;
    int32_t m_active = 0;
    int32_t m_windowed = 0;
    int32_t m_pendingTextFlag = 0;
    void* m_window = nullptr;
    void* m_instance = nullptr;
    const VarnGuid* m_guid = nullptr;
    char m_baseDirectory[kBaseDirectorySize] = "";
    void* m_savedCursor = nullptr;
    VarnRect m_restoreRect = {};
    int32_t m_quit = 0;
    MessageCallbackList* m_callbacks = nullptr;
    char m_pendingText[kPendingTextSize] = "";
};

// The host's "APP" object. Defined with the other service singletons by the
// program (and by each test program), not by this library.
ApplicationInterface& TheApplication();

// Bring-up: resets the object, registers it as "APP" and binds the host's
// service access layer to it. The result of the registration (1; 0 when
// registry is null or "APP" exists).
int RegisterApplication(IInterfaceManager* registry);
