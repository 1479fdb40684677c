#include "host/app_object.h"

#include "core/message_callbacks.h"
#include "files/strings.h"
#include "host/host_state.h"
#include "shell/shell.h"
#include "shell_base/log.h"
#include "shell_base/shell_memory.h"
#include "varn/registry.h"

#include <windows.h>

#include <cstddef>
#include <new>

// Modules hand the rectangle and the GUID of app.h to Windows as they are.
static_assert(sizeof(VarnRect) == sizeof(RECT) && offsetof(VarnRect, bottom) == offsetof(RECT, bottom), "RECT layout");
static_assert(sizeof(VarnGuid) == sizeof(GUID) && offsetof(VarnGuid, data4) == offsetof(GUID, Data4), "GUID layout");

namespace {
HWND Window(void* window) { return static_cast<HWND>(window); }
}  // namespace

int32_t ApplicationInterface::appPumpMessages() {
    plat::LockGuard guard(m_lock);
    bool quitMessage = false;
    MSG message;
    while (PeekMessageA(&message, Window(m_window), 0, 0, PM_REMOVE)) {
        if (MessageCallbackList* callbacks = m_callbacks) {
            callbacks->DispatchMessageCallbacks(message.message, message.wParam, static_cast<uintptr_t>(message.lParam));
            DropEmptyCallbackList();
        }
        DispatchMessageA(&message);
        if (message.message == WM_QUIT) {
            quitMessage = true;
            break;
        }
    }
    return m_quit == 0 && !quitMessage ? 1 : 0;
}

void ApplicationInterface::appRequestQuit() {
    plat::LockGuard guard(m_lock);
    m_quit = 1;
}

int32_t ApplicationInterface::appIsActive() { return m_active; }

void ApplicationInterface::appSetActive(int32_t active) {
    plat::LockGuard guard(m_lock);
    if (!m_window) return;
    if (active) {
        appSetForeground(0);
        if (!m_windowed) appShowCursor(0);
    } else {
        // A full-screen window gives way when it loses the only monitor; with
        // a second monitor the player may work there beside it.
        if (m_active && !m_windowed && TheHostState().monitorCount <= 1) appMinimize();
        appShowCursor(1);
    }
    m_active = active ? 1 : 0;
}

const char* ApplicationInterface::appGetBaseDirectory() { return m_baseDirectory; }

void ApplicationInterface::appSetWindowed(int32_t windowed) { m_windowed = windowed ? 1 : 0; }

int32_t ApplicationInterface::appIsWindowed() { return m_windowed; }

void ApplicationInterface::appSetForeground(int32_t show) {
    plat::LockGuard guard(m_lock);
    HWND window = Window(m_window);
    if (!window) return;
    LogInfo("appSetForeground: attempting to bring g_hWnd to the foreground...");
    HWND foreground = GetForegroundWindow();
    if (foreground == window) {
        LogInfo("...we're already foreground!");
    } else {
        // Another thread's window is in front: share its input state so that
        // this thread may take the foreground and the focus.
        DWORD self = GetCurrentThreadId();
        DWORD other = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
        bool attached = other != 0 && other != self && AttachThreadInput(self, other, TRUE);
        SetForegroundWindow(window);
        SetFocus(window);
        if (attached) AttachThreadInput(self, other, FALSE);
    }
    if (show) {
        LogInfo("appSetForeground: calling ShowWindow...");
        ShowWindow(window, m_windowed ? SW_SHOWNORMAL : SW_SHOWMAXIMIZED);
        UpdateWindow(window);
    }
}

