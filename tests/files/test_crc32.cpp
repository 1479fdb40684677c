// CRC-32: the standard check value, and the fast paths against the plain table.
#include "files/crc32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

TEST(Crc32, KnownValues) {
    EXPECT_EQ(Crc32(0, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32Bytewise(0, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(0, "", 0), 0u);
    EXPECT_EQ(Crc32(0, "a", 1), 0xE8B7BE43u);
    std::string zeros(4096, '\0');
    EXPECT_EQ(Crc32(0, zeros.data(), 32), 0x190A55ADu);
}

TEST(Crc32, EveryLengthAndAlignmentAgreesWithTheByteTable) {
    std::vector<unsigned char> data(5000);
    uint32_t seed = 12345;
    for (unsigned char& byte : data) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<unsigned char>(seed >> 16);
    }
    // Lengths around the block sizes of the folded paths (16, 64, 128), at every alignment.
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t length = 0; length + offset <= 600; ++length) {
            ASSERT_EQ(Crc32(0, data.data() + offset, length), Crc32Bytewise(0, data.data() + offset, length))
                << "offset " << offset << " length " << length;
        }
    }
    EXPECT_EQ(Crc32(0, data.data(), data.size()), Crc32Bytewise(0, data.data(), data.size()));
}

TEST(Crc32, PiecesContinueTheChecksum) {
    std::string text(100000, '\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i * 7 + i / 251);
    uint32_t whole = Crc32Bytewise(0, text.data(), text.size());
    for (size_t split : {size_t(1), size_t(63), size_t(129), size_t(65536), size_t(99999)}) {
        uint32_t crc = Crc32(0, text.data(), split);
        crc = Crc32(crc, text.data() + split, text.size() - split);
        EXPECT_EQ(crc, whole) << "split at " << split;
    }
}
