#include "host/main_window.h"

#include "host/activation.h"
#include "host/app_object.h"
#include "host/host_state.h"
#include "shell/shell.h"
#include "shell_base/log.h"

#include <climits>

const char kMainWindowClass[] = "WindowClass";
const char kMainWindowTitle[] = "Varn-1918";

namespace {

void RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(VARN_ICON_RESOURCE));
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = nullptr;  // the cursor is managed through appShowCursor
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = "Menu";
    windowClass.lpszClassName = kMainWindowClass;
    RegisterClassExA(&windowClass);  // a second creation finds the class registered
}

// x + extent, kept within the range of an int.
LONG Edge(int origin, int extent) {
    long long edge = static_cast<long long>(origin) + extent;
    return static_cast<LONG>(edge > INT_MAX ? INT_MAX : edge < INT_MIN ? INT_MIN : edge);
}

HWND CreateWindowed(HINSTANCE instance, int x, int y, int width, int height) {
    RECT outer = {0, 0, width, height};
    AdjustWindowRect(&outer, WS_VISIBLE | WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowExA(0, kMainWindowClass, kMainWindowTitle, WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW, x, y,
                           outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
}

HWND CreateFullScreen(HINSTANCE instance, int x, int y, int width, int height) {
    RECT wanted = {x, y, Edge(x, width), Edge(y, height)};
    LogInfo("locating monitor for RECT[(%d,%d),(%d,%d)]...", static_cast<int>(wanted.left),
            static_cast<int>(wanted.top), static_cast<int>(wanted.right), static_cast<int>(wanted.bottom));
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromRect(&wanted, MONITOR_DEFAULTTOPRIMARY);
    if (monitor && GetMonitorInfoA(monitor, &info)) {
        const RECT& m = info.rcMonitor;
        const RECT& w = info.rcWork;
        LogInfo("mi.rcMonitor=[(%d,%d),(%d,%d)]...", static_cast<int>(m.left), static_cast<int>(m.top),
                static_cast<int>(m.right), static_cast<int>(m.bottom));
        LogInfo("mi.rcWork   =[(%d,%d),(%d,%d)]...", static_cast<int>(w.left), static_cast<int>(w.top),
                static_cast<int>(w.right), static_cast<int>(w.bottom));
        area = info.rcMonitor;  // the whole monitor, task bar included
    }
    HWND window = CreateWindowExA(WS_EX_TOPMOST, kMainWindowClass, kMainWindowTitle, WS_POPUP | WS_VISIBLE, area.left,
                                  area.top, area.right - area.left, area.bottom - area.top, nullptr, nullptr, instance,
                                  nullptr);
    TheApplication().appShowCursor(0);
    return window;
}

BOOL CALLBACK CountMonitor(HMONITOR, HDC, LPRECT, LPARAM) {
    ++TheHostState().monitorCount;
    return TRUE;
}

// The system commands that would move, size or hide a full-screen window.
bool SwallowedInFullScreen(WPARAM command) {
    // The whole wParam is compared: a command with its low bits set is another command.
    return command == SC_SIZE || command == SC_MOVE || command == SC_MAXIMIZE || command == SC_KEYMENU ||
           command == SC_MONITORPOWER;
}

}  // namespace

int CreateMainWindow(void* instanceHandle, int showCommand, int x, int y, int width, int height) {
    HINSTANCE instance = static_cast<HINSTANCE>(instanceHandle);
    HostState& state = TheHostState();
    RegisterMainWindowClass(instance);
    state.instance = instanceHandle;

    HWND window = TheApplication().appIsWindowed() ? CreateWindowed(instance, x, y, width, height)
                                                   : CreateFullScreen(instance, x, y, width, height);
    if (!window) return 0;

    SetFocus(window);
    ShowWindow(window, showCommand);
    SetForegroundWindow(window);
    UpdateWindow(window);

    state.applicationGuid = kApplicationGuid;
    state.mainWindow = window;
    ShellSetWindowValues(instanceHandle, window, &state.applicationGuid);
    TheApplication().PublishWindow(window, instanceHandle, &state.applicationGuid);
    return 1;
}

void CountMonitors() { EnumDisplayMonitors(nullptr, nullptr, CountMonitor, 0); }

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (TheHostState().closing) return DefWindowProcA(window, message, wParam, lParam);
    ApplicationInterface& application = TheApplication();
    switch (message) {
    case WM_ACTIVATE:
        // Click-activation (2) is activation like any other nonzero state.
        ActivationNotifier(LOWORD(wParam) != WA_INACTIVE ? 1 : 0);
        return 0;
    case WM_ACTIVATEAPP:
        ActivationNotifier(wParam ? 1 : 0);
        return 0;
    case WM_KILLFOCUS:
        ActivationNotifier(0);
        return 0;
    case WM_CLOSE:
        // The main loop ends at its next pump; default processing destroys the window.
        application.appRequestQuit();
        break;
    case WM_SETCURSOR:
        if (application.appIsWindowed()) break;
        application.appShowCursor(0);
        return TRUE;
    case WM_SYSCOMMAND:
        if (!application.appIsWindowed() && SwallowedInFullScreen(wParam)) return 0;
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
