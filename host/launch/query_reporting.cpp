// Server query answers, read from the network layer's session information.
#include "host/launch/query_reporting.h"

#include "shell/shell.h"
#include "varn/held.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

QueryReportingSetup g_setup;
char g_gameName[16];
char g_secretKey[7];

// The name and key are put together character by character at run time, so
// that neither stands in the program as one text.
void AssembleIdentity() {
    const char name[15] = {'v', 'a', 'r', 'n', 'a', 'i', 'r', 'c', 'o', 'm', 'b', 'a', 't', '1', '8'};
    for (int i = 0; i < 15; ++i) g_gameName[i] = name[i];
    g_gameName[15] = '\0';
    const char key[6] = {'Q', '7', 'v', 'R', 'k', '2'};
    for (int i = 0; i < 6; ++i) g_secretKey[i] = key[i];
    g_secretKey[6] = '\0';
}

// The session as the network layer reports it; false before the player is in one.
bool ReadSession(SessionDescription* session) {
    memset(session, 0, sizeof *session);
    InterfaceHold<INetworkLayer> network(ShellGetRegistry());
    return network && network->netGetSessionInfo(session) != 0;
}

// Appends one formatted pair when all of it fits in the output; false (and
// nothing appended) when it does not, or when the output holds no terminated
// text within its length.
bool AppendPair(char* output, int length, const char* format, ...) {
    if (!output || length <= 0) return false;
    const size_t used = strnlen(output, static_cast<size_t>(length));
    if (used >= static_cast<size_t>(length)) return false;
    char pair[600];
    va_list arguments;
    va_start(arguments, format);
    const int written = vsnprintf(pair, sizeof pair, format, arguments);
    va_end(arguments);
    if (written < 0 || static_cast<size_t>(written) >= sizeof pair) return false;
    if (used + static_cast<size_t>(written) + 1 > static_cast<size_t>(length)) return false;
    memcpy(output + used, pair, static_cast<size_t>(written) + 1);
    return true;
}

const char* OrEmpty(const char* text) { return text ? text : ""; }

}  // namespace

QueryReportingSetup* BuildQueryReportingSetup() {
    memset(&g_setup, 0, sizeof g_setup);
    AssembleIdentity();
    g_setup.gameName = g_gameName;
    g_setup.secretKey = g_secretKey;
    g_setup.serverInfo = QueryServerInfo;
    g_setup.rules = QueryRules;
    return &g_setup;
}

const char* QueryGameTypeName(int gameType) {
    static const char kGameTypeNames[2][16] = {"dogfight", "cpmission"};
    return gameType == 1 ? kGameTypeNames[1] : kGameTypeNames[0];
}

void VARN_CDECL QueryServerInfo(char* output, int length, IQueryContext* context) {
    SessionDescription session;
    if (!ReadSession(&session)) return;
    const char* gameMode = context ? context->GetGameMode() : nullptr;
    AppendPair(output, length, "\\hostname\\%.259s", OrEmpty(session.sessionName)) &&
        AppendPair(output, length, "\\hostport\\%d", 0) &&
        AppendPair(output, length, "\\gametype\\%s", QueryGameTypeName(session.gameType)) &&
        AppendPair(output, length, "\\numplayers\\%d", static_cast<int>(session.currentPlayers)) &&
        AppendPair(output, length, "\\maxplayers\\%d", static_cast<int>(session.maxPlayers)) &&
        AppendPair(output, length, "\\gamemode\\%.259s", OrEmpty(gameMode));
}

void VARN_CDECL QueryRules(char* output, int length, IQueryContext*) {
    SessionDescription session;
    if (!ReadSession(&session)) return;
    AppendPair(output, length, "\\timelimit\\%d", 0) && AppendPair(output, length, "\\fraglimit\\%d", 0) &&
        AppendPair(output, length, "\\teamplay\\%d", static_cast<int>(session.gameType)) &&
        AppendPair(output, length, "\\rankedserver\\%d", 0);
}
