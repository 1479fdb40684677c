// NameIndex: open addressing over the folded names' hashes, linear probing,
// at most half the slots in use.
#include "files/catalog_index.h"

#include "files/strings.h"
#include "shell_base/shell_memory.h"

#include <cstring>

namespace {

const uint64_t kHighBits = 0x8080808080808080ull;
const char kNoName[NameIndex::kReadPast + 1] = {};

inline uint64_t LoadWord(const char* text) {
    uint64_t word;
    memcpy(&word, text, 8);
    return word;
}

inline uint64_t LoadByte(const char* text, size_t at) { return static_cast<unsigned char>(text[at]); }

// length (1 to 7) bytes of a text as one word, the rest zero, without reading
// past them: two overlapping 4-byte loads, or for up to 3 bytes the first,
// middle and last byte (with the length in the hash these tell the text).
inline uint64_t LoadTail(const char* text, size_t length) {
    if (length >= 4) {
        uint32_t low, high;
        memcpy(&low, text, 4);
        memcpy(&high, text + length - 4, 4);
        return low | static_cast<uint64_t>(high) << (8 * (length - 4));
    }
    return LoadByte(text, 0) | LoadByte(text, length / 2) << 8 | LoadByte(text, length - 1) << 16;
}

// name equals the length bytes of key but for ASCII letter case, and ends
// there. A name shorter than key differs in the word that holds its zero
// byte (key has none), so name is read at most kReadPast bytes past its end.
bool FoldedEqual(const char* name, const char* key, size_t length) {
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        if (FoldWord(LoadWord(name + i)) != FoldWord(LoadWord(key + i))) return false;
    }
    for (; i < length; ++i) {
        const unsigned char a = static_cast<unsigned char>(name[i]);
        const unsigned char b = static_cast<unsigned char>(key[i]);
        if (a != b && FoldWord(a) != FoldWord(b)) return false;  // also where name ends first
    }
    return name[length] == 0;
}

inline uint64_t Mix(uint64_t hash, uint64_t folded) {
    hash = (hash ^ folded) * 0xFF51AFD7ED558CCDull;
    return hash ^ (hash >> 29);
}

// FoldedHash, and in *high whether any byte is 0x80 or above.
uint32_t HashText(const char* text, size_t length, bool* high) {
    uint64_t hash = 0x9E3779B97F4A7C15ull ^ length;
    uint64_t bits = 0;
    for (; length >= 8; text += 8, length -= 8) {
        const uint64_t word = LoadWord(text);
        bits |= word;
        hash = Mix(hash, FoldWord(word));
    }
    if (length) {
        const uint64_t word = LoadTail(text, length);
        bits |= word;
        hash = Mix(hash, FoldWord(word));
    }
    *high = (bits & kHighBits) != 0;
    hash *= 0xC4CEB9FE1A85EC53ull;
    return static_cast<uint32_t>(hash ^ (hash >> 32));
}

template <class T>
T* AllocArray(uint32_t count) {
    return static_cast<T*>(ShellAlloc(sizeof(T) * count));
}

}  // namespace

uint32_t FoldedHash(const char* text, size_t length) {
    bool high;
    return HashText(text, length, &high);
}

bool NameIndex::Build(const void* table, int32_t count, NameAt nameAt) {
    Free();
    if (!nameAt || count < 0 || count >= kChained) return false;
    uint32_t size = 8;
    while (size < static_cast<uint32_t>(count) * 2) size *= 2;
    uint32_t items = count ? static_cast<uint32_t>(count) : 1;
    m_slots = AllocArray<Slot>(size);
    m_next = AllocArray<int32_t>(items);
    m_tail = AllocArray<int32_t>(items);
    if (!m_slots || !m_next || !m_tail) {
        Free();
        return false;
    }
    m_table = table;
    m_nameAt = nameAt;
    m_mask = size - 1;
    memset(m_slots, 0xFF, sizeof(Slot) * size);  // every head -1
    for (int32_t i = 0; i < count; ++i) {
        const char* name = nameAt(table, i);
        if (!name) name = kNoName;
        const size_t length = strlen(name);
        const uint32_t hash = FoldedHash(name, length);
        for (uint32_t at = hash & m_mask;; at = (at + 1) & m_mask) {
            Slot& slot = m_slots[at];
            if (slot.head < 0) {
                slot.hash = hash;
                slot.head = i;
                break;
            }
            const int32_t head = slot.head & ~kChained;
            if (slot.hash == hash && FoldedEqual(nameAt(table, head), name, length)) {
                if (!(slot.head & kChained)) {
                    slot.head |= kChained;
                    m_tail[head] = head;
                }
                m_next[m_tail[head]] = i;  // items arrive in ascending order
                m_next[i] = -1;
                m_tail[head] = i;
                break;
            }
        }
    }
    return true;
}

void NameIndex::Free() {
    if (m_slots) ShellFree(m_slots);
    if (m_next) ShellFree(m_next);
    if (m_tail) ShellFree(m_tail);
    m_slots = nullptr;
    m_next = nullptr;
    m_tail = nullptr;
    m_table = nullptr;
    m_nameAt = nullptr;
    m_mask = 0;
}

const NameIndex::Slot* NameIndex::FindSlot(const char* key, size_t length, uint32_t hash) const {
    for (uint32_t at = hash & m_mask;; at = (at + 1) & m_mask) {
        const Slot& slot = m_slots[at];
        if (slot.head < 0) return nullptr;
        if (slot.hash == hash) {
            const char* name = m_nameAt(m_table, slot.head & ~kChained);
            if (FoldedEqual(name ? name : kNoName, key, length)) return &slot;
        }
    }
}

int32_t NameIndex::Find(const char* key, int32_t start) const {
    if (!m_slots || !key) return -1;
    const size_t length = strlen(key);
    // Bytes of 0x80 and above may begin double-byte characters (lead bytes
    // are never ASCII in any code page), which the table's comparison takes
    // whole: then it decides for every item.
    bool exact;
    const Slot* slot = FindSlot(key, length, HashText(key, length, &exact));
    if (!slot) return -1;
    auto matches = [&](int32_t item) {
        if (!exact) return true;
        const char* name = m_nameAt(m_table, item);
        return StringsEqual(name ? name : "", key, false);
    };
    const int32_t head = slot->head & ~kChained;
    if (!(slot->head & kChained)) return matches(head) ? head : -1;
    int32_t first = -1;
    for (int32_t item = head; item >= 0; item = m_next[item]) {
        if (!matches(item)) continue;
        if (item >= start) return item;
        if (first < 0) first = item;
    }
    return first;
}
