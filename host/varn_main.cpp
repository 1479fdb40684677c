// The process entry of Varn: core services up, DirectX check, the debug and
// window settings read and applied, main window, the game (host/game_run.cpp),
// then everything down again in reverse order.
#include "core/core_services.h"
#include "files/paths.h"
#include "host/core_bringup.h"
#include "host/crash_report.h"
#include "host/game_run.h"
#include "host/host_state.h"
#include "host/main_window.h"
#include "host/media/directx_check.h"
#include "host/startup_settings.h"
#include "ini/ini_file.h"
#include "shell/shell_app.h"
#include "shell_base/log.h"

#include <windows.h>

namespace {

// Reads the debug and window settings from startup.ini in the base directory,
// without writing anything back, and applies what must be in place before the
// main window exists: the opt-in log for module authors (this program's log
// entry points and, through the environment, those of every module loaded
// later), the crash box and the window mode in "APP".
void ReadAndApplyWindowSettings(StartupSettings& settings) {
    char path[kPathSize];
    const char* baseDirectory = appGetBaseDirectory();
    CombinePath(baseDirectory, kStartupFile, path, kPathSize);
    IniFile document(path, 0, 0, IniFile::kDefaultExtra);
    ReadWindowSettings(document, baseDirectory, &settings.debug, &settings.window);
    LogSetFile(settings.debug.logFile);
    CrashReportSetBox(settings.window.showBoxes);
    appSetWindowed(settings.window.windowed);
}

}  // namespace

// Exit code 1 once the game has run, 0 when start-up failed before it; a fault
// nothing handled ends the process with its exception code (crash_report.h).
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    CrashReportInstall();
    TheHostState().instance = instance;
    if (!CoreBringUp()) return 0;

    int ran = 0;
    if (DirectXCheck()) {
        StartupSettings& settings = TheStartupSettings();
        const WindowSettings& window = settings.window;
        ReadAndApplyWindowSettings(settings);
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
