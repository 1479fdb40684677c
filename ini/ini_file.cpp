// IniFile: construction, loading and parsing, look-ups and structural changes.
#include "ini/ini_file.h"

#include "files/paths.h"
#include "files/strings.h"
#include "shell/shell.h"
#include "ini/ini_text.h"
#include "shell/log.h"
#include "shell/shell_memory.h"
#include "varn/fmg.h"

#include <climits>
#include <cstring>
#include <new>

namespace {

// Includes nested deeper than this are not read (a chain of distinct files
// that never ends would otherwise only stop when the pool is full).
const int kMaxIncludeDepth = 16;

const char* SectionNameOf(const void* element) { return static_cast<const IniSection*>(element)->name; }
const char* KeyNameOf(const void* element) { return static_cast<const IniKey*>(element)->name; }

bool HasHighByte(const char* begin, const char* end) {
    for (const char* p = begin; p < end; ++p) {
        if (static_cast<unsigned char>(*p) >= 0x80) return true;
    }
    return false;
}

// Byte classes of the line scanner.
enum : unsigned char { kPlain = 0, kLineEnd = 1, kEquals = 2, kHighByte = 4 };

struct ByteClasses {
    unsigned char of[256];
    ByteClasses() : of() {
        of[0] = of[static_cast<unsigned char>('\r')] = of[static_cast<unsigned char>('\n')] = kLineEnd;
        of[static_cast<unsigned char>('=')] = kEquals;
        for (int c = 0x80; c < 0x100; ++c) of[c] = kHighByte;
    }
};
const ByteClasses kClasses;

}  // namespace

// One line of text: the bytes up to the next CR, LF or zero byte, which
// becomes a zero byte, trimmed in place.
void IniFile::ScanLine(char* start, LineView* line) {
    char* p = start;
    char* equals = nullptr;
    bool highBeforeEquals = false;
    for (;;) {
        unsigned char cls;
        while ((cls = kClasses.of[static_cast<unsigned char>(*p)]) == kPlain) ++p;
        if (cls == kLineEnd) break;
        if (cls == kEquals) {
            if (!equals) equals = p;
        } else if (!equals) {
            highBeforeEquals = true;
        }
        ++p;
    }
    line->next = p + 1;
    // White space (0x09-0x0D, 0x20) never occurs inside a double-byte character.
    while (p > start && IniIsSpace(static_cast<unsigned char>(p[-1]))) --p;
    *p = 0;
    while (IniIsSpace(static_cast<unsigned char>(*start))) ++start;
    line->text = start;
    // An '=' after a lead byte may be its trail byte: the multibyte-aware scan decides.
    if (equals && highBeforeEquals) equals = FindChar(start, '=');
    if (equals && equals >= p) equals = nullptr;
    line->equals = equals;
}

namespace {

// Removes a closing ']' that is a character of its own (not the trail byte of
// a double-byte character).
void StripClosingBracket(char* name) {
    size_t length = strlen(name);
    if (length == 0 || name[length - 1] != ']') return;
    if (HasHighByte(name, name + length - 1) && FindLastChar(name, ']') != name + length - 1) return;
    name[length - 1] = 0;
}

// Names of files as the file manager resolves them: a leading ".\\" names the
// same file as the name without it, and letter case does not count.
bool SameFileName(const char* a, const char* b) {
    while (a[0] == '.' && a[1] == '\\') a += 2;
    while (b[0] == '.' && b[1] == '\\') b += 2;
    return StringsEqual(a, b, false);
}

}  // namespace

// ---- Keys and sections --------------------------------------------------------

IniStore::IniStore() : keys(sizeof(IniKey)), sections(sizeof(IniSection)), nodes(sizeof(CursorList::Node)) {}

void IniStore::Release() {
    keys.Release();
    sections.Release();
    nodes.Release();
}

IniSection::IniSection(IniStore* sectionStore, char* sectionName)
    : name(sectionName), keyIndex(KeyNameOf), store(sectionStore) {}

IniSection* IniSection::Make(IniStore* store, char* name) {
    void* slot = store->sections.Take();
    return slot ? new (slot) IniSection(store, name) : nullptr;
}

