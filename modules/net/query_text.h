// The text of a server-browser answer: "\basic\", "\info\", "\rules\",
// "\players\" and "\status\" (all of them) are answered in one datagram of
// key/value pairs, the session's state written by the host's callbacks,
// ending with "\final\" and the query id. Portable, without sockets.
#pragma once

#include "varn/net.h"

#include <cstddef>
#include <cstdint>

const size_t kQueryAnswerSize = 1400;

// What an answer reports besides the callbacks' text.
struct QueryFacts {
    const QueryReportingSetup* setup;  // callbacks may be null
    IQueryContext* context;            // handed to the server information callback
    const char* version;               // "gamever"
    const char* const* players;        // the host's name first, then the joined players
    int playerCount;                   // 0 when not hosting
    uint32_t queryId;
};

// Writes the answer to the query of `size` bytes into answer (kQueryAnswerSize
// bytes, terminated); returns its length, 0 when the query asks for nothing
// this side answers.
size_t WriteQueryAnswer(const char* query, size_t size, const QueryFacts& facts, char* answer);
