// Hosting and joining a network session through the network layer that the
// mission manager brings up, and the launch error code of a failed join.
#pragma once

#include <cstdint>

class ConnectScreen;
class IniFile;
struct LaunchRequest;

// Launch error codes: 0 none, 4 the host was not found in time, and the network
// layer's 2, 5 (closed), 6 (full) and 7 that end joining at once.
const int kLaunchErrorNone = 0;
const int kLaunchErrorNotFound = 4;
const int kLaunchErrorClosed = 5;
const int kLaunchErrorFull = 6;

// The code of the last failed join in this process (0 at start).
int LaunchErrorCode();
// The key of the text that explains a launch error code.
const char* LaunchErrorTextKey(int code);

// Where the launch keeps what it reads and writes besides the network layer.
struct LaunchSettings {
    IniFile* startup = nullptr;     // startup.ini, for [NetLaunch]
    IniFile* options = nullptr;     // the borrowed options document (may be null)
    char* nextScreen = nullptr;     // the host's next-screen name, 260 bytes
    ConnectScreen* screen = nullptr;
};

// Non-zero when the session is up; the aircraft list is then written and the
// multiplayer mode set.
int HostSession(const LaunchRequest& request, const LaunchSettings& settings);
// Non-zero when the player is in the session and the files are synchronised.
int JoinSession(const LaunchRequest& request, const LaunchSettings& settings);

// The pause before each join attempt; 1000 ms unless a test shortens it.
void SetJoinAttemptPause(uint32_t milliseconds);