void IniSection::Free(IniSection* section) {
    if (!section) return;
    IniStore* store = section->store;
    for (CursorList::Node* node = section->keys.HeadNode(); node;) {
        CursorList::Node* next = node->next;
        store->keys.Give(node->element);
        store->nodes.Give(node);
        node = next;
    }
    section->keys.Forget();
    section->~IniSection();
    store->sections.Give(section);
}

IniKey* IniSection::FindKey(const char* key) {
    return keyIndex.Find(keys, key) ? static_cast<IniKey*>(keys.Current()) : nullptr;
}

bool IniSection::AppendKey(IniKey* key) {
    if (!key) return false;
    void* node = store->nodes.Take();
    if (!node) return false;
    keys.AppendNode(static_cast<CursorList::Node*>(node), key);
    keyIndex.Appended(keys);
    return true;
}

void IniSection::DeleteCurrentKey() {
    IniKey* key = static_cast<IniKey*>(keys.Current());
    if (!key) return;
    store->nodes.Give(keys.UnlinkCurrent());
    keyIndex.Invalidate();
    store->keys.Give(key);
}

void IniSection::CurrentKeyName(char* destination, int size) const {
    const IniKey* key = static_cast<const IniKey*>(keys.Current());
    if (key) CopyString(destination, key->name, size);
}

IniKey* IniFile::MakeKey(char* name) {
    IniKey* key = static_cast<IniKey*>(m_store.keys.Take());
    if (!key) return nullptr;
    key->name = name;
    key->type = kIniString;
    key->text = nullptr;
    key->intValue = 0;
    key->floatValue = 0.0f;
    return key;
}

void IniFile::FreeKey(IniKey* key) { m_store.keys.Give(key); }

// ---- Construction and lifetime ------------------------------------------------

IniFile::IniFile(const char* name, int writeBackDefaults, int doNotLoad, int extra)
    : m_sectionIndex(SectionNameOf) {
    m_path[0] = 0;
    MakeFilePath(nullptr, name, "INI", m_path, sizeof m_path);
    int64_t size = 0;
    if (IFileManager* files = ShellGetFileManager()) size = files->fmgGetFileSize(m_path);
    if (size < 0) size = 0;
    if (extra < 0) extra = 0;
    int64_t capacity = size + extra;
    if (capacity > INT_MAX - 1) capacity = INT_MAX - 1;
    m_pool.Allocate(static_cast<int>(capacity));  // without storage every load and store fails
    m_emptyText = DuplicateString("");
    m_trueText = DuplicateString("TRUE");
    m_falseText = DuplicateString("FALSE");
    m_notLoaded = 1;
    if (!doNotLoad) m_notLoaded = Load(m_path) ? 0 : 1;
    m_writeBackDefaults = writeBackDefaults;
}

void IniFile::ClearSections() {
    for (CursorList::Node* node = m_sections.HeadNode(); node; node = node->next) {
        IniSection::Free(static_cast<IniSection*>(node->element));
    }
    m_sections.Forget();
    m_sectionIndex.Release();
    m_store.Release();  // the blocks of every key, section and node
}

void IniFile::Clear() {
    ClearSections();
    m_pool.Clear();
}

void IniFile::Destroy() {
    ClearSections();
    FreeString(&m_emptyText);
    FreeString(&m_trueText);
    FreeString(&m_falseText);
    m_pool.Free();
}

bool IniFile::Reload() {
    Clear();
    return Load(m_path);
}

int IniFile::SetWriteBackDefaults(int flag) {
    int previous = m_writeBackDefaults;
    m_writeBackDefaults = flag;
    return previous;
}

// ---- Loading ----------------------------------------------------------------------

// Names of entries that could not be stored while reading (no memory): a later
// entry of the same name is still a duplicate and is dropped, so a failure
// loses the entry but never lets another take its place. Up to kCapacity names
// are remembered; the names are texts of the pool.
struct IniFile::LostNames {
    static const int kCapacity = 32;
    const char* names[kCapacity];
    int count = 0;
    void Add(const char* name) {
        if (count < kCapacity && !IsEmptyString(name)) names[count++] = name;
    }
    bool Has(const char* name) const {
        if (IsEmptyString(name)) return false;
        for (int i = 0; i < count; ++i) {
            if (IniNamesEqual(names[i], name)) return true;
        }
        return false;
    }
};

