// The multiplayer launch: reads the lobby's command line, hosts or joins with
// the connect status screen showing, reports a failed join in a message box,
// and records in the options file whether the lobby launched the game.
#include "host/launch/multiplayer_launch.h"

#include "files/command_line.h"
#include "host/launch/connect_screen.h"
#include "host/launch/launch_request.h"
#include "host/launch/session_launch.h"
#include "ini/ini_file.h"
#include "shell/shell.h"
#include "varn/held.h"
#include "varn/opt.h"

#include <windows.h>

namespace {

void* MainWindow() {
    IApplication* application = ShellGetApplication();
    return application ? application->appGetWindowHandle() : nullptr;
}

void ShowJoinFailure(ConnectScreen& screen) {
    const char* key = LaunchErrorTextKey(LaunchErrorCode());
    const char* text = screen.LookUp(key);
    MessageBoxA(static_cast<HWND>(MainWindow()), text ? text : key, "Error!",
                MB_TOPMOST | MB_SETFOREGROUND | MB_ICONERROR);
}

}  // namespace

int LobbyLaunch(const char* commandLine, IniFile* startupDocument, char* nextScreen) {
    InterfaceHold<IOptionsFile> optionsService(ShellGetRegistry());
    IniFile* options = nullptr;
    if (optionsService) optionsService->optGetIniFile(&options);

    CommandLine tokens;
    tokens.FromStringWithSeparators(commandLine ? commandLine : "", "-");
    if (options) options->SetBool("MultiplayerOptions", "LobbyLaunched", 0);

    LaunchRequest request;
    ReadLaunchRequest(tokens, options, &request);
    LaunchSettings settings;
    settings.startup = startupDocument;
    settings.options = options;
    settings.nextScreen = nextScreen;

    int result = 1;
    if (request.host) {
        ConnectScreen screen(MainWindow());
        settings.screen = &screen;
        screen.Show("TXT_MENU_CREATING");
        result = HostSession(request, settings);
        screen.Clear();
    } else if (request.join) {
        ConnectScreen screen(MainWindow());
        settings.screen = &screen;
        screen.Show("TXT_MENU_CONNECTING");
        result = JoinSession(request, settings);
        screen.Clear();
        if (!result) ShowJoinFailure(screen);
    }

    if (options) optionsService->optSaveAndRelease(&options);
    return result;
}
