// CRC-32 as used by file checksums: reflected polynomial 0xEDB88320, initial
// value 0xFFFFFFFF, final exclusive-or 0xFFFFFFFF. The CRC of "123456789" is
// 0xCBF43926.
#pragma once

#include <cstddef>
#include <cstdint>

// Continues a checksum: pass 0 for the first block and the previous result
// for each following one; the result is the finished CRC of all blocks so far.
uint32_t Crc32(uint32_t crc, const void* data, size_t size);

// The plain byte-at-a-time computation with one 256-entry table; the fast
// paths of Crc32 must agree with it.
uint32_t Crc32Bytewise(uint32_t crc, const void* data, size_t size);

// Whether Crc32 uses carry-less multiplication on this processor.
bool Crc32UsesCarrylessMultiply();
