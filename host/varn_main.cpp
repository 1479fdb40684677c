// The process entry of Varn: core services up, DirectX check, window settings,
// main window, the game, then everything down again in reverse order.
#include "core/core_services.h"
#include "host/core_bringup.h"
#include "host/crash_report.h"
#include "host/game_loop.h"
#include "host/host_state.h"
#include "host/main_window.h"
#include "host/media/directx_check.h"
#include "host/startup_settings.h"
#include "shell/shell_app.h"

#include <windows.h>

// Exit code 1 once the game has run, 0 when start-up failed before it; a fault
// nothing handled ends the process with its exception code (crash_report.h).
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    CrashReportInstall();
    TheHostState().instance = instance;
    if (!CoreBringUp()) return 0;

    int ran = 0;
    if (DirectXCheck()) {
        ReadWindowSettings();
        const WindowSettings& window = TheStartupSettings().window;
        if (CreateMainWindow(instance, showCommand, window.x, window.y, window.width, window.height)) {
            Run(commandLine);
            ran = 1;
            TheHostState().closing = 1;
            DestroyWindow(static_cast<HWND>(TheHostState().mainWindow));
            PostQuitMessage(0);
            appPumpMessages();
        }
    }
    CoreTeardown();
    return ran;
}
