// The server-browser answer's text: which queries are answered, and that a
// full session or a greedy callback still leaves a whole, closed datagram.
#include "query_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Fills all it is told of and terminates one past it: the callback a
// careless author writes (the answer's buffer has room beyond the length told).
void VARN_CDECL FillAll(char* output, int length, IQueryContext*) {
    const size_t used = strlen(output);
    if (length > 0 && used < static_cast<size_t>(length)) {
        memset(output + used, 'x', static_cast<size_t>(length) - used);
        output[length] = '\0';
    }
}

void VARN_CDECL Rules(char* output, int, IQueryContext*) { strcat(output, "\\teamplay\\1"); }

std::string Answer(const char* query, const QueryFacts& facts) {
    char answer[kQueryAnswerSize];
    memset(answer, 'z', sizeof answer);
    const size_t length = WriteQueryAnswer(query, strlen(query), facts, answer);
    EXPECT_EQ(length, strnlen(answer, sizeof answer));
    EXPECT_LT(length, kQueryAnswerSize);
    return std::string(answer, length);
}

}  // namespace

TEST(QueryText, AnswersWhatIsAskedAndClosesEveryAnswer) {
    QueryReportingSetup setup{};
    setup.gameName = "game";
    setup.rules = &Rules;
    const char* players[] = {"Lead", "Wingman"};
    const QueryFacts facts{&setup, nullptr, "v1", players, 2, 7};
    EXPECT_EQ("", Answer("\\echo\\", facts));
    EXPECT_EQ("\\gamename\\game\\gamever\\v1\\final\\\\queryid\\7.1", Answer("\\basic\\", facts));
    EXPECT_EQ("\\teamplay\\1\\final\\\\queryid\\7.1", Answer("\\rules\\", facts));
    EXPECT_EQ("\\player_0\\Lead\\frags_0\\0\\ping_0\\0\\player_1\\Wingman\\frags_1\\0\\ping_1\\0\\final\\\\queryid\\7.1",
              Answer("\\players\\", facts));
    // A query that is not terminated is read within its size only.
    char answer[kQueryAnswerSize];
    EXPECT_EQ(0u, WriteQueryAnswer("\\basic\\", 6, facts, answer));
}

TEST(QueryText, AFullAnswerStillEndsWithItsClosingPairs) {
    QueryReportingSetup setup{};
    setup.serverInfo = &FillAll;
    static char names[64][64];
    const char* players[64];
    for (int i = 0; i < 64; ++i) {
        memset(names[i], 'n', 63);
        names[i][63] = '\0';
        players[i] = names[i];
    }
    const QueryFacts greedy{&setup, nullptr, "v1", players, 64, 12};
    const std::string info = Answer("\\status\\", greedy);
    EXPECT_EQ("\\final\\\\queryid\\12.1", info.substr(info.size() - 20));
    EXPECT_EQ(info.size(), kQueryAnswerSize - 64 - 1 + 20);  // cut back to the room it was told of
    setup.serverInfo = nullptr;
    const std::string many = Answer("\\players\\", greedy);
    EXPECT_GT(many.size(), 1200u);
    EXPECT_EQ("\\final\\\\queryid\\12.1", many.substr(many.size() - 20));
}
