// NameIndex: open addressing over the folded names' hashes, linear probing,
// at most half the slots in use.
#include "files/catalog_index.h"

#include "files/strings.h"
#include "shell/shell_memory.h"

#include <cstring>

namespace {

inline unsigned char FoldByte(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

// name equals the length bytes of key but for ASCII letter case, and ends there.
bool FoldedEqual(const char* name, const char* key, size_t length) {
    const unsigned char* x = reinterpret_cast<const unsigned char*>(name);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(key);
    for (size_t i = 0; i < length; ++i) {
        if (FoldByte(x[i]) != FoldByte(y[i])) return false;  // also where name ends first
    }
    return x[length] == 0;
}

bool HasHighByte(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) return true;
    }
    return false;
}

inline uint64_t Mix(uint64_t hash, uint64_t word) {
    hash = (hash ^ FoldWord(word)) * 0xFF51AFD7ED558CCDull;
    return hash ^ (hash >> 29);
}

template <class T>
T* AllocArray(uint32_t count) {
    return static_cast<T*>(ShellAlloc(sizeof(T) * count));
}

}  // namespace

uint32_t FoldedHash(const char* text, size_t length) {
    uint64_t hash = 0x9E3779B97F4A7C15ull ^ length;
    for (; length >= 8; text += 8, length -= 8) {
        uint64_t word;
        memcpy(&word, text, 8);
        hash = Mix(hash, word);
    }
    if (length) {
        uint64_t word = 0;
        memcpy(&word, text, length);
        hash = Mix(hash, word);
    }
    hash *= 0xC4CEB9FE1A85EC53ull;
    return static_cast<uint32_t>(hash ^ (hash >> 32));
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
        if (!name) name = "";
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
            if (FoldedEqual(name ? name : "", key, length)) return &slot;
        }
    }
}

int32_t NameIndex::Find(const char* key, int32_t start) const {
    if (!m_slots || !key) return -1;
    const size_t length = strlen(key);
    const Slot* slot = FindSlot(key, length, FoldedHash(key, length));
    if (!slot) return -1;
    // Bytes of 0x80 and above may begin double-byte characters (lead bytes
    // are never ASCII in any code page), which the table's comparison takes
    // whole: then it decides for every item.
    const bool exact = HasHighByte(key, length);
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
