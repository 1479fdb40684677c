#include "host/lobby_launch.h"

// No network session is started yet: the game always goes on to the menus.
int LobbyLaunch(const char*, IniFile*) { return 1; }
