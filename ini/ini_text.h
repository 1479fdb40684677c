// Text rules of configuration documents: how names compare and hash, and how a
// value text converts to its integer, float and unsigned representations.
#pragma once

#include <cstdint>

// Names compare without regard to the letter case of single-byte characters
// (double-byte characters compare byte for byte); the answer is always that of
// StringsEqual(a, b, false). Both names must be non-empty.
bool IniNamesEqual(const char* a, const char* b);

// A hash that is equal for every two names IniNamesEqual finds equal.
uint32_t IniNameHash(const char* name);

// Decimal conversion: leading white space and a sign are accepted, conversion
// stops at the first non-digit, 0 when there is no digit. Values beyond the
// 32-bit range saturate at its ends.
int32_t IniParseInt(const char* text);

// Decimal floating-point conversion (digits, an optional fraction and an
// optional exponent; no hexadecimal, infinity or NaN spellings), rounded to a
// double and then narrowed to 32 bits. 0 when there is no number.
float IniParseFloat(const char* text);

// Both conversions above at once, as a key's value is read: a plain decimal
// integer of up to nine digits (the common value) is read in one pass, any
// other text by the two conversions.
void IniParseNumbers(const char* text, int32_t* intValue, float* floatValue);

// Unsigned conversion whose base follows the prefix: "0x" hexadecimal, a
// leading "0" octal, else decimal; a leading '-' negates modulo 2^32 and a
// value beyond 32 bits gives 0xFFFFFFFF.
uint32_t IniParseUnsigned(const char* text);

// Truncation toward zero that stays defined for every float: NaN gives 0 and
// values beyond the 32-bit range saturate.
int32_t IniTruncateFloat(float value);

// A double narrowed to float, giving an infinity beyond the float range.
float IniNarrow(double value);

// White space of configuration lines: 0x09-0x0D and 0x20. These bytes never
// occur inside a double-byte character, so a byte test is multibyte-aware.
inline bool IniIsSpace(unsigned char c) { return c == 0x20 || (c >= 0x09 && c <= 0x0D); }
