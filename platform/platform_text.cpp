// Multibyte text helpers shared by both backends; only the lead-byte table
// differs between them.
#include "platform.h"

namespace plat {

const char* NextChar(const char* text) {
    if (!text || !*text) return text;
    if (IsLeadByte(static_cast<unsigned char>(*text)) && text[1]) return text + 2;
    return text + 1;
}

// Letter case is changed for ASCII letters only, so that a name converted on
// one target compares equal to the same name converted on the other.
int UpperChar(unsigned char byte) { return (byte >= 'a' && byte <= 'z') ? byte - 32 : byte; }
int LowerChar(unsigned char byte) { return (byte >= 'A' && byte <= 'Z') ? byte + 32 : byte; }

static void MapSingleBytes(char* text, int (*map)(unsigned char)) {
    if (!text) return;
    while (*text) {
        char* next = const_cast<char*>(NextChar(text));
        if (next == text + 1) *text = static_cast<char>(map(static_cast<unsigned char>(*text)));
        text = next;
    }
}

void UpperInPlace(char* text) { MapSingleBytes(text, UpperChar); }
void LowerInPlace(char* text) { MapSingleBytes(text, LowerChar); }

bool IsSpace(unsigned char byte) { return byte == 0x20 || (byte >= 0x09 && byte <= 0x0D); }

}  // namespace plat
