// The catalog archive format: a 28-byte header, the file records, the
// extension records and the member data. Integers are 32-bit little-endian.
//
//   header      signature[16] ("CAT" and a zero byte), fileCount, extensionCount,
//               dataSize (bytes from the first member's first byte to the last
//               member's last byte)
//   file record offset, nameLength, name (nameLength bytes with the zero byte)
//   extension   length, text (length bytes with the zero byte, without the dot)
//
// Member sizes follow from consecutive offsets; the last from dataSize.
#pragma once

#include <cstdint>

const int kCatalogSignatureSize = 16;
const int kCatalogHeaderSize = 28;
// Lengths of names and extensions in the records must stay below this.
const uint32_t kCatalogTextLimit = 260;
// Extensions are kept in 256-byte texts (255 bytes and the zero byte).
const int kCatalogExtensionSize = 256;
// At most this many files and extensions fit in a catalog's tables.
const int32_t kCatalogMaxItems = 65534;

struct CatalogHeader {
    char signature[kCatalogSignatureSize];
    uint32_t fileCount;
    uint32_t extensionCount;
    uint32_t dataSize;
};

// Decodes a header from its 28 bytes as stored.
void DecodeCatalogHeader(const unsigned char* bytes, CatalogHeader* header);
// The signature text, up to its zero byte (or all 16 bytes), is "CAT" in any letter case.
bool IsCatalogSignature(const char* signature);

inline uint32_t DecodeLittle32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void EncodeLittle32(unsigned char* p, uint32_t value) {
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}
