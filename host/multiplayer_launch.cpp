// The multiplayer launch: reads the lobby's command line, hosts or joins with
// the connect status screen showing, reports a failed join in a message box,
// and records in the options file whether the lobby launched the game.
#include "host/lobby_launch.h"

#include "files/command_line.h"
#include "host/connect_screen.h"
#include "host/launch_request.h"
#include "host/session_launch.h"
#include "ini/ini_file.h"
#include "shell/shell.h"
#include "varn/opt.h"
#include "varn/registry.h"

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

int RunLobbyLaunch(const char* commandLine, IniFile* startupDocument, char* nextScreen) {
    IInterfaceManager* registry = ShellGetRegistry();
    void* optionsService = nullptr;
    IniFile* options = nullptr;
    if (registry && registry->GetInterface(VARN_ID_OPT, &optionsService))
        static_cast<IOptionsFile*>(optionsService)->optGetIniFile(&options);

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

    if (optionsService) {
        IOptionsFile* service = static_cast<IOptionsFile*>(optionsService);
        if (options) service->optSaveAndRelease(&options);
        registry->ReleaseInterface(VARN_ID_OPT, &optionsService);
    }
    return result;
}
