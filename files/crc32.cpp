#include "files/crc32.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define VARN_CRC_CLMUL 1
#include <immintrin.h>
#endif

namespace {

const uint32_t kPolynomial = 0xEDB88320u;

// Sixteen tables: table[0] is the classic byte table; table[k][b] is the CRC
// state after byte b followed by k zero bytes, which lets sixteen input bytes
// be folded with sixteen independent look-ups.
struct Tables {
    uint32_t t[16][256];
    Tables() {
        for (uint32_t b = 0; b < 256; ++b) {
            uint32_t c = b;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ kPolynomial : c >> 1;
            t[0][b] = c;
        }
        for (int k = 1; k < 16; ++k)
            for (uint32_t b = 0; b < 256; ++b) t[k][b] = (t[k - 1][b] >> 8) ^ t[0][t[k - 1][b] & 0xFF];
    }
};

const Tables& GetTables() {
    static const Tables tables;
    return tables;
}

inline uint32_t Load32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The state here is the running register (already inverted).
uint32_t UpdateSliced(uint32_t state, const unsigned char* p, size_t size) {
    const Tables& tb = GetTables();
    const auto& t = tb.t;
    while (size >= 16) {
        uint32_t a = Load32(p) ^ state;
        uint32_t b = Load32(p + 4);
        uint32_t c = Load32(p + 8);
        uint32_t d = Load32(p + 12);
        state = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
                t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
                t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
                t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
        p += 16;
        size -= 16;
    }
    while (size--) state = (state >> 8) ^ t[0][(state ^ *p++) & 0xFF];
    return state;
}

#ifdef VARN_CRC_CLMUL

// Folding with carry-less multiplication: four 128-bit lanes are folded 64
// bytes at a time, then into one lane, then reduced to 32 bits (Barrett).
// The constants are powers of x modulo the polynomial, bit-reflected.
#define VARN_CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))

VARN_CLMUL_TARGET inline __m128i LoadBlock(const unsigned char* q) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
}

// Multiplies both halves of x by the two constants of k and adds next.
VARN_CLMUL_TARGET inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
    __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
    __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(lo, hi), next);
}

// Needs size >= 64 and a multiple of 16.
VARN_CLMUL_TARGET uint32_t UpdateClmul(uint32_t state, const unsigned char* p,
                                                                size_t size) {
    const __m128i k1k2 = _mm_set_epi64x(0x1c6e41596LL, 0x154442bd4LL);
    const __m128i k3k4 = _mm_set_epi64x(0x0ccaa009eLL, 0x1751997d0LL);
    const __m128i k5 = _mm_set_epi64x(0, 0x163cd6124LL);
    const __m128i poly = _mm_set_epi64x(0x1f7011641LL, 0x1db710641LL);
    const __m128i mask32 = _mm_set_epi32(0, 0, 0, -1);

    __m128i x1 = _mm_xor_si128(LoadBlock(p), _mm_cvtsi32_si128(static_cast<int>(state)));
    __m128i x2 = LoadBlock(p + 16);
    __m128i x3 = LoadBlock(p + 32);
    __m128i x4 = LoadBlock(p + 48);
    p += 64;
    size -= 64;
    while (size >= 64) {
        x1 = Fold(x1, k1k2, LoadBlock(p));
        x2 = Fold(x2, k1k2, LoadBlock(p + 16));
        x3 = Fold(x3, k1k2, LoadBlock(p + 32));
        x4 = Fold(x4, k1k2, LoadBlock(p + 48));
        p += 64;
        size -= 64;
    }
    x1 = Fold(x1, k3k4, x2);
    x1 = Fold(x1, k3k4, x3);
    x1 = Fold(x1, k3k4, x4);
    while (size >= 16) {
        x1 = Fold(x1, k3k4, LoadBlock(p));
        p += 16;
        size -= 16;
    }
    // 128 -> 64 bits (appending 32 zero bits), then 64 -> 32 by Barrett reduction.
    __m128i t = _mm_clmulepi64_si128(x1, k3k4, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), t);
    t = _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), k5, 0x00);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 4), t);
    t = _mm_and_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, mask32), poly, 0x10), mask32);
    t = _mm_clmulepi64_si128(t, poly, 0x00);
    x1 = _mm_xor_si128(x1, t);
    return static_cast<uint32_t>(_mm_extract_epi32(x1, 1));
}

bool DetectClmul() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

#endif

bool HasClmul() {
#ifdef VARN_CRC_CLMUL
    static const bool has = DetectClmul();
    return has;
#else
    return false;
#endif
}

}  // namespace

uint32_t Crc32(uint32_t crc, const void* data, size_t size) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    uint32_t state = ~crc;
    if (!p) return crc;
#ifdef VARN_CRC_CLMUL
    if (size >= 128 && HasClmul()) {
        size_t bulk = size & ~size_t(15);
        state = UpdateClmul(state, p, bulk);
        p += bulk;
        size -= bulk;
    }
#endif
    return ~UpdateSliced(state, p, size);
}

uint32_t Crc32Bytewise(uint32_t crc, const void* data, size_t size) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    if (!p) return crc;
    const auto& t0 = GetTables().t[0];
    uint32_t state = ~crc;
    while (size--) state = (state >> 8) ^ t0[(state ^ *p++) & 0xFF];
    return ~state;
}

bool Crc32UsesCarrylessMultiply() { return HasClmul(); }
