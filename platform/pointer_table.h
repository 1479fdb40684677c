// PointerTable: an open-addressing table of live block pointers with their
// sizes. It is built from calloc and never from the allocation operators, since
// it serves the heaps those operators may be routed to. It has no lock: its
// owner serialises access. Its storage is given back by Release() (or by
// Compact() once empty), never by a destructor, so that a table living in
// static storage still answers frees that come late in process exit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace plat {

class PointerTable {
public:
    PointerTable() = default;
    PointerTable(const PointerTable&) = delete;
    PointerTable& operator=(const PointerTable&) = delete;

    // False when the table cannot grow (the block is then not recorded).
    bool Insert(void* block, size_t size) {
        if ((m_used + 1) * 4 >= m_capacity * 3 && !Rehash()) return false;
        size_t i = Hash(block);
        while (m_slots[i].block && m_slots[i].block != Tombstone()) i = (i + 1) & (m_capacity - 1);
        if (!m_slots[i].block) ++m_used;
        m_slots[i].block = block;
        m_slots[i].size = size;
        ++m_live;
        return true;
    }

    // False when the block is not in the table.
    bool Remove(const void* block) {
        Slot* slot = Find(block);
        if (!slot) return false;
        slot->block = Tombstone();
        --m_live;
        return true;
    }

    bool Contains(const void* block) const { return Find(block) != nullptr; }
    size_t SizeOf(const void* block) const {
        const Slot* slot = Find(block);
        return slot ? slot->size : 0;
    }
    size_t Count() const { return m_live; }

    // Calls visit(block) for every live block.
    template <class Visit>
    void ForEach(Visit visit) const {
        for (size_t i = 0; i < m_capacity; ++i) {
            if (m_slots[i].block && m_slots[i].block != Tombstone()) visit(m_slots[i].block);
        }
    }

    // Drops the tombstones; gives the storage back when the table is empty.
    void Compact() {
        if (m_live == 0)
            Release();
        else
            Rehash();
    }

    // Forgets every block and gives the storage back.
    void Release() {
        free(m_slots);
        m_slots = nullptr;
        m_capacity = m_used = m_live = 0;
    }

private:
    struct Slot {
        void* block;  // null: empty; Tombstone(): removed
        size_t size;
    };

    static void* Tombstone() { return reinterpret_cast<void*>(uintptr_t(1)); }

    size_t Hash(const void* block) const { return HashWith(block, m_capacity); }

    Slot* Find(const void* block) const {
        if (!m_slots || !block) return nullptr;
        size_t i = Hash(block);
        for (size_t n = 0; n < m_capacity; ++n, i = (i + 1) & (m_capacity - 1)) {
            if (!m_slots[i].block) return nullptr;
            if (m_slots[i].block == block) return &m_slots[i];
        }
        return nullptr;
    }

    // Rebuilds the table with room for twice the live blocks (64 at least).
    bool Rehash() {
        size_t capacity = 64;
        while ((m_live + 1) * 2 >= capacity) capacity *= 2;
        Slot* slots = static_cast<Slot*>(calloc(capacity, sizeof(Slot)));
        if (!slots) return false;
        for (size_t j = 0; j < m_capacity; ++j) {
            void* block = m_slots[j].block;
            if (!block || block == Tombstone()) continue;
            size_t i = HashWith(block, capacity);
            while (slots[i].block) i = (i + 1) & (capacity - 1);
            slots[i] = m_slots[j];
        }
        free(m_slots);
        m_slots = slots;
        m_capacity = capacity;
        m_used = m_live;
        return true;
    }

    static size_t HashWith(const void* block, size_t capacity) {
        uint64_t x = reinterpret_cast<uintptr_t>(block);
        x ^= x >> 33;
        x *= 0xff51afd7ed558ccdULL;
        x ^= x >> 33;
        return static_cast<size_t>(x) & (capacity - 1);
    }

    Slot* m_slots = nullptr;
    size_t m_capacity = 0;  // a power of two
    size_t m_used = 0;      // live blocks and tombstones
    size_t m_live = 0;
};

}  // namespace plat
