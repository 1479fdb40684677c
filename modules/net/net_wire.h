// The sample network layer's datagrams: a four-byte mark, a message type, a
// request number echoed by the answer, then the message's fields. Writers and
// readers are bounded by the datagram; a reader that runs short fails.
#pragma once

#include "keyed_hash.h"

#include <cstddef>
#include <cstdint>

namespace netwire {

const size_t kMaxDatagram = 1400;
const size_t kChunkSize = 1024;         // file bytes per chunk answer
const uint32_t kMaxFileSize = 8u << 20;  // larger files are not synchronised
const size_t kTextSize = 260;           // the longest text a datagram carries, terminated

// The token is the one the join answer gave: only admitted players send it.
// Every message of the host to a joiner but the challenge answer ends with a
// seal: the join answer's under the cookie, the rest under the player's
// answer key (keyed_hash.h). Request numbers start at a random value.
enum MessageType : uint8_t {
    kJoin = 1,         // cookie, version, player name, password proof, colour
    kJoinAnswer = 2,   // status, token, session name, game type, maximum, current, ready, password checked
    kStatus = 3,       // token
    kStatusAnswer = 4, // ready, maximum, current
    kFileInfo = 5,     // token, cache flag, offset (0), name
    kFileInfoAnswer = 6,   // found, size, checksum
    kFileChunk = 7,    // token, cache flag, offset, name
    kFileChunkAnswer = 8,  // found, offset, length, bytes
    kChallenge = 9,    // zero bytes, so that the request is no shorter than its answer
    kChallengeAnswer = 10,  // cookie, the session's salt
    kLeave = 11,       // token
    kKeepAlive = 12,   // token; the host sends them too, to each player, while it is not flying
    // In flight, at a fixed rate; the request number is a sequence, and an
    // older one than the last taken is dropped (the latest state wins).
    kPlayerState = 13,   // token, x, y, order: the aircraft a joined player flies
    kFlightStates = 14,  // token, place, count, count x (id, x, y, order): the host's aircraft
};

const size_t kHeaderSize = 9;
// Aircraft of one flight; a place is 1..kMaxPlaces-1 (0 is the host's lead).
const int kMaxPlaces = 16;
const size_t kSaltSize = 16;      // the session's salt of password keys
const size_t kSealSize = 8;       // the keyed hash closing each answer of the host
const size_t kChallengeSize = kHeaderSize + 8 + kSaltSize;  // a challenge request, padded, and its answer

// Join answer status: 0 admitted, otherwise the code the joining side reports.
const uint8_t kAdmitted = 0;
const uint8_t kRefusedPassword = 2;
const uint8_t kRefusedClosed = 5;
const uint8_t kRefusedFull = 6;
const uint8_t kRefusedVersion = 7;

class Writer {
public:
    Writer(MessageType type, uint32_t request);
    void U8(uint8_t value);
    void U16(uint16_t value);
    void U32(uint32_t value);
    void U64(uint64_t value);
    void Text(const char* text);  // zero-terminated, at most 259 characters
    void Bytes(const void* data, size_t size);
    // Closes the message with a keyed hash of everything before it.
    void Seal(const HashKey& key);
    const char* Data() const { return m_data; }
    size_t Size() const { return m_size; }
    bool Ok() const { return m_ok; }

private:
    char m_data[kMaxDatagram];
    size_t m_size = 0;
    bool m_ok = true;
};

// Whether the datagram ends with the seal of its other bytes under key; when
// it does, *size loses the seal, so that readers read only what it covers.
bool Unseal(const char* data, size_t* size, const HashKey& key);

class Reader {
public:
    // False from Valid() when the datagram is too short or has no mark.
    Reader(const char* data, size_t size);
    bool Valid() const { return m_ok && m_size >= kHeaderSize; }
    MessageType Type() const { return m_type; }
    uint32_t Request() const { return m_request; }
    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    uint64_t U64();
    // Copies a zero-terminated text into out (size bytes, always terminated).
    void Text(char* out, size_t size);
    // The next size bytes; null when fewer are left.
    const char* Bytes(size_t size);
    bool Ok() const { return m_ok; }

private:
    const char* m_data;
    size_t m_size;
    size_t m_position = kHeaderSize;
    MessageType m_type = kJoin;
    uint32_t m_request = 0;
    bool m_ok = true;
};

}  // namespace netwire
