// NameIndex: a hash index over the names of a catalog's table that answers a
// rotating look-up without walking the table. It finds exactly the item the
// rotating search (PointerArray::Find) would find from the same start:
// the first match at or after the start, else the first match before it.
//
// Names are grouped by their bytes with letter case folded byte by byte,
// which is never finer than the case-insensitive comparison of the table, so
// every item the comparison accepts lies in the key's group; the caller's
// comparison then decides, item by item, in index order.
#pragma once

#include <cstdint>

class NameIndex {
public:
    using NameAt = const char* (*)(const void* table, int32_t index);

    NameIndex() = default;
    ~NameIndex() { Free(); }
    NameIndex(const NameIndex&) = delete;
    NameIndex& operator=(const NameIndex&) = delete;

    // Indexes count names; false (and no index) when memory runs out.
    bool Build(const void* table, int32_t count, NameAt nameAt);
    void Free();
    bool IsBuilt() const { return m_slots != nullptr; }

    // The index the rotating search from start would stop at, or -1.
    // matches(index) is the table's own comparison with the key.
    template <class Match>
    int32_t Find(const char* key, int32_t start, Match matches) const {
        int32_t item = FindGroup(key);
        int32_t first = -1;
        for (; item >= 0; item = m_next[item]) {
            if (!matches(item)) continue;
            if (item >= start) return item;
            if (first < 0) first = item;
        }
        return first;
    }

private:
    // The first (lowest) index of the key's group, or -1.
    int32_t FindGroup(const char* key) const;

    const void* m_table = nullptr;
    NameAt m_nameAt = nullptr;
    int32_t* m_slots = nullptr;   // group heads by hash, -1 for empty
    uint32_t m_mask = 0;
    uint32_t* m_hashes = nullptr; // per item
    int32_t* m_next = nullptr;    // next item of the same group, ascending; -1 ends
    int32_t* m_tail = nullptr;    // last item of the group (valid for heads)
};
