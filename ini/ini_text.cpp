#include "ini/ini_text.h"

#include "files/strings.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>

namespace {

inline unsigned Fold(unsigned c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }
inline bool IsDigit(unsigned c) { return c >= '0' && c <= '9'; }

const unsigned char* SkipSpace(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (IniIsSpace(*p)) ++p;
    return p;
}

// Exact powers of ten as doubles (10^22 is the largest one a double holds).
const double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common short decimal (at most 19 significant digits, no exponent) as the
// correctly rounded double: a mantissa below 2^53 divided by an exact power of
// ten rounds once, exactly as the C runtime's conversion does. False when the
// text needs the general conversion. Only where doubles are evaluated in
// double precision; with x87 extended precision the division would round twice.
bool ShortDecimal(const unsigned char* p, double* value) {
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
    uint64_t mantissa = 0;
    int digits = 0;
    int scale = 0;
    while (*p == '0') ++p;
    for (; IsDigit(*p); ++p) {
        if (++digits > 19) return false;
        mantissa = mantissa * 10 + (*p - '0');
    }
    if (*p == '.') {
        ++p;
        if (mantissa == 0) {
            while (*p == '0') {
                ++p;
                ++scale;
            }
        }
        for (; IsDigit(*p); ++p) {
            if (++digits > 19) return false;
            mantissa = mantissa * 10 + (*p - '0');
            ++scale;
        }
    }
    if (*p == 'e' || *p == 'E') return false;
    if (mantissa == 0) {
        *value = 0.0;
        return true;
    }
    if (mantissa > (uint64_t(1) << 53) || scale > 22) return false;
    *value = static_cast<double>(mantissa) / kPowersOfTen[scale];
    return true;
#else
    (void)p;
    (void)value;
    return false;
#endif
}

}  // namespace

bool IniNamesEqual(const char* a, const char* b) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    bool caseDiffers = false;
    for (;; ++p, ++q) {
        if (*p == *q) {
            if (!*p) break;
            continue;
        }
        if (Fold(*p) != Fold(*q)) return false;
        caseDiffers = true;
    }
    // Byte-identical names are equal; names that differ in letter case only are
    // left to the multibyte-aware comparison (a trail byte never ignores case).
    return caseDiffers ? StringsEqual(a, b, false) : true;
}

uint32_t IniNameHash(const char* name) {
    uint32_t hash = 5381;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
        unsigned c = *p;
        c -= (c - 'a' < 26u) << 5;  // ASCII letters without case
        hash = hash * 33 + c;
    }
    // Spread the bits, so that similar names land in different slots.
    hash ^= hash >> 16;
    hash *= 0x85ebca6bu;
    hash ^= hash >> 13;
    hash *= 0xc2b2ae35u;
    hash ^= hash >> 16;
    return hash;
}

int32_t IniParseInt(const char* text) {
    if (!text) return 0;
    const unsigned char* p = SkipSpace(text);
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    const int64_t limit = int64_t(1) << 31;
    int64_t value = 0;
    for (; IsDigit(*p); ++p) {
        value = value * 10 + (*p - '0');
        if (value > limit) value = limit;
    }
    if (negative) return value >= limit ? INT32_MIN : static_cast<int32_t>(-value);
    return value >= limit ? INT32_MAX : static_cast<int32_t>(value);
}

float IniNarrow(double value) {
    const double kRoundsToInfinity = 0x1.ffffffp+127;  // FLT_MAX plus half a step
    if (value >= kRoundsToInfinity) return HUGE_VALF;
    if (value <= -kRoundsToInfinity) return -HUGE_VALF;
    if (value > FLT_MAX) return FLT_MAX;
    if (value < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(value);
}

float IniParseFloat(const char* text) {
    if (!text) return 0.0f;
    const unsigned char* p = SkipSpace(text);
    const unsigned char* number = p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (!IsDigit(p[0]) && !(p[0] == '.' && IsDigit(p[1]))) return 0.0f;
    // "0x..." is the number 0 followed by text, not a hexadecimal number.
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) return negative ? -0.0f : 0.0f;
    double value;
    if (ShortDecimal(p, &value)) {
        if (negative) value = -value;
    } else {
        // Starts with a decimal digit or point: the runtime reads exactly the
        // decimal number there (digits, fraction, exponent).
        value = strtod(reinterpret_cast<const char*>(number), nullptr);
    }
    return IniNarrow(value);
}

void IniParseNumbers(const char* text, int32_t* intValue, float* floatValue) {
    const unsigned char* p = SkipSpace(text);
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (!IsDigit(*p) && *p != '.') {  // no number: both are zero
        *intValue = 0;
        *floatValue = 0.0f;
        return;
    }
    uint32_t value = 0;
    int digits = 0;
    for (; IsDigit(*p) && digits <= 9; ++p, ++digits) value = value * 10 + (*p - '0');
    // A fraction, an exponent or more digits: the general conversions decide.
    if (digits == 0 || digits > 9 || *p == '.' || *p == 'e' || *p == 'E') {
        *intValue = IniParseInt(text);
        *floatValue = IniParseFloat(text);
        return;
    }
    // Below 10^9: exact in an int32 and in a double, so one rounding to float
    // gives what the float conversion gives; "0x" reads as 0 in both.
    *intValue = negative ? -static_cast<int32_t>(value) : static_cast<int32_t>(value);
    *floatValue = negative ? -static_cast<float>(value) : static_cast<float>(value);
}

uint32_t IniParseUnsigned(const char* text) {
    if (!text) return 0;
    const unsigned char* p = SkipSpace(text);
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    unsigned base = 10;
    if (p[0] == '0') {
        const unsigned c = p[2];
        const bool hexDigit = IsDigit(c) || (Fold(c) >= 'A' && Fold(c) <= 'F');
        if ((p[1] == 'x' || p[1] == 'X') && hexDigit) {
            base = 16;
            p += 2;
        } else {
            base = 8;
        }
    }
    uint64_t value = 0;
    bool overflow = false;
    for (;; ++p) {
        unsigned digit;
        if (IsDigit(*p))
            digit = *p - '0';
        else if (Fold(*p) >= 'A' && Fold(*p) <= 'Z')
            digit = Fold(*p) - 'A' + 10;
        else
            break;
        if (digit >= base) break;
        value = value * base + digit;
        if (value > 0xFFFFFFFFu) {
            overflow = true;
            value = 0xFFFFFFFFu;
        }
    }
    if (overflow) return 0xFFFFFFFFu;
    uint32_t result = static_cast<uint32_t>(value);
    return negative ? 0u - result : result;
}

int32_t IniTruncateFloat(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return INT32_MAX;
    if (value <= -2147483648.0f) return INT32_MIN;
    return static_cast<int32_t>(value);
}
