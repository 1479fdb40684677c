// IniFile: an in-memory configuration document, an ordered list of named
// sections, each an ordered list of named keys with a typed value. The text of
// the file, of every included file and every name or string value stored later
// live in one StringPool whose capacity is fixed when the document is made.
//
// Files are read through the deliverable's file manager (so a document can come
// from the root directory or a catalog) and written directly to the file system.
// Look-ups compare names without letter case and move the lists' positions, so
// even reads must not run concurrently on one document.
#pragma once

#include "files/cursor_list.h"
#include "files/paths.h"
#include "files/string_pool.h"
#include "ini/ini_arena.h"
#include "ini/ini_key_names.h"
#include "ini/ini_name_index.h"

#include <cstddef>
#include <cstdint>

enum IniValueType { kIniString = 0, kIniInteger = 1, kIniFloat = 2 };

// A key: its three representations live side by side; the type says which one
// the writer prints. text null means an empty value.
struct IniKey {
    char* name;
    int type;
    char* text;
    int32_t intValue;
    float floatValue;
};

// Where a document keeps its keys, sections and list nodes, and what its
// sections need to read their key lines.
struct IniStore {
    IniStore();
    void Release();
    // A text of this many bytes is about to be read into the store.
    void Expect(size_t textBytes);
    // A key of string type with every representation empty (null when there
    // is no memory for it).
    IniKey* MakeKey(char* name);
    IniArena keys;
    IniArena sections;
    IniArena nodes;
    IniKeyNames names;               // of the section whose key lines are being read
    const char* documentPath = "";   // for the messages of reading key lines
};

// A section's key lines are made into keys the first time the section is
// looked into, not when the file is read: a big document costs only what is
// read of it. Everything below that touches the keys reads them first.
class IniSection {
public:
    // A section of the given name (a text the document keeps), kept in store;
    // null when there is no memory for it. Free gives it back with its keys.
    static IniSection* Make(IniStore* store, char* name);
    static void Free(IniSection* section);

    IniKey* FindKey(const char* key);
    bool HasKey(const char* key) { return FindKey(key) != nullptr; }
    int KeyCount() { return Keys().Count(); }
    void RewindKeys() { Keys().First(); }
    void NextKey() { Keys().Next(); }
    void CurrentKeyName(char* destination, int size);
    int CountNumberedKeys(const char* format);

    // Appends a key made by the section's document; false (and the key is
    // not taken) when there is no memory for its list node.
    bool AppendKey(IniKey* key);
    // Unlinks and frees the key at the list position.
    void DeleteCurrentKey();

    // The keys (of IniKey), in file order; change the list only through this
    // class.
    CursorList& Keys() {
        if (m_pendingBegin) ReadPendingKeys();
        return m_keys;
    }
    // The key lines of the text [begin, end) of the document's pool, to be
    // read when the section is first looked into.
    void SetPendingLines(char* begin, char* end);

    char* name;
    IniNameIndex keyIndex;
    IniStore* store;

private:
    IniSection(IniStore* sectionStore, char* sectionName);
    ~IniSection() = default;
    void ReadPendingKeys();

    CursorList m_keys;
    char* m_pendingBegin = nullptr;
    char* m_pendingEnd = nullptr;
};

class IniFile {
public:
    static const int kDefaultExtra = 61440;

    // Makes the document for name (default extension "INI") and, unless
    // doNotLoad is non-zero, loads it. The pool holds the file's size as the
    // file manager reports it, plus extra bytes, plus one.
    IniFile(const char* name, int writeBackDefaults, int doNotLoad, int extra);
    ~IniFile() { Destroy(); }
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // ---- Document ------------------------------------------------------------
    // Parses a file, read through the file manager, into the document,
    // appending to what is there; includes follow. False when the file cannot
    // be opened, is empty, or did not fit completely into the pool.
    bool Load(const char* path);
    bool Reload();   // Clear, then Load of the document's own path
    void Clear();    // every section and key gone, pool emptied (capacity kept)
    void Destroy();  // Clear, then the pool and the shared texts are freed

