// PointerArray: a growable array of element pointers with a cursor, used by
// the catalogs and the communication menu. Storage comes from the service
// access layer; the array never frees the elements.
#pragma once

#include "files/rotating_find.h"

#include <cstdint>

class PointerArray {
public:
    // Capacities stay below this many slots.
    static const int32_t kLimit = 65535;

    PointerArray() = default;
    ~PointerArray() { Free(); }
    PointerArray(const PointerArray&) = delete;
    PointerArray& operator=(const PointerArray&) = delete;

    // Allocates exactly n slots and fixes the capacity. n must be below 65535;
    // otherwise (or when the allocation fails) the array keeps no storage.
    bool Reserve(int32_t n);

    // Stores at index Count() and moves the cursor there. Without storage the
    // array first allocates 8 slots; when full it doubles, unless it is fixed or
    // the doubled capacity would reach 65535, and then the append fails.
    bool Append(void* item);

    // Frees the slots (not the elements); count, capacity 0, cursor -1, not fixed.
    void Free();

    int32_t Count() const { return m_count; }
    int32_t Capacity() const { return m_capacity; }
    bool IsFixed() const { return m_fixed; }
    int32_t Cursor() const { return m_cursor; }
    void SetCursor(int32_t index) { m_cursor = (index >= 0 && index < m_count) ? index : -1; }
    void* At(int32_t index) const { return (index >= 0 && index < m_count) ? m_items[index] : nullptr; }
    void* Current() const { return At(m_cursor); }

    // The rotating look-up: nothing for an empty array or an empty key (the
    // cursor is left alone); otherwise from the cursor (0 when none) to the end,
    // then from 0 up to the start. A hit moves the cursor there; a miss sets it
    // to -1. Null items are skipped.
    template <class Match>
    bool Find(bool keyIsEmpty, Match match) {
        if (m_count == 0 || keyIsEmpty) return false;
        Walker<Match> walker{this, 0, match};
        int found = RotatingFind(walker, m_count, m_cursor < 0 ? 0 : m_cursor);
        m_cursor = found;
        return found >= 0;
    }

private:
    template <class Match>
    struct Walker {
        PointerArray* array;
        int index;
        Match& match;
        void Seek(int i) { index = i; }
        void Next() { ++index; }
        bool Matches() { return array->m_items[index] && match(array->m_items[index]); }
    };

    bool Grow(int32_t capacity);

    void** m_items = nullptr;
    int32_t m_count = 0;
    int32_t m_capacity = 0;
    int32_t m_cursor = -1;
    bool m_fixed = false;
};
