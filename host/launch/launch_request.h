// What a lobby asked for on the command line: host a session, join one, or
// neither, with the player's and the session's settings.
#pragma once

#include "varn/net.h"

class CommandLine;
class IniFile;

struct LaunchRequest {
    static const int kTextSize = 260;

    bool host = false;
    bool join = false;           // a "join:" value was given, possibly empty
    bool queryReporting = false; // the "gamespy" flag
    char address[kTextSize] = "";  // the join value as given (trailing blank kept)
    char playerName[kTextSize] = "";
    int colorIndex = 0;
    int gameType = 0;
    int maxPlayers = 16;
    char sessionName[kTextSize] = "";
    char password[kTextSize] = "";
    bool passwordOption = false;  // a "p:" value was given
};

// Reads the tokens of a lobby command line ("-" separates them). The options
// document gives the colour and, for joining, the password when the command
// line has none.
void ReadLaunchRequest(const CommandLine& commandLine, IniFile* options, LaunchRequest* request);

// The description handed to the network layer for hosting: the session's name,
// password, game type and size, and the gameplay options block.
void DescribeHostedSession(const LaunchRequest& request, IniFile* options, GameplayOptionsBlock* gameplay,
                           SessionDescription* out);
// The description for joining the session at the requested address.
void DescribeJoinedSession(const LaunchRequest& request, SessionDescription* out);
