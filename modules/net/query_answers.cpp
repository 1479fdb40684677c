// Server-browser queries: "\basic\", "\info\", "\rules\", "\players\" and
// "\status\" (all of them) are answered in one datagram of key/value pairs,
// the session's state written by the host's callbacks, ending with "\final\"
// and the query id. Answers are rate-limited: a query of a few bytes gets an
// answer of hundreds, which must not make the host an amplifier.
#include "network_layer.h"

#include "net_lock.h"
#include "platform/platform.h"
#include "shell/shell.h"

#include <cstdio>
#include <cstring>

namespace {

const size_t kAnswerSize = 1400;

// Appends "\key\value" when it fits whole within limit bytes (terminator
// included); the answer stays terminated either way.
void AppendPair(char* answer, size_t limit, const char* key, const char* value) {
    const size_t used = strnlen(answer, limit);
    if (used >= limit) return;
    const int room = static_cast<int>(limit - used);
    const int written = snprintf(answer + used, static_cast<size_t>(room), "\\%s\\%s", key, value);
    if (written < 0 || written >= room) answer[used] = '\0';
}

bool Asks(const char* query, const char* what) { return strstr(query, what) != nullptr; }

}  // namespace

void NetworkLayer::ServeQuery(const char* data, int size, const NetAddress& from) {
    {
        // Within the query budgets of the source address and of all sources.
        Locked lock(m_lock);
        if (!m_host->AllowAnswer(kQueryAnswers, from.ip, plat::TimerTime())) return;
    }
    char query[netwire::kMaxDatagram + 1];
    memcpy(query, data, static_cast<size_t>(size));
    query[size] = '\0';
    const bool status = Asks(query, "\\status\\");
    const bool basic = status || Asks(query, "\\basic\\");
    const bool info = status || Asks(query, "\\info\\");
    const bool rules = status || Asks(query, "\\rules\\");
    const bool players = status || Asks(query, "\\players\\");
    if (!basic && !info && !rules && !players) return;

    QueryReportingSetup setup;
    {
        Locked lock(m_lock);
        setup = m_query;
    }
    // Leave room for the closing pairs.
    const size_t limit = kAnswerSize - 64;
    char answer[kAnswerSize] = "";
    if (basic) {
        AppendPair(answer, limit, "gamename", setup.gameName ? setup.gameName : "");
        AppendPair(answer, limit, "gamever", ShellGetVersionText());
    }
    if (info && setup.serverInfo) setup.serverInfo(answer, static_cast<int>(limit), this);
    if (rules && setup.rules) setup.rules(answer, static_cast<int>(limit), this);
    if (players) {
        Locked lock(m_lock);
        char key[32];
        for (int i = 0; i <= m_host->PlayerCount() && m_hosting; ++i) {
            snprintf(key, sizeof key, "player_%d", i);
            AppendPair(answer, limit, key, i == 0 ? m_playerName : m_host->PlayerName(i - 1));
            snprintf(key, sizeof key, "frags_%d", i);
            AppendPair(answer, limit, key, "0");
            snprintf(key, sizeof key, "ping_%d", i);
            AppendPair(answer, limit, key, "0");
        }
    }
    // The closing pairs always fit: everything before them kept within limit.
    answer[limit - 1] = '\0';
    char queryId[32];
    snprintf(queryId, sizeof queryId, "%u.1", static_cast<unsigned>(++m_queryId));
    AppendPair(answer, kAnswerSize, "final", "");
    AppendPair(answer, kAnswerSize, "queryid", queryId);
    m_querySocket.Send(from, answer, strlen(answer));
}
