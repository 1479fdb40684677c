// NameIndex: a hash index over the names of a catalog's table that answers a
// rotating look-up without walking the table. It finds exactly the item the
// rotating search of the table would find from the same start: the first
// match at or after the start, else the first match before it.
//
// Names are grouped by their bytes with ASCII letter case folded byte by byte,
// which is never finer than the case-insensitive comparison of the table
// (StringsEqual), so every item the comparison accepts lies in the key's group.
// A key without bytes of 0x80 and above is accepted by every item of its
// group; for any other key the comparison decides item by item.
//
// A group of one name, by far the common case, is answered from its slot and
// the name alone; only groups of repeated names keep a chain.
#pragma once

#include <cstdint>
#include <cstring>

// The ASCII letters of the eight bytes in word made capitals, all other bytes
// as they are (bytes of 0x80 and above are never letters).
inline uint64_t FoldWord(uint64_t word) {
    const uint64_t ones = 0x0101010101010101ull;
    const uint64_t low = word & (0x7F * ones);
    const uint64_t fromA = low + (0x80 - 'a') * ones;      // high bit set: byte >= 'a'
    const uint64_t pastZ = low + (0x80 - 'z' - 1) * ones;  // high bit set: byte > 'z'
    const uint64_t letters = fromA & ~pastZ & ~word & (0x80 * ones);
    return word - (letters >> 2);  // 0x80 >> 2 is the case bit 0x20
}

// The hash of length bytes of text with ASCII letter case folded. Equal for
// texts equal but for ASCII letter case; length 0 is allowed.
uint32_t FoldedHash(const char* text, size_t length);

class NameIndex {
public:
    using NameAt = const char* (*)(const void* table, int32_t index);

    NameIndex() = default;
    ~NameIndex() { Free(); }
    NameIndex(const NameIndex&) = delete;
    NameIndex& operator=(const NameIndex&) = delete;

    // Every name must be readable this many bytes past its zero byte.
    static const int kReadPast = 7;

    // Indexes count names (nameAt null for none); false (and no index) when
    // memory runs out. The table and its names must outlive the index.
    bool Build(const void* table, int32_t count, NameAt nameAt);
    void Free();
    bool IsBuilt() const { return m_slots != nullptr; }

    // The index the rotating search from start would stop at, or -1.
    int32_t Find(const char* key, int32_t start) const;

private:
    struct Slot {
        uint32_t hash;
        int32_t head;  // lowest item of the group (with kChained), -1 for an empty slot
    };
    static const int32_t kChained = 0x40000000;  // the group has more items: see m_next

    const Slot* FindSlot(const char* key, size_t length, uint32_t hash) const;

    const void* m_table = nullptr;
    NameAt m_nameAt = nullptr;
    Slot* m_slots = nullptr;
    uint32_t m_mask = 0;
    // Written for items of repeated names only: the next item of the group in
    // ascending order (-1 ends), and for a group's head its last item.
    int32_t* m_next = nullptr;
    int32_t* m_tail = nullptr;
};
