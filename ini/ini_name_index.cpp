#include "ini/ini_name_index.h"

#include "files/strings.h"
#include "ini/ini_text.h"
#include "shell_base/shell_memory.h"

#include <climits>
#include <cstring>

void IniNameIndex::Release() {
    if (m_table) ShellFree(m_table);
    m_table = nullptr;
    m_mask = 0;
    m_entries = 0;
    m_stale = true;
}

void IniNameIndex::Insert(CursorList::Node* node, int32_t index) {
    const uint32_t hash = IniNameHash(m_nameOf(node->element));
    uint32_t slot = hash & m_mask;
    while (m_table[slot].node) slot = (slot + 1) & m_mask;
    m_table[slot].node = node;
    m_table[slot].index = index;
    m_table[slot].hash = hash;
    ++m_entries;
}

bool IniNameIndex::Build(const CursorList& list) {
    Release();
    // At most half of the slots in use keeps the probe runs short.
    uint32_t slots = 32;
    const int32_t entries = list.Count() > m_expected ? list.Count() : m_expected;
    while (slots < static_cast<uint32_t>(entries) * 2u + 2u) {
        if (slots >= (1u << 30)) return false;
        slots *= 2;
    }
    m_table = static_cast<Entry*>(ShellAlloc(sizeof(Entry) * slots));
    if (!m_table) return false;
    memset(m_table, 0, sizeof(Entry) * slots);
    m_mask = slots - 1;
    int32_t index = 0;
    for (CursorList::Node* node = list.HeadNode(); node; node = node->next, ++index) {
        if (node->element)
            Insert(node, index);
        else
            ++m_entries;  // never found, but counted like the list does
    }
    m_stale = false;
    return true;
}

// Twice the slots, the entries moved over with the hashes they have.
bool IniNameIndex::Grow() {
    const uint32_t slots = (m_mask + 1) * 2;
    if (slots == 0 || slots > (1u << 30)) return false;
    Entry* table = static_cast<Entry*>(ShellAlloc(sizeof(Entry) * slots));
    if (!table) return false;
    memset(table, 0, sizeof(Entry) * slots);
    Entry* old = m_table;
    const uint32_t oldSlots = m_mask + 1;
    m_table = table;
    m_mask = slots - 1;
    for (uint32_t i = 0; i < oldSlots; ++i) {
        if (!old[i].node) continue;
        uint32_t slot = old[i].hash & m_mask;
        while (m_table[slot].node) slot = (slot + 1) & m_mask;
        m_table[slot] = old[i];
    }
    ShellFree(old);
    return true;
}

void IniNameIndex::Appended(CursorList& list) {
    if (!m_table || m_stale) return;  // built when next needed
    CursorList::Node* tail = list.TailNode();
    if (!tail || !tail->element) {
        m_stale = true;
        return;
    }
    if (static_cast<uint32_t>(m_entries + 1) * 2u > m_mask + 1 && !Grow()) {
        Release();  // built again when next needed
        return;
    }
    Insert(tail, list.Count() - 1);
}

bool IniNameIndex::Find(CursorList& list, const char* name) {
    const int32_t count = list.Count();
    if (count == 0 || IsEmptyString(name)) return false;
    // An index that missed an append or a removal is rebuilt.
    if (m_table && !m_stale && m_entries != count) m_stale = true;
    if (count < kMinIndexed || ((!m_table || m_stale) && !Build(list))) {
        NameOf nameOf = m_nameOf;
        return list.Find(false, [nameOf, name](void* element) { return IniNamesEqual(nameOf(element), name); });
    }

    int32_t start = list.CurrentIndex();
    if (start < 0 || start >= count) start = 0;
    const uint32_t hash = IniNameHash(name);
    const Entry* best = nullptr;
    int32_t bestOrder = INT32_MAX;
    for (uint32_t slot = hash & m_mask; m_table[slot].node; slot = (slot + 1) & m_mask) {
        const Entry& entry = m_table[slot];
        if (entry.hash != hash || !IniNamesEqual(m_nameOf(entry.node->element), name)) continue;
        // Rotating order: from the start to the end, then from the head.
        const int32_t order = entry.index >= start ? entry.index - start : entry.index + (count - start);
        if (order < bestOrder) {
            bestOrder = order;
            best = &entry;
        }
    }
    if (!best) {
        list.SetPosition(nullptr, -1);
        return false;
    }
    list.SetPosition(best->node, best->index);
    return true;
}
