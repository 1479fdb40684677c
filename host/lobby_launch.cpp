// The start-up sequence's entry to the multiplayer launch: the launch writes
// the screen it chooses into the host's next-screen name.
#include "host/launch/lobby_launch.h"

#include "host/startup_settings.h"

int LobbyLaunch(const char* commandLine, IniFile* startupDocument) {
    return RunLobbyLaunch(commandLine, startupDocument, TheStartupSettings().nextScreen);
}
