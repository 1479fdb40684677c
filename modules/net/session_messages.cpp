#include "session_messages.h"

#include "keyed_hash.h"

#include <cstring>

namespace netwire {

Writer ChallengeRequest(uint32_t request) {
    Writer writer(kChallenge, request);
    const uint8_t padding[kChallengeSize - kHeaderSize] = {};
    writer.Bytes(padding, sizeof padding);
    return writer;
}

Writer JoinRequest(uint32_t request, uint64_t cookie, const char* version, const char* name, const HashKey& passwordKey,
                   uint32_t colour) {
    Writer writer(kJoin, request);
    writer.U64(cookie);
    writer.Text(version);
    writer.Text(name);
    writer.U64(PasswordProof(passwordKey, cookie));
    writer.U32(colour);
    return writer;
}

Writer TokenRequest(MessageType type, uint32_t request, uint64_t token) {
    Writer writer(type, request);
    writer.U64(token);
    return writer;
}

Writer FileRequest(MessageType type, uint32_t request, uint64_t token, int cacheFile, uint32_t offset,
                   const char* name) {
    Writer writer(type, request);
    writer.U64(token);
    writer.U8(static_cast<uint8_t>(cacheFile ? 1 : 0));
    writer.U32(offset);
    writer.Text(name);
    return writer;
}

bool ReadChallengeAnswer(const char* data, size_t size, ChallengeAnswer* out) {
    Reader reader(data, size);
    out->cookie = reader.U64();
    const char* salt = reader.Bytes(kSaltSize);
    if (salt) memcpy(out->salt, salt, kSaltSize);
    return reader.Valid() && reader.Ok() && reader.Type() == kChallengeAnswer;
}

HashKey JoinAnswerKey(uint64_t cookie) { return AnswerKey(HashKey{}, cookie); }

namespace {

// A session's player counts: none below 0, no more current than maximum.
bool PlausibleCounts(int32_t maxPlayers, int32_t currentPlayers) {
    return maxPlayers >= 0 && currentPlayers >= 0 && currentPlayers <= maxPlayers;
}

}  // namespace

bool ReadJoinAnswer(const char* data, size_t size, uint64_t cookie, JoinAnswer* out) {
    if (!Unseal(data, &size, JoinAnswerKey(cookie))) return false;
    Reader reader(data, size);
    out->status = reader.U8();
    out->token = reader.U64();
    reader.Text(out->sessionName, sizeof out->sessionName);
    out->gameType = static_cast<int32_t>(reader.U32());
    out->maxPlayers = static_cast<int32_t>(reader.U32());
    out->currentPlayers = static_cast<int32_t>(reader.U32());
    out->ready = reader.U8() ? 1 : 0;
    out->passwordChecked = reader.U8() ? 1 : 0;
    return reader.Valid() && reader.Ok() && reader.Type() == kJoinAnswer && (out->status != kAdmitted || out->token != 0) &&
           PlausibleCounts(out->maxPlayers, out->currentPlayers);
}

HashKey AnswerKeyBase(const JoinAnswer& answer, const HashKey& passwordKey, uint64_t cookie) {
    return answer.passwordChecked ? passwordKey : JoinAnswerKey(cookie);
}

bool ReadStatusAnswer(const char* data, size_t size, const HashKey& answerKey, StatusAnswer* out) {
    if (!Unseal(data, &size, answerKey)) return false;
    Reader reader(data, size);
    out->ready = reader.U8() ? 1 : 0;
    out->maxPlayers = static_cast<int32_t>(reader.U32());
    out->currentPlayers = static_cast<int32_t>(reader.U32());
    out->place = reader.U8();
    return reader.Valid() && reader.Ok() && reader.Type() == kStatusAnswer && out->place < kMaxPlaces &&
           PlausibleCounts(out->maxPlayers, out->currentPlayers);
}

bool ReadFileInfoAnswer(const char* data, size_t size, const HashKey& answerKey, FileInfoAnswer* out) {
    if (!Unseal(data, &size, answerKey)) return false;
    Reader reader(data, size);
    out->found = reader.U8() ? 1 : 0;
    out->size = reader.U32();
    out->sum = reader.U32();
    return reader.Valid() && reader.Ok() && reader.Type() == kFileInfoAnswer && out->size <= kMaxFileSize;
}

bool ReadFileChunkAnswer(const char* data, size_t size, const HashKey& answerKey, uint32_t fileSize,
                         FileChunkAnswer* out) {
    if (!Unseal(data, &size, answerKey)) return false;
    Reader reader(data, size);
    out->found = reader.U8() ? 1 : 0;
    out->offset = reader.U32();
    out->length = reader.U16();
    out->bytes = reader.Bytes(out->length);
    return reader.Valid() && reader.Ok() && reader.Type() == kFileChunkAnswer && out->found && out->length > 0 &&
           out->offset < fileSize && out->length <= fileSize - out->offset;
}

Writer HostNotice(MessageType type, uint32_t request, uint64_t token, const HashKey& answerKey) {
    Writer writer(type, request);
    writer.U64(token);
    writer.Seal(answerKey);
    return writer;
}

bool ReadHostNotice(const char* data, size_t size, const HashKey& answerKey, uint64_t token, MessageType* type) {
    if (!Unseal(data, &size, answerKey)) return false;
    Reader reader(data, size);
    const uint64_t carried = reader.U64();
    *type = reader.Type();
    return reader.Valid() && reader.Ok() && (*type == kLeave || *type == kKeepAlive) &&
           SameInConstantTime(carried, token);
}

}  // namespace netwire
