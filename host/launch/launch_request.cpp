// Reading a lobby command line and describing the session to the network layer.
#include "host/launch/launch_request.h"

#include "files/command_line.h"
#include "files/strings.h"
#include "host/default_options.h"
#include "ini/ini_file.h"

#include <cstdlib>
#include <cstring>

namespace {

// A trimmed option value; empty when the option is absent.
bool ReadTrimmedOption(const CommandLine& commandLine, const char* name, char* out, int size) {
    if (!commandLine.GetOption(name, out, size)) {
        ClearString(out);
        return false;
    }
    TrimString(out);
    return true;
}

}  // namespace

void ReadLaunchRequest(const CommandLine& commandLine, IniFile* options, LaunchRequest* request) {
    *request = LaunchRequest();
    const int size = LaunchRequest::kTextSize;
    request->host = commandLine.FindToken("host") >= 0;
    request->join = commandLine.GetOption("join", request->address, size);
    if (!request->join) ClearString(request->address);
    request->queryReporting = commandLine.FindToken("gamespy") >= 0;

    ReadTrimmedOption(commandLine, "n", request->playerName, size);
    // A colour that is not a number counts as 0, as atoi reads it.
    char color[LaunchRequest::kTextSize];
    if (commandLine.GetOption("c", color, sizeof color))
        request->colorIndex = atoi(color);
    else
        request->colorIndex = options ? options->GetInt("Multiplayer", "PlayerColor", 0) : 0;
    request->gameType = commandLine.GetOptionInt("g", 0);
    request->maxPlayers = commandLine.GetOptionInt("m", 16);
    ReadTrimmedOption(commandLine, "s", request->sessionName, size);

    request->passwordOption = ReadTrimmedOption(commandLine, "p", request->password, size);
    // A joining player without "p:" sends the password of the options file, untrimmed.
    if (!request->passwordOption && !request->host && options)
        options->GetString("Multiplayer", "Password", "", request->password, size, 0);
}

void DescribeHostedSession(const LaunchRequest& request, IniFile* options, GameplayOptionsBlock* gameplay,
                           SessionDescription* out) {
    memset(out, 0, sizeof *out);
    memset(gameplay, 0, sizeof *gameplay);
    FillGameplayOptions(options, gameplay->options);
    out->sessionName = request.sessionName;
    out->password = request.password;
    out->passwordGiven = request.passwordOption ? 1 : 0;
    out->gameType = request.gameType;
    out->maxPlayers = request.maxPlayers;
    out->gameplayOptions = gameplay;
    out->gameplayOptionsSize = static_cast<int32_t>(sizeof *gameplay);
}

void DescribeJoinedSession(const LaunchRequest& request, SessionDescription* out) {
    memset(out, 0, sizeof *out);
    out->hostAddress = request.address;
    out->password = request.password;
    out->passwordGiven = IsEmptyString(request.password) ? 0 : 1;
}
