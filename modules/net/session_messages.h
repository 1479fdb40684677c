// The joining side's requests and its readers of the host's answers. Each
// reader takes a whole datagram whose header the caller has matched to its
// request, reads every field within the datagram, and fails for a short or
// inconsistent answer, and for one whose seal (net_wire.h) does not hold.
#pragma once

#include "net_wire.h"

#include <cstddef>
#include <cstdint>

namespace netwire {

Writer ChallengeRequest(uint32_t request);
// passwordKey: PasswordKey of the password under the session's salt.
Writer JoinRequest(uint32_t request, uint64_t cookie, const char* version, const char* name, const HashKey& passwordKey,
                   uint32_t colour);
// A status, leave or keep-alive message of an admitted player.
Writer TokenRequest(MessageType type, uint32_t request, uint64_t token);
Writer FileRequest(MessageType type, uint32_t request, uint64_t token, int cacheFile, uint32_t offset,
                   const char* name);

struct ChallengeAnswer {
    uint64_t cookie;
    uint8_t salt[kSaltSize];
};
bool ReadChallengeAnswer(const char* data, size_t size, ChallengeAnswer* out);

// The key of the join answer's seal: the cookie, which only the joiner and the host know.
HashKey JoinAnswerKey(uint64_t cookie);

struct JoinAnswer {
    uint8_t status;
    uint64_t token;
    char sessionName[kTextSize];
    int32_t gameType;
    int32_t maxPlayers;
    int32_t currentPlayers;
    int ready;
    int passwordChecked;  // the host has a password: the answer key is made from it
};
// The base of the answer key of a player admitted with this answer: the
// password's key when the host checked one, else the cookie's (keyed_hash.h).
HashKey AnswerKeyBase(const JoinAnswer& answer, const HashKey& passwordKey, uint64_t cookie);
// Also fails for an admission without a token and for player counts no
// session has (below 0, more current than maximum).
bool ReadJoinAnswer(const char* data, size_t size, uint64_t cookie, JoinAnswer* out);

struct StatusAnswer {
    int ready;
    int32_t maxPlayers;
    int32_t currentPlayers;
    int place;  // the place of the host's flight given to this player, 0 for none
};
bool ReadStatusAnswer(const char* data, size_t size, const HashKey& answerKey, StatusAnswer* out);

struct FileInfoAnswer {
    int found;
    uint32_t size;
    uint32_t sum;
};
// Also fails for a file larger than kMaxFileSize.
bool ReadFileInfoAnswer(const char* data, size_t size, const HashKey& answerKey, FileInfoAnswer* out);

struct FileChunkAnswer {
    int found;
    uint32_t offset;
    uint16_t length;
    const char* bytes;  // inside the datagram
};
// Fails unless the chunk holds bytes that lie within a file of fileSize bytes.
bool ReadFileChunkAnswer(const char* data, size_t size, const HashKey& answerKey, uint32_t fileSize,
                         FileChunkAnswer* out);

// A leave or keep-alive of the host, sealed and carrying the player's token.
Writer HostNotice(MessageType type, uint32_t request, uint64_t token, const HashKey& answerKey);
bool ReadHostNotice(const char* data, size_t size, const HashKey& answerKey, uint64_t token, MessageType* type);

}  // namespace netwire