// The names of the keys of the section being read, to find a repeated name
// with one probe instead of a walk over the section. It answers as the
// section's own look-up does: the first key of that name and its position.
// Emptied for each section by a new generation; without memory it is unusable
// and the section's look-up answers instead.
class IniFile::KeyNameSet {
public:
    ~KeyNameSet() {
        if (m_slots) ShellFree(m_slots);
    }
    void Begin() {
        ++m_generation;
        m_entries = 0;
        m_broken = false;
        lost.count = 0;
    }
    // The key named name in section, leaving the section's position as its own
    // look-up would; null when there is none.
    IniKey* Find(IniSection* section, const char* name) {
        if (!Ready(section)) return section->FindKey(name);
        if (IsEmptyString(name)) return nullptr;
        const uint32_t hash = QuickHash(name);
        m_lastHash = hash;
        for (uint32_t slot = hash & m_mask; m_slots[slot].generation == m_generation; slot = (slot + 1) & m_mask) {
            const Entry& entry = m_slots[slot];
            IniKey* key = static_cast<IniKey*>(entry.node->element);
            if (entry.hash == hash && IniNamesEqual(key->name, name)) {
                section->keys.SetPosition(entry.node, entry.index);
                return key;
            }
        }
        section->keys.SetPosition(nullptr, -1);
        return nullptr;
    }
    // After a key was appended to section.
    void Added(IniSection* section) {
        const int32_t count = section->keys.Count();
        if (m_broken || !m_slots || m_entries != count - 1) {
            m_broken = true;
            return;
        }
        if (static_cast<uint32_t>(count) * 2u > m_mask + 1)
            Rebuild(section);
        else
            Insert(section->keys.TailNode(), count - 1, m_lastHash);
    }

private:
    struct Entry {
        CursorList::Node* node;
        int32_t index;
        uint32_t hash;
        uint32_t generation;
    };

