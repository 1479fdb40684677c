#include "ini/ini_key_names.h"

#include "files/strings.h"
#include "ini/ini_file.h"
#include "ini/ini_text.h"
#include "shell_base/shell_memory.h"

#include <cstring>

void IniLostNames::Add(const char* name) {
    if (count < kCapacity && !IsEmptyString(name)) names[count++] = name;
}

bool IniLostNames::Has(const char* name) const {
    if (IsEmptyString(name)) return false;
    for (int i = 0; i < count; ++i) {
        if (IniNamesEqual(names[i], name)) return true;
    }
    return false;
}

struct IniKeyNames::Entry {
    CursorList::Node* node;
    int32_t index;
    uint32_t hash;
    uint32_t generation;
};

void IniKeyNames::Release() {
    if (m_slots) ShellFree(m_slots);
    m_slots = nullptr;
    m_mask = 0;
    m_generation = 1;
    m_entries = 0;
}

void IniKeyNames::Begin() {
    // Slots of older generations count as free; a generation count that wraps
    // around starts over from a cleared table.
    if (++m_generation == 0) {
        if (m_slots) memset(m_slots, 0, sizeof(Entry) * (m_mask + 1));
        m_generation = 1;
    }
    m_entries = 0;
    m_broken = false;
    lost.count = 0;
}

// A section holds few keys: the length and a few letters (without case)
// tell most names apart, and equal names always agree on them.
uint32_t IniKeyNames::QuickHash(const char* name, size_t length) {
    auto fold = [](char c) {
        unsigned byte = static_cast<unsigned char>(c);
        return byte - ((byte - 'a' < 26u) << 5);
    };
    uint32_t hash = static_cast<uint32_t>(length) * 0x9E3779B1u;
    if (length) {
        hash ^= fold(name[0]) ^ fold(name[length - 1]) << 8 ^ fold(name[length / 2]) << 16 ^
                fold(name[length > 1 ? length - 2 : 0]) << 24;
    }
    hash ^= hash >> 15;
    hash *= 0x2c1b3c6du;
    hash ^= hash >> 12;
    return hash;
}

IniKey* IniKeyNames::Find(IniSection* section, const char* name, size_t length) {
    if (!Ready(section)) return section->FindKey(name);
    if (length == 0) return nullptr;
    const uint32_t hash = QuickHash(name, length);
    m_lastHash = hash;
    CursorList& keys = section->Keys();
    for (uint32_t slot = hash & m_mask; m_slots[slot].generation == m_generation; slot = (slot + 1) & m_mask) {
        const Entry& entry = m_slots[slot];
        IniKey* key = static_cast<IniKey*>(entry.node->element);
        if (entry.hash == hash && IniNamesEqual(key->name, name)) {
            keys.SetPosition(entry.node, entry.index);
            return key;
        }
    }
    keys.SetPosition(nullptr, -1);
    return nullptr;
}

void IniKeyNames::Added(IniSection* section) {
    CursorList& keys = section->Keys();
    const int32_t count = keys.Count();
    if (m_broken || !m_slots || m_entries != count - 1) {
        m_broken = true;
        return;
    }
    if (static_cast<uint32_t>(count) * 2u > m_mask + 1)
        Rebuild(section);
    else
        Insert(keys.TailNode(), count - 1, m_lastHash);
}

// The set holds exactly the keys of section.
bool IniKeyNames::Ready(IniSection* section) {
    if (!m_broken && !m_slots) Rebuild(section);
    if (!m_broken && m_entries != section->Keys().Count()) m_broken = true;
    return !m_broken;
}

void IniKeyNames::Rebuild(IniSection* section) {
    CursorList& keys = section->Keys();
    const int32_t count = keys.Count();
    uint32_t slots = m_slots ? m_mask + 1 : 64;
    while (slots < static_cast<uint32_t>(count) * 4u) slots *= 2;
    if (!m_slots || slots != m_mask + 1) {
        Entry* table = static_cast<Entry*>(ShellAlloc(sizeof(Entry) * slots));
        if (!table) {
            m_broken = true;
            return;
        }
        if (m_slots) ShellFree(m_slots);
        m_slots = table;
        m_mask = slots - 1;
    }
    memset(m_slots, 0, sizeof(Entry) * (m_mask + 1));
    m_generation = 1;
    m_entries = 0;
    int32_t index = 0;
    for (CursorList::Node* node = keys.HeadNode(); node; node = node->next) {
        const char* name = static_cast<const IniKey*>(node->element)->name;
        Insert(node, index++, QuickHash(name, strlen(name)));
    }
}

void IniKeyNames::Insert(void* node, int32_t index, uint32_t hash) {
    uint32_t slot = hash & m_mask;
    while (m_slots[slot].generation == m_generation) slot = (slot + 1) & m_mask;
    m_slots[slot] = {static_cast<CursorList::Node*>(node), index, hash, m_generation};
    ++m_entries;
}
