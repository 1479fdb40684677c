// The multiplayer launch: hosting or joining a network session when a game
// lobby started the program.
#pragma once

class IniFile;

// Runs once, as the last step of start-up, with the process command line and
// the open startup.ini document. Nonzero: enter the main loop; 0: end the program.
int LobbyLaunch(const char* commandLine, IniFile* startupDocument);

// The launch itself, writing the next-screen name (260 bytes) it chooses into
// nextScreen; LobbyLaunch hands it the host's own buffer.
int RunLobbyLaunch(const char* commandLine, IniFile* startupDocument, char* nextScreen);
