#include "files/catalog_index.h"

#include "platform/platform.h"
#include "shell/shell_memory.h"

namespace {

uint32_t FoldedHash(const char* text) {
    uint32_t hash = 2166136261u;  // FNV-1a over the case-folded bytes
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        hash ^= static_cast<uint32_t>(plat::UpperChar(*p));
        hash *= 16777619u;
    }
    return hash;
}

bool FoldedEqual(const char* a, const char* b) {
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
    for (; *x && *y; ++x, ++y) {
        if (plat::UpperChar(*x) != plat::UpperChar(*y)) return false;
    }
    return *x == *y;
}

template <class T>
T* AllocArray(uint32_t count) {
    return static_cast<T*>(ShellAlloc(sizeof(T) * count));
}

}  // namespace

bool NameIndex::Build(const void* table, int32_t count, NameAt nameAt) {
    Free();
    if (!nameAt || count < 0) return false;
    uint32_t size = 8;
    while (size < static_cast<uint32_t>(count) * 2) size *= 2;
    uint32_t items = count ? static_cast<uint32_t>(count) : 1;
    m_slots = AllocArray<int32_t>(size);
    m_hashes = AllocArray<uint32_t>(items);
    m_next = AllocArray<int32_t>(items);
    m_tail = AllocArray<int32_t>(items);
    if (!m_slots || !m_hashes || !m_next || !m_tail) {
        Free();
        return false;
    }
    m_table = table;
    m_nameAt = nameAt;
    m_mask = size - 1;
    for (uint32_t i = 0; i < size; ++i) m_slots[i] = -1;
    for (int32_t i = 0; i < count; ++i) {
        const char* name = nameAt(table, i);
        if (!name) name = "";
        uint32_t hash = FoldedHash(name);
        m_hashes[i] = hash;
        m_next[i] = -1;
        for (uint32_t slot = hash & m_mask;; slot = (slot + 1) & m_mask) {
            int32_t head = m_slots[slot];
            if (head < 0) {
                m_slots[slot] = i;
                m_tail[i] = i;
                break;
            }
            if (m_hashes[head] == hash && FoldedEqual(nameAt(table, head), name)) {
                m_next[m_tail[head]] = i;  // items arrive in ascending order
                m_tail[head] = i;
                break;
            }
        }
    }
    return true;
}

void NameIndex::Free() {
    if (m_slots) ShellFree(m_slots);
    if (m_hashes) ShellFree(m_hashes);
    if (m_next) ShellFree(m_next);
    if (m_tail) ShellFree(m_tail);
    m_slots = nullptr;
    m_hashes = nullptr;
    m_next = nullptr;
    m_tail = nullptr;
    m_table = nullptr;
    m_nameAt = nullptr;
    m_mask = 0;
}

int32_t NameIndex::FindGroup(const char* key) const {
    if (!m_slots || !key) return -1;
    uint32_t hash = FoldedHash(key);
    for (uint32_t slot = hash & m_mask;; slot = (slot + 1) & m_mask) {
        int32_t head = m_slots[slot];
        if (head < 0) return -1;
        const char* name = m_nameAt(m_table, head);
        if (m_hashes[head] == hash && FoldedEqual(name ? name : "", key)) return head;
    }
}
