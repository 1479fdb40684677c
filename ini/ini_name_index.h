// IniNameIndex: a hash index over the names of a CursorList's elements that
// answers a look-up by name exactly as the list's rotating search does (same
// element, same position afterwards), without walking the list. A document of
// thousands of sections thus costs no scan of the section list per header read
// or per look-up.
//
// The index is built on first use once the list is long enough to gain from it
// and kept up to date on appends; a removal or a renamed element makes it stale
// and the next look-up rebuilds it. Without memory for it, look-ups fall back
// to the rotating search itself.
#pragma once

#include "files/cursor_list.h"

#include <cstdint>

class IniNameIndex {
public:
    using NameOf = const char* (*)(const void* element);

    explicit IniNameIndex(NameOf nameOf) : m_nameOf(nameOf) {}
    ~IniNameIndex() { Release(); }
    IniNameIndex(const IniNameIndex&) = delete;
    IniNameIndex& operator=(const IniNameIndex&) = delete;

    // Look-up by name, letter case ignored: nothing found for an empty name or
    // an empty list (position unchanged); a hit leaves the position on the
    // element found first in rotating order from the position, a miss clears it.
    bool Find(CursorList& list, const char* name);

    // Call after every append to the list.
    void Appended(CursorList& list);
    // Call after a removal from the list or a change of an element's name.
    void Invalidate() { m_stale = true; }
    // Frees the index (it is rebuilt when needed).
    void Release();
    // The list is about to grow to about this many elements: the index, when
    // next built, is made big enough for them at once.
    void Expect(int32_t entries) { m_expected = entries; }

    // Lists shorter than this are searched directly.
    static constexpr int32_t kMinIndexed = 16;

private:
    struct Entry {
        CursorList::Node* node;  // null: free slot
        int32_t index;
        uint32_t hash;
    };

    bool Build(const CursorList& list);
    bool Grow();
    void Insert(CursorList::Node* node, int32_t index);

    NameOf m_nameOf;
    Entry* m_table = nullptr;
    uint32_t m_mask = 0;      // slot count - 1 (a power of two)
    int32_t m_entries = 0;
    bool m_stale = true;
    int32_t m_expected = 0;
};