    bool HasSection(const char* section) { return FindSection(section) != nullptr; }
    bool HasKey(const char* section, const char* key) { return FindKey(section, key) != nullptr; }
    IniSection* FindSection(const char* section);
    IniKey* FindKey(const char* section, const char* key);
    void DeleteKey(const char* section, const char* key);
    void DeleteSection(const char* section);
    // Stores newName in the pool and makes it the section's name; the new name,
    // or null when the section is missing or the pool is full.
    char* RenameSection(const char* section, const char* newName);
    // A key of string type with every representation empty, kept by this
    // document (null when there is no memory for it); for AddKey.
    IniKey* MakeKey(char* name);
    void FreeKey(IniKey* key);
    // Appends a key made by MakeKey to the named section, making the section
    // first when it is missing. False for a null key or when memory or pool
    // run out; the key then stays the caller's to free.
    bool AddKey(const char* section, IniKey* key);
    int SetWriteBackDefaults(int flag);

    // ---- Typed access ---------------------------------------------------------
    // A getter that finds its key gives the key its own type; one that falls
    // back to its default stores it when writeBackDefaults is 1.
    int GetInt(const char* section, const char* key, int defaultValue);
    float GetFloat(const char* section, const char* key, float defaultValue);
    // Copies the value (or the default) into destination, at most size - 1
    // bytes; caseMode 0 none, 1 upper, 2 lower (not applied to a default).
    // With a null destination only answers whether the key exists. Non-zero
    // when the key was found.
    int GetString(const char* section, const char* key, const char* defaultValue, char* destination,
                  int size, int caseMode);
    int GetBool(const char* section, const char* key, int defaultValue);
    uint32_t GetHex(const char* section, const char* key, uint32_t defaultValue);

    bool SetInt(const char* section, const char* key, int value);
    bool SetFloat(const char* section, const char* key, float value);
    bool SetString(const char* section, const char* key, const char* value);
    bool SetBool(const char* section, const char* key, int value);
    bool SetHex(const char* section, const char* key, uint32_t value);

    // ---- Enumeration and counting -----------------------------------------
    int SectionCount() const { return m_sections.Count(); }
    void RewindSections() { m_sections.First(); }
    void NextSection() { m_sections.Next(); }
    void CurrentSectionName(char* destination, int size) const;
    int CurrentSectionIndex() const { return m_sections.CurrentIndex(); }
    IniSection* CurrentSection() const { return static_cast<IniSection*>(m_sections.Current()); }
    int KeyCount(const char* section);
    void RewindKeys(const char* section);
    void NextKey(const char* section);
    void CurrentKeyName(const char* section, char* destination, int size);
    // The largest n such that the names made by formatting 1..n (format takes
    // one integer) all exist; 0 when the first is missing.
    int CountNumberedSections(const char* format);
    int CountNumberedKeys(const char* section, const char* format);

    // ---- Writer -----------------------------------------------------------------
    // Writes the document as text to its path (to newPath, default extension
    // "INI", when given). The new text is written beside the file and replaces
    // it only once complete, so a failed save leaves the old file as it was.
    bool Save(const char* newPath = nullptr);
    // The text Save writes, handed to sink in runs of bytes; false when the
    // sink refused a run (nothing more is handed on).
    using TextSink = bool (*)(void* context, const char* bytes, size_t count);
    bool WriteText(TextSink sink, void* context);

    const char* Path() const { return m_path; }
    int NotLoaded() const { return m_notLoaded; }
    int WriteBackDefaults() const { return m_writeBackDefaults; }
    int PoolCapacity() const { return m_pool.Capacity(); }
    int PoolUsedBytes() const { return m_pool.UsedBytes(); }

private:
    struct LoadChain;
    bool LoadFile(const char* path, const LoadChain* chain);
    void ParseText(char* text, char* end, const char* limit, const char* path, CursorList& includes,
                   IniLostNames& lostSections);
    bool AppendSection(IniSection* section);
    IniSection* MakeSection(const char* name);
    char* StoreString(const char* text);
    IniKey* NewKeyWithName(const char* key, const char* message);
    void ClearSections();

    char m_path[kPathSize];
    CursorList m_sections;  // of IniSection, nodes from m_store
    StringPool m_pool;
    int m_writeBackDefaults = 0;
    int m_notLoaded = 1;
    char* m_emptyText = nullptr;
    char* m_trueText = nullptr;
    char* m_falseText = nullptr;
    IniNameIndex m_sectionIndex;
    IniStore m_store;
};
