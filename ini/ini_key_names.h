// Bookkeeping of names while a file's sections and keys are read: the names
// that could not be stored, and a hash set of the keys of the section being
// read, so that a repeated name is found with one probe.
#pragma once

#include <cstddef>
#include <cstdint>

class IniSection;
struct IniKey;

// Names of entries that could not be stored while reading (no memory): a later
// entry of the same name is still a duplicate and is dropped, so a failure
// loses the entry but never lets another take its place. Up to kCapacity names
// are remembered; the names are texts of the pool.
struct IniLostNames {
    static const int kCapacity = 32;
    const char* names[kCapacity];
    int count = 0;
    void Add(const char* name);
    bool Has(const char* name) const;
};

// The names of the keys of the section being read. It answers as the
// section's own look-up does: the first key of that name and its position.
// Emptied for each section by Begin; without memory it is unusable and the
// section's look-up answers instead.
class IniKeyNames {
public:
    IniKeyNames() = default;
    ~IniKeyNames() { Release(); }
    IniKeyNames(const IniKeyNames&) = delete;
    IniKeyNames& operator=(const IniKeyNames&) = delete;

    void Begin();
    // The key named name (length bytes) in section, leaving the section's
    // position as its own look-up would; null when there is none.
    IniKey* Find(IniSection* section, const char* name, size_t length);
    // After a key was appended to section.
    void Added(IniSection* section);
    void Release();

    IniLostNames lost;  // keys of this section that could not be stored

private:
    struct Entry;
    static uint32_t QuickHash(const char* name, size_t length);
    bool Ready(IniSection* section);
    void Rebuild(IniSection* section);
    void Insert(void* node, int32_t index, uint32_t hash);

    Entry* m_slots = nullptr;
    uint32_t m_mask = 0;
    uint32_t m_generation = 1;
    int32_t m_entries = 0;
    uint32_t m_lastHash = 0;  // of the name last looked up: the key appended next
    bool m_broken = false;
};
