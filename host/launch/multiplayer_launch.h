// The multiplayer launch: hosting or joining a network session when a game
// lobby started the program.
#pragma once

class IniFile;

// Runs once, as the last step of start-up, with the process command line and
// the open startup.ini document, and writes the next-screen name it chooses
// into nextScreen (260 bytes). Nonzero: enter the main loop; 0: end the program.
int LobbyLaunch(const char* commandLine, IniFile* startupDocument, char* nextScreen);
