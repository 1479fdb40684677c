// Bounded, multibyte-aware string helpers. Every function accepts null where
// a text is expected and then does nothing or reports empty. Sizes are buffer
// sizes in bytes, terminator included.
#pragma once

#include <cstddef>

bool IsEmptyString(const char* text);
char* ClearString(char* text);
char* DuplicateString(const char* text);  // through ShellAlloc; null for null
void FreeString(char** text);              // through ShellFree; sets *text to null
bool StringsEqual(const char* a, const char* b, bool caseSensitive);
bool StringsEqualN(const char* a, const char* b, int n, bool caseSensitive);
char* CopyString(char* destination, const char* source, int size);
char* AppendString(char* destination, const char* source, int size);
void TerminateString(char* buffer, int size);
char* CutAt(char* position);
char* ToUpperString(char* text);
char* ToLowerString(char* text);
char* TrimLeft(char* text);
char* TrimRight(char* text);
char* TrimString(char* text);

// Multibyte-aware searches: the position of the first / last character equal to
// the single-byte character c (never the trail byte of a double-byte character),
// or null. Null text gives null.
const char* FindChar(const char* text, char c);
char* FindChar(char* text, char c);
const char* FindLastChar(const char* text, char c);
char* FindLastChar(char* text, char c);
