// Bounded, multibyte-aware string helpers. Scanning walks character by
// character (plat::NextChar) so that the trail byte of a double-byte character
// is never taken for a separator, and a bounded copy never keeps half of one.
#include "files/strings.h"

#include "platform/platform.h"
#include "shell_base/shell_memory.h"

#include <cstring>

namespace {

// Length of the longest prefix of text, at most limit bytes, that ends on a
// character boundary. Bytes after limit are not read unless text ends earlier.
size_t BoundedPrefix(const char* text, size_t limit) {
    size_t length = 0;
    while (length < limit && text[length]) ++length;
    if (length < limit || !text[length]) return length;  // nothing was cut
    // The text goes on past the limit: back off a double-byte character cut in half.
    const char* p = text;
    const char* end = text + length;
    while (p < end) {
        const char* next = plat::NextChar(p);
        if (next > end) return static_cast<size_t>(p - text);
        p = next;
    }
    return length;
}

// Compares at most limit bytes of two non-empty texts. Single-byte characters
// may ignore letter case; double-byte characters compare byte for byte.
bool EqualPrefix(const char* a, const char* b, size_t limit, bool caseSensitive) {
    for (size_t i = 0; i < limit;) {
        const unsigned char ca = static_cast<unsigned char>(a[i]);
        const unsigned char cb = static_cast<unsigned char>(b[i]);
        if (!ca || !cb) return ca == cb;
        const size_t lengthA = static_cast<size_t>(plat::NextChar(a + i) - (a + i));
        const size_t lengthB = static_cast<size_t>(plat::NextChar(b + i) - (b + i));
        if (lengthA == 1 && lengthB == 1) {
            if (caseSensitive ? ca != cb : plat::UpperChar(ca) != plat::UpperChar(cb)) return false;
            ++i;
            continue;
        }
        size_t span = lengthA > lengthB ? lengthA : lengthB;
        if (span > limit - i) span = limit - i;
        if (memcmp(a + i, b + i, span) != 0) return false;
        i += span;
    }
    return true;
}

}  // namespace

bool IsEmptyString(const char* text) { return !text || !*text; }

char* ClearString(char* text) {
    if (text) *text = 0;
    return text;
}

char* DuplicateString(const char* text) {
    if (!text) return nullptr;
    size_t length = strlen(text);
    char* copy = static_cast<char*>(ShellAlloc(length + 1));
    if (copy) memcpy(copy, text, length + 1);
    return copy;
}

void FreeString(char** text) {
    if (!text || !*text) return;
    ShellFree(*text);
    *text = nullptr;
}

bool StringsEqual(const char* a, const char* b, bool caseSensitive) {
    if (IsEmptyString(a) || IsEmptyString(b)) return IsEmptyString(a) == IsEmptyString(b);
    return EqualPrefix(a, b, static_cast<size_t>(-1), caseSensitive);
}

bool StringsEqualN(const char* a, const char* b, int n, bool caseSensitive) {
    if (n <= 0) return false;
    if (IsEmptyString(a) || IsEmptyString(b)) return IsEmptyString(a) == IsEmptyString(b);
    return EqualPrefix(a, b, static_cast<size_t>(n), caseSensitive);
}

char* CopyString(char* destination, const char* source, int size) {
    if (!destination || size <= 0) return destination;
    size_t length = source ? BoundedPrefix(source, static_cast<size_t>(size) - 1) : 0;
    if (length) memmove(destination, source, length);
    destination[length] = 0;
    destination[size - 1] = 0;
    return destination;
}

char* AppendString(char* destination, const char* source, int size) {
    if (!destination || size <= 0) return destination;
    size_t used = 0;
    while (used < static_cast<size_t>(size) - 1 && destination[used]) ++used;
    if (!IsEmptyString(source)) {
        size_t length = BoundedPrefix(source, static_cast<size_t>(size) - 1 - used);
        memmove(destination + used, source, length);
        destination[used + length] = 0;
    }
    destination[size - 1] = 0;
    return destination;
}

void TerminateString(char* buffer, int size) {
    if (buffer && size > 0) buffer[size - 1] = 0;
}

char* CutAt(char* position) {
    if (!position || !*position) return position;
    char* next = const_cast<char*>(plat::NextChar(position));
    *position = 0;
    return next;
}

char* ToUpperString(char* text) {
    plat::UpperInPlace(text);
    return text;
}

char* ToLowerString(char* text) {
    plat::LowerInPlace(text);
    return text;
}

char* TrimLeft(char* text) {
    if (!text) return text;
    char* first = text;
    while (*first && plat::IsSpace(static_cast<unsigned char>(*first))) ++first;
    if (first != text) memmove(text, first, strlen(first) + 1);
    return text;
}

char* TrimRight(char* text) {
    if (!text) return text;
    // Walk forward so that only whole single-byte characters count as white space.
    char* keep = text;
    for (char* p = text; *p;) {
        char* next = const_cast<char*>(plat::NextChar(p));
        if (next - p != 1 || !plat::IsSpace(static_cast<unsigned char>(*p))) keep = next;
        p = next;
    }
    *keep = 0;
    return text;
}

char* TrimString(char* text) { return TrimLeft(TrimRight(text)); }

const char* FindChar(const char* text, char c) {
    if (!text) return nullptr;
    for (const char* p = text; *p; p = plat::NextChar(p)) {
        if (*p == c && plat::NextChar(p) - p == 1) return p;
    }
    return nullptr;
}

char* FindChar(char* text, char c) { return const_cast<char*>(FindChar(static_cast<const char*>(text), c)); }

const char* FindLastChar(const char* text, char c) {
    if (!text) return nullptr;
    const char* found = nullptr;
    for (const char* p = text; *p; p = plat::NextChar(p)) {
        if (*p == c && plat::NextChar(p) - p == 1) found = p;
    }
    return found;
}

char* FindLastChar(char* text, char c) {
    return const_cast<char*>(FindLastChar(static_cast<const char*>(text), c));
}
