// Server-browser queries on the query port, answered with the text
// query_text.h writes. Answers are rate-limited: a query of a few bytes gets
// an answer of hundreds, which must not make the host an amplifier.
#include "network_layer.h"

#include "net_lock.h"
#include "files/strings.h"
#include "platform/platform.h"
#include "query_text.h"
#include "shell/shell.h"

void NetworkLayer::ServeQuery(const char* data, int size, const NetAddress& from) {
    QueryReportingSetup setup;
    // The players' names as they stand now: the callbacks run outside the lock.
    char names[SessionHost::kMaxJoined + 1][kNameSize];
    const char* players[SessionHost::kMaxJoined + 1];
    int count = 0;
    {
        // Within the query budgets of the source address and of all sources.
        Locked lock(m_lock);
        if (!m_host->AllowAnswer(kQueryAnswers, from.ip, plat::TimerTime())) return;
        setup = m_query;
        for (int i = 0; m_hosting && i <= m_host->PlayerCount(); ++i) {
            CopyString(names[i], i == 0 ? m_playerName : m_host->PlayerName(i - 1), kNameSize);
            players[count++] = names[i];
        }
    }
    QueryFacts facts{&setup, this, ShellGetVersionText(), players, count, ++m_queryId};
    char answer[kQueryAnswerSize];
    const size_t length = WriteQueryAnswer(data, static_cast<size_t>(size), facts, answer);
    if (length) m_querySocket.Send(from, answer, length);
}