void ApplicationInterface::appSetWindowPos(int32_t x, int32_t y, int32_t width, int32_t height) {
    plat::LockGuard guard(m_lock);
    if (!m_window) return;
    SetWindowPos(Window(m_window), HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
}

void ApplicationInterface::appGetWindowRect(VarnRect* out) {
    if (!out) return;
    plat::LockGuard guard(m_lock);
    RECT rect = {0, 0, 0, 0};
    if (!m_window || !GetWindowRect(Window(m_window), &rect)) rect = RECT{0, 0, 0, 0};
    *out = VarnRect{rect.left, rect.top, rect.right, rect.bottom};
}

void ApplicationInterface::appMinimize() {
    if (m_window) ShowWindow(Window(m_window), SW_MINIMIZE);
}

void ApplicationInterface::appRestoreWindow() {
    {
        plat::LockGuard guard(m_lock);
        if (!m_window) return;
        const VarnRect& r = m_restoreRect;
        SetWindowPos(Window(m_window), HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    }
    appSetForeground(1);
}

void ApplicationInterface::appShowCursor(int32_t show) {
    plat::LockGuard guard(m_lock);
    // The system counts show and hide requests; step the counter to exactly
    // 0 (visible) or -1 (hidden), whatever requests came before.
    if (show) {
        SetCursor(static_cast<HCURSOR>(m_savedCursor));
        int count = ShowCursor(TRUE);
        while (count < 0) count = ShowCursor(TRUE);
        while (count > 0) count = ShowCursor(FALSE);
    } else {
        SetCursor(nullptr);
        int count = ShowCursor(FALSE);
        while (count >= 0) count = ShowCursor(FALSE);
        while (count < -1) count = ShowCursor(TRUE);
    }
}

void ApplicationInterface::appSetPendingText(const char* text) {
    if (!text) return;
    m_pendingTextFlag = 1;
    CopyString(m_pendingText, text, kPendingTextSize);
}

int32_t ApplicationInterface::appHasPendingText() { return m_pendingTextFlag; }
void* ApplicationInterface::appGetWindowHandle() { return m_window; }
void* ApplicationInterface::appGetInstanceHandle() { return m_instance; }
const VarnGuid* ApplicationInterface::appGetApplicationGuid() { return m_guid; }
void ApplicationInterface::appReserved1() {}
void ApplicationInterface::appReserved2() {}

void ApplicationInterface::appAddMessageCallback(uint32_t messageId, MessageCallback callback) {
    plat::LockGuard guard(m_lock);
    if (!m_callbacks) {
        void* block = ShellAlloc(sizeof(MessageCallbackList));
        if (!block) return;
        m_callbacks = new (block) MessageCallbackList;
    }
    m_callbacks->AddMessageCallback(messageId, callback);
}

void ApplicationInterface::appRemoveMessageCallback(uint32_t messageId, MessageCallback callback) {
    plat::LockGuard guard(m_lock);
    if (!m_callbacks) return;
    m_callbacks->RemoveMessageCallback(messageId, callback);
    DropEmptyCallbackList();
}

void ApplicationInterface::DropEmptyCallbackList() {
    // A callback may remove the last entry while the pump dispatches: the
    // list then stays until that dispatch has finished walking it.
    if (!m_callbacks || m_callbacks->GetMessageCallbackCount() > 0 || m_callbacks->IsDispatching()) return;
    m_callbacks->ClearMessageCallbacks();
    m_callbacks->~MessageCallbackList();
    ShellFree(m_callbacks);
    m_callbacks = nullptr;
}

int32_t ApplicationInterface::CallbackCount() {
    plat::LockGuard guard(m_lock);
    return m_callbacks ? m_callbacks->GetMessageCallbackCount() : -1;
}

void ApplicationInterface::Reset() {
    plat::LockGuard guard(m_lock);
    m_active = m_windowed = m_pendingTextFlag = m_quit = 0;
    m_window = m_instance = nullptr;
    if (m_callbacks) {
        m_callbacks->ClearMessageCallbacks();
        DropEmptyCallbackList();
    }
    m_savedCursor = GetCursor();
    ClearString(m_baseDirectory);
    if (!plat::DirGetCurrent(m_baseDirectory, sizeof m_baseDirectory)) ClearString(m_baseDirectory);
    ClearString(m_pendingText);
}

void ApplicationInterface::PublishWindow(void* window, void* instance, const VarnGuid* guid) {
    m_window = window;
    m_instance = instance;
    m_guid = guid;
    plat::LockGuard guard(m_lock);
    RECT rect = {0, 0, 0, 0};
    if (window && GetWindowRect(Window(window), &rect)) m_restoreRect = VarnRect{rect.left, rect.top, rect.right, rect.bottom};
}

void ApplicationInterface::Shutdown(IInterfaceManager* registry) {
    m_window = nullptr;
    m_instance = nullptr;
    ShellDetachHost();
    {
        plat::LockGuard guard(m_lock);
        if (m_callbacks) {
            m_callbacks->ClearMessageCallbacks();
            DropEmptyCallbackList();
        }
    }
    if (registry) registry->UnregisterInterface(VARN_ID_APP);
}

int RegisterApplication(IInterfaceManager* registry) {
    if (!registry) return 0;
    ApplicationInterface& application = TheApplication();
    application.Reset();
    int result = registry->RegisterInterface(VARN_ID_APP, static_cast<IApplication*>(&application), 0);
    ShellAttachHost(&application);
    return result;
}
