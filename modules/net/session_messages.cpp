#include "session_messages.h"

#include "keyed_hash.h"

namespace netwire {

Writer ChallengeRequest(uint32_t request) {
    Writer writer(kChallenge, request);
    writer.U64(0);
    return writer;
}

Writer JoinRequest(uint32_t request, uint64_t cookie, const char* version, const char* name, const char* password,
                   uint32_t colour) {
    Writer writer(kJoin, request);
    writer.U64(cookie);
    writer.Text(version);
    writer.Text(name);
    writer.U64(PasswordProof(PasswordKey(password ? password : ""), cookie));
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

bool ReadChallengeAnswer(const char* data, size_t size, uint64_t* cookie) {
    Reader reader(data, size);
    *cookie = reader.U64();
    return reader.Valid() && reader.Ok();
}

bool ReadJoinAnswer(const char* data, size_t size, JoinAnswer* out) {
    Reader reader(data, size);
    out->status = reader.U8();
    out->token = reader.U64();
    reader.Text(out->sessionName, sizeof out->sessionName);
    out->gameType = static_cast<int32_t>(reader.U32());
    out->maxPlayers = static_cast<int32_t>(reader.U32());
    out->currentPlayers = static_cast<int32_t>(reader.U32());
    out->ready = reader.U8() ? 1 : 0;
    return reader.Valid() && reader.Ok() && (out->status != kAdmitted || out->token != 0);
}

bool ReadStatusAnswer(const char* data, size_t size, StatusAnswer* out) {
    Reader reader(data, size);
    out->ready = reader.U8() ? 1 : 0;
    out->maxPlayers = static_cast<int32_t>(reader.U32());
    out->currentPlayers = static_cast<int32_t>(reader.U32());
    out->place = reader.U8();
    return reader.Valid() && reader.Ok() && out->place < kMaxPlaces;
}

bool ReadFileInfoAnswer(const char* data, size_t size, FileInfoAnswer* out) {
    Reader reader(data, size);
    out->found = reader.U8() ? 1 : 0;
    out->size = reader.U32();
    out->sum = reader.U32();
    return reader.Valid() && reader.Ok() && out->size <= kMaxFileSize;
}

bool ReadFileChunkAnswer(const char* data, size_t size, uint32_t expectedOffset, uint32_t remaining,
                         FileChunkAnswer* out) {
    Reader reader(data, size);
    out->found = reader.U8() ? 1 : 0;
    out->offset = reader.U32();
    out->length = reader.U16();
    out->bytes = reader.Bytes(out->length);
    return reader.Valid() && reader.Ok() && out->found && out->offset == expectedOffset && out->length > 0 &&
           out->length <= remaining;
}

}  // namespace netwire