    // A section holds few keys: the length and a few letters (without case)
    // tell most names apart, and equal names always agree on them.
    static uint32_t QuickHash(const char* name) {
        const size_t length = strlen(name);
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

    // The set holds exactly the keys of section.
    bool Ready(IniSection* section) {
        if (!m_broken && !m_slots) Rebuild(section);
        if (!m_broken && m_entries != section->keys.Count()) m_broken = true;
        return !m_broken;
    }
    void Rebuild(IniSection* section) {
        const int32_t count = section->keys.Count();
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
        for (CursorList::Node* node = section->keys.HeadNode(); node; node = node->next) {
            Insert(node, index++, QuickHash(static_cast<const IniKey*>(node->element)->name));
        }
    }
    void Insert(CursorList::Node* node, int32_t index, uint32_t hash) {
        uint32_t slot = hash & m_mask;
        while (m_slots[slot].generation == m_generation) slot = (slot + 1) & m_mask;
        m_slots[slot] = {node, index, hash, m_generation};
        ++m_entries;
    }

    Entry* m_slots = nullptr;
    uint32_t m_mask = 0;
    uint32_t m_generation = 1;
    int32_t m_entries = 0;
    uint32_t m_lastHash = 0;  // of the name last looked up: the key appended next
    bool m_broken = false;

public:
    LostNames lost;  // keys of this section that could not be stored
};

// The files being read, from the one just opened back to the document's own:
// an include of one of them would never end.
struct IniFile::LoadChain {
    const char* path;
    const LoadChain* parent;
    int depth;
    LostNames* lostSections;
};

bool IniFile::Load(const char* path) { return LoadFile(path, nullptr); }

bool IniFile::LoadFile(const char* path, const LoadChain* chain) {
    IFileManager* files = ShellGetFileManager();
    if (!files || IsEmptyString(path)) return false;
    if (chain) {
        for (const LoadChain* link = chain; link; link = link->parent) {
            if (SameFileName(link->path, path)) {
                LogError("Ignoring #include %s in %s: that file is already being read!", path, chain->path);
                return false;
            }
        }
        if (chain->depth >= kMaxIncludeDepth) {
            LogError("Ignoring #include %s in %s: includes nested too deeply!", path, chain->path);
            return false;
        }
    }

    int handle = files->fmgOpenFile(path, 0);
    if (handle == -1) return false;

    // Read what fits, always keeping one byte for the zero that ends the text.
    char* text = m_pool.End();
    int room = m_pool.FreeBytes() - 1;
    int count = 0;
    while (text && count < room) {
        int read = files->fmgReadFile(handle, text + count, static_cast<uint32_t>(room - count));
        if (read <= 0) break;
        count += read;
    }
    bool complete = true;
    if (text && count == room) {
        char probe;
        if (files->fmgReadFile(handle, &probe, 1) > 0) complete = false;
    }
    files->fmgCloseFile(handle);
    if (!complete) {
        // Keep the whole lines only: a value cut short would read as another value.
        int kept = count;
        while (kept > 0 && text[kept - 1] != '\r' && text[kept - 1] != '\n') --kept;
        memset(text + kept, 0, static_cast<size_t>(count - kept));
        count = kept;
        LogError("Unable to read all of %s, the buffer is full!", path);
    }
    if (count <= 0) return false;

    text[count] = 0;
    m_pool.Advance(count + 1);

    // Sections that could not be stored, over the whole load with its includes.
    LostNames ownLostSections;
    LostNames* lostSections = chain ? chain->lostSections : &ownLostSections;
    CursorList includes;  // names of included files, pointers into the pool
    {
        KeyNameSet names;
        ParseText(text, text + count + 1, path, includes, names, *lostSections);
    }

    LoadChain link = {path, chain, chain ? chain->depth + 1 : 0, lostSections};
    for (void* name = includes.First(); name; name = includes.Next()) {
        LoadFile(static_cast<const char*>(name), &link);
    }
    return complete;
}

// The text becomes a run of zero-terminated lines as it is walked: every CR
// and LF turns into a zero byte.
void IniFile::ParseText(char* text, char* end, const char* path, CursorList& includes, KeyNameSet& names,
                        LostNames& lostSections) {
    LineView line;
    bool scanned = false;  // line holds the line at the walk's position
    char* next = text;
    while (scanned || next < end) {
        if (!scanned) {
            ScanLine(next, &line);
            next = line.next;
        }
        scanned = false;
        if (*line.text == '[') {
            char* name = line.text + 1;
            StripClosingBracket(name);
            if (HasSection(name) || lostSections.Has(name)) {
                // Its key lines are skipped below: only '[' and '#' lines count here.
                LogWarning("Deleting duplicate section %s from %s...", name, path);
                continue;
            }
            IniSection* section = IniSection::Make(&m_store, name);
            if (!section) {
                LogError("Unable to allocate section %s, file %s!", name, path);
                lostSections.Add(name);
                continue;
            }
            names.Begin();
            scanned = ReadKeys(section, &next, end, path, names, &line);
            if (!AppendSection(section)) {
                LogError("Unable to append section %s to the list, file %s!", name, path);
                IniSection::Free(section);
                lostSections.Add(name);
            }
        } else if (*line.text == '#') {
            char* blank = FindChar(line.text + 1, ' ');
            if (!blank) continue;
            *blank = 0;
            if (!StringsEqual(line.text + 1, "include", false)) continue;
            char* name = blank + 1;
            while (IniIsSpace(static_cast<unsigned char>(*name))) ++name;
            if (*name == '"') {
                ++name;
                if (char* quote = FindChar(name, '"')) *quote = 0;
            } else if (char* stop = FindChar(name, ' ')) {
                *stop = 0;
            }
            if (*name && !includes.Append(name)) {
                LogError("Unable to append include file %s to the list, file %s!", name, path);
            }
        }
        // Anything else (keys outside a section, comments, text before the
        // first header) is ignored.
    }
}

// Reads the key lines after a header. True when it stopped at a header or a
// '#' line, which is then left in *line for the caller.
bool IniFile::ReadKeys(IniSection* section, char** next, char* end, const char* path, KeyNameSet& names,
                       LineView* line) {
    while (*next < end) {
        ScanLine(*next, line);
        *next = line->next;
        char* text = line->text;
        if (*text == '[' || *text == '#') return true;
        if (!*text || *text == ';' || !line->equals) continue;
        char* equals = line->equals;
        *equals = 0;
        char* nameEnd = equals;
        while (nameEnd > text && IniIsSpace(static_cast<unsigned char>(nameEnd[-1]))) --nameEnd;
        *nameEnd = 0;
        char* name = text;
        char* value = equals + 1;
        while (IniIsSpace(static_cast<unsigned char>(*value))) ++value;

        // The first definition of a name wins, even when it could not be stored.
        if (names.Find(section, name) || names.lost.Has(name)) {
            LogNotice("Deleting duplicate key %s from %s...", name, m_path);
            continue;
        }
        IniKey* key = MakeKey(name);
        if (!key) {
            LogError("Unable to allocate key %s, file %s!", name, path);
            names.lost.Add(name);
            continue;
        }
        if (*value) {
            key->text = value;
            key->intValue = IniParseInt(value);
            key->floatValue = IniParseFloat(value);
        }
        if (!section->AppendKey(key)) {
            LogError("Unable to append key %s to section %s, file %s!", name, section->name, path);
            FreeKey(key);
            names.lost.Add(name);
            continue;
        }
        names.Added(section);
    }
    return false;
}

// ---- Look-ups and changes -------------------------------------------------------

bool IniFile::AppendSection(IniSection* section) {
    if (!section) return false;
    void* node = m_store.nodes.Take();
    if (!node) return false;
    m_sections.AppendNode(static_cast<CursorList::Node*>(node), section);
    m_sectionIndex.Appended(m_sections);
    return true;
}

IniSection* IniFile::FindSection(const char* section) {
    return m_sectionIndex.Find(m_sections, section) ? static_cast<IniSection*>(m_sections.Current()) : nullptr;
}

IniKey* IniFile::FindKey(const char* section, const char* key) {
    IniSection* found = FindSection(section);
    return found ? found->FindKey(key) : nullptr;
}

void IniFile::DeleteKey(const char* section, const char* key) {
    IniSection* found = FindSection(section);
    if (found && found->FindKey(key)) found->DeleteCurrentKey();
}

void IniFile::DeleteSection(const char* section) {
    IniSection* found = FindSection(section);
    if (!found) return;
    m_store.nodes.Give(m_sections.UnlinkCurrent());
    m_sectionIndex.Invalidate();
    IniSection::Free(found);
}

char* IniFile::StoreString(const char* text) {
    return m_pool.Append(text ? text : "") ? m_pool.Current() : nullptr;
}

char* IniFile::RenameSection(const char* section, const char* newName) {
    IniSection* found = FindSection(section);
    if (!found) return nullptr;
    char* stored = StoreString(newName);
    if (!stored) return nullptr;
    found->name = stored;
    m_sectionIndex.Invalidate();
    return stored;
}

IniSection* IniFile::MakeSection(const char* name) {
    char* stored = StoreString(name);
    if (!stored) {
        LogError("Unable to append string %s to the buffer!", name);
        return nullptr;
    }
    IniSection* section = IniSection::Make(&m_store, stored);
    if (!section || !AppendSection(section)) {
        LogError("Unable to append section %s to the list!", name);
        IniSection::Free(section);
        return nullptr;
    }
    return section;
}

bool IniFile::AddKey(const char* section, IniKey* key) {
    // A section without a name could never be found again.
    if (!key || IsEmptyString(section)) return false;
    IniSection* found = FindSection(section);
    if (!found) found = MakeSection(section);
    return found && found->AppendKey(key);
}

// Stores a new key's name (trimmed) in the pool and makes the key object.
IniKey* IniFile::NewKeyWithName(const char* key, const char* message) {
    char* name = StoreString(key);
    if (!name) {
        LogError(message, key);
        return nullptr;
    }
    TrimString(name);
    return MakeKey(name);
}
