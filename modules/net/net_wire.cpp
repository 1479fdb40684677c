#include "net_wire.h"

#include "files/catalog_format.h"

#include <cstring>

namespace netwire {

namespace {
const char kMark[4] = {'V', 'N', 'L', '2'};
const size_t kMaxText = 259;
}  // namespace

Writer::Writer(MessageType type, uint32_t request) {
    Bytes(kMark, sizeof kMark);
    U8(type);
    U32(request);
}

void Writer::U8(uint8_t value) { Bytes(&value, 1); }

void Writer::U16(uint16_t value) {
    const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    Bytes(bytes, sizeof bytes);
}

void Writer::U32(uint32_t value) {
    unsigned char bytes[4];
    EncodeLittle32(bytes, value);
    Bytes(bytes, sizeof bytes);
}

void Writer::U64(uint64_t value) {
    U32(static_cast<uint32_t>(value));
    U32(static_cast<uint32_t>(value >> 32));
}

void Writer::Text(const char* text) {
    const size_t length = text ? strnlen(text, kMaxText) : 0;
    Bytes(text, length);
    U8(0);
}

void Writer::Bytes(const void* data, size_t size) {
    if (!m_ok || size > kMaxDatagram - m_size) {
        m_ok = false;
        return;
    }
    if (size) memcpy(m_data + m_size, data, size);
    m_size += size;
}

void Writer::Seal(const HashKey& key) {
    if (!m_ok) return;
    U64(KeyedHash(key, m_data, m_size));
}

bool Unseal(const char* data, size_t* size, const HashKey& key) {
    if (*size < kHeaderSize + kSealSize) return false;
    const size_t covered = *size - kSealSize;
    uint64_t seal = 0;
    for (int i = 7; i >= 0; --i) seal = (seal << 8) | static_cast<uint8_t>(data[covered + i]);
    if (!SameInConstantTime(seal, KeyedHash(key, data, covered))) return false;
    *size = covered;
    return true;
}

Reader::Reader(const char* data, size_t size) : m_data(data), m_size(size) {
    if (size < kHeaderSize || memcmp(data, kMark, sizeof kMark) != 0) {
        m_ok = false;
        return;
    }
    m_type = static_cast<MessageType>(static_cast<uint8_t>(data[4]));
    m_position = 5;
    m_request = U32();
}

const char* Reader::Bytes(size_t size) {
    if (!m_ok || size > m_size - m_position) {
        m_ok = false;
        return nullptr;
    }
    const char* bytes = m_data + m_position;
    m_position += size;
    return bytes;
}

uint8_t Reader::U8() {
    const char* b = Bytes(1);
    return b ? static_cast<uint8_t>(b[0]) : 0;
}

uint16_t Reader::U16() {
    const char* b = Bytes(2);
    if (!b) return 0;
    return static_cast<uint16_t>(static_cast<uint8_t>(b[0]) | (static_cast<uint8_t>(b[1]) << 8));
}

uint32_t Reader::U32() {
    const char* b = Bytes(4);
    return b ? DecodeLittle32(reinterpret_cast<const unsigned char*>(b)) : 0;
}

uint64_t Reader::U64() {
    const uint64_t low = U32();
    return low | (static_cast<uint64_t>(U32()) << 32);
}

void Reader::Text(char* out, size_t size) {
    if (size) out[0] = '\0';
    if (!m_ok) return;
    const size_t left = m_size - m_position;
    const char* start = m_data + m_position;
    const void* end = memchr(start, '\0', left);
    if (!end) {
        m_ok = false;
        return;
    }
    const size_t length = static_cast<size_t>(static_cast<const char*>(end) - start);
    m_position += length + 1;
    if (!size) return;
    const size_t copied = length < size - 1 ? length : size - 1;
    memcpy(out, start, copied);
    out[copied] = '\0';
}

}  // namespace netwire
