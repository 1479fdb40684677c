// The text of a server-browser answer, kept within one datagram.
#include "query_text.h"

#include <cstdio>
#include <cstring>

namespace {

// Appends "\key\value" when it fits whole within limit bytes (terminator
// included); the answer stays terminated either way.
void AppendPair(char* answer, size_t limit, const char* key, const char* value) {
    const size_t used = strnlen(answer, limit);
    if (used >= limit) return;
    const int room = static_cast<int>(limit - used);
    const int written = snprintf(answer + used, static_cast<size_t>(room), "\\%s\\%s", key, value ? value : "");
    if (written < 0 || written >= room) answer[used] = '\0';
}

// Whether the query (not terminated, size bytes) holds `what`.
bool Asks(const char* query, size_t size, const char* what) {
    const size_t length = strlen(what);
    for (size_t i = 0; i + length <= size; ++i) {
        if (memcmp(query + i, what, length) == 0) return true;
    }
    return false;
}

}  // namespace

size_t WriteQueryAnswer(const char* query, size_t size, const QueryFacts& facts, char* answer) {
    answer[0] = '\0';
    const bool status = Asks(query, size, "\\status\\");
    const bool basic = status || Asks(query, size, "\\basic\\");
    const bool info = status || Asks(query, size, "\\info\\");
    const bool rules = status || Asks(query, size, "\\rules\\");
    const bool players = status || Asks(query, size, "\\players\\");
    if (!basic && !info && !rules && !players) return 0;

    // Leave room for the closing pairs.
    const size_t limit = kQueryAnswerSize - 64;
    const QueryReportingSetup* setup = facts.setup;
    if (basic) {
        AppendPair(answer, limit, "gamename", setup && setup->gameName ? setup->gameName : "");
        AppendPair(answer, limit, "gamever", facts.version);
    }
    // A callback is told the room below the limit; whatever it writes, the
    // answer is cut back to the limit before the closing pairs.
    if (info && setup && setup->serverInfo) setup->serverInfo(answer, static_cast<int>(limit), facts.context);
    answer[limit - 1] = '\0';
    if (rules && setup && setup->rules) setup->rules(answer, static_cast<int>(limit), facts.context);
    answer[limit - 1] = '\0';
    char key[32];
    for (int i = 0; players && i < facts.playerCount; ++i) {
        snprintf(key, sizeof key, "player_%d", i);
        AppendPair(answer, limit, key, facts.players[i]);
        snprintf(key, sizeof key, "frags_%d", i);
        AppendPair(answer, limit, key, "0");
        snprintf(key, sizeof key, "ping_%d", i);
        AppendPair(answer, limit, key, "0");
    }
    char queryId[32];
    snprintf(queryId, sizeof queryId, "%u.1", static_cast<unsigned>(facts.queryId));
    AppendPair(answer, kQueryAnswerSize, "final", "");
    AppendPair(answer, kQueryAnswerSize, "queryid", queryId);
    return strlen(answer);
}
