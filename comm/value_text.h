// The text side shared by the value readers and writers: a key's text read
// into a buffer, split at its commas, numbers converted, values formatted back.
#pragma once

#include <cstdint>

class IniFile;

namespace valuetext {

// The key's text (empty when missing) in buffer, at most size - 1 characters.
void Read(IniFile& ini, const char* section, const char* key, char* buffer, int size);

// Fills fields with the start of the text and the position after each comma,
// at most max of them (multibyte-aware); the number found.
int Split(const char* text, const char** fields, int max);

// atoi, saturating at the 32-bit range; strtod. Both stop at the first
// character that cannot continue the number.
int32_t ParseInt(const char* text);
double ParseDouble(const char* text);
float ParseFloat(const char* text);

// Formats the value and stores it as the key's text; false when it cannot be stored.
bool Write(IniFile& ini, const char* section, const char* key, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 4, 5)))
#endif
    ;

}  // namespace valuetext
