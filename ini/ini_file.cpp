// IniFile: construction, loading and parsing, look-ups and structural changes.
#include "ini/ini_file.h"

#include "files/paths.h"
#include "files/strings.h"
#include "ini/ini_text.h"
#include "shell_base/bound_file_manager.h"
#include "shell_base/log.h"
#include "shell_base/shell_memory.h"
#include "varn/fmg.h"

#include <climits>
#include <cstring>
#include <new>

// The SSE2 scans: gcc and clang say __SSE2__, Microsoft's compiler says it
// with _M_X64 or _M_IX86_FP.
#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define VARN_INI_SSE2 1
#include <emmintrin.h>
#endif
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

namespace {

// The index of the lowest set bit of a non-zero value.
inline int LowestSetBit(unsigned bits) {
#if defined(_MSC_VER) && !defined(__clang__)
    unsigned long index;
    _BitScanForward(&index, bits);
    return static_cast<int>(index);
#else
    return __builtin_ctz(bits);
#endif
}

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

// The first byte at or after p that ends a line (zero, CR or LF) or, with
// withEquals, that splits one ('=', or a byte of 0x80 or more that may lead a
// double-byte character). Where the processor has SSE2, 16 bytes are looked at
// at once while they lie wholly before limit; there is always such a byte
// before limit.
template <bool withEquals>
char* FindStop(char* p, const char* limit) {
#if defined(VARN_INI_SSE2)
    const __m128i zero = _mm_setzero_si128();
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i eq = _mm_set1_epi8('=');
    while (limit - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, zero), _mm_cmpeq_epi8(bytes, cr)),
                                    _mm_cmpeq_epi8(bytes, lf));
        int bits;
        if (withEquals)
            bits = _mm_movemask_epi8(_mm_or_si128(hits, _mm_cmpeq_epi8(bytes, eq))) | _mm_movemask_epi8(bytes);
        else
            bits = _mm_movemask_epi8(hits);
        if (bits) return p + LowestSetBit(static_cast<unsigned>(bits));
        p += 16;
    }
#else
    (void)limit;
#endif
    for (;; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == 0 || c == '\r' || c == '\n') return p;
        if (withEquals && (c == '=' || c >= 0x80)) return p;
    }
}

inline char* FindLineEnd(char* p, const char* limit) { return FindStop<false>(p, limit); }

// One line of text, trimmed in place.
struct LineView {
    char* text;    // the first non-blank character
    char* equals;  // the first '=' that is a character of its own, or null
    char* next;    // where the following line starts
};

// One line of text: the bytes up to the next CR, LF or zero byte, which
// becomes a zero byte, trimmed in place. limit as for FindStop.
void ScanLine(char* start, const char* limit, LineView* line) {
    char* p = start;
    char* equals = nullptr;
    bool highBeforeEquals = false;
    for (;;) {
        p = equals ? FindLineEnd(p, limit) : FindStop<true>(p, limit);
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == 0 || c == '\r' || c == '\n') break;
        if (c == '=')
            equals = p;
        else
            highBeforeEquals = true;
        ++p;
    }
    // The empty line between a CR and its LF is passed over with them.
    if (p[0] == '\r' && p[1] == '\n') {
        p[1] = 0;
        line->next = p + 2;
    } else {
        line->next = p + 1;
    }
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

// Blanks inside a line: white space other than the line ends.
inline bool IsLineBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// The start of the first line at or after p (p starts a line) whose first
// non-blank character is '[' or '#', or end: the lines before it are key
// lines or lines to ignore. Nothing is changed in the text.
char* FindDirectiveLine(char* p, char* end, const char* limit) {
#if defined(VARN_INI_SSE2)
    // Key lines rarely hold a '[' or '#' at all: look for those bytes 16 at a
    // time, and take the first that only blanks separate from a line start
    // (p, or a byte after a CR, LF or zero byte). A trail byte of a double-byte
    // character follows its lead byte, so it never passes for one.
    char* const first = p;
    const __m128i open = _mm_set1_epi8('[');
    const __m128i hash = _mm_set1_epi8('#');
    for (char* q = p; q < end;) {
        unsigned bits;
        int width;
        if (limit - q >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
            bits = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, open), _mm_cmpeq_epi8(bytes, hash))));
            width = 16;
        } else {
            bits = *q == '[' || *q == '#' ? 1u : 0u;
            width = 1;
        }
        for (; bits; bits &= bits - 1) {
            char* line = q + LowestSetBit(bits);
            if (line >= end) return end;
            while (line > first && IsLineBlank(static_cast<unsigned char>(line[-1]))) --line;
            if (line == first || line[-1] == 0 || line[-1] == '\r' || line[-1] == '\n') return line;
        }
        q += width;
    }
    return end;
#else
    while (p < end) {
        char* line = p;
        while (IsLineBlank(static_cast<unsigned char>(*p))) ++p;
        if (*p == '[' || *p == '#') return line;
        p = FindLineEnd(p, limit);
        // The empty line between a CR and its LF holds nothing to look at.
        p += p[0] == '\r' && p[1] == '\n' ? 2 : 1;
    }
    return end;
#endif
}

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

void IniStore::Expect(size_t textBytes) {
    // Small texts grow the blocks as they go. A big one is sized from its
    // length: a section rarely takes fewer than 256 bytes. Keys are made as
    // sections are looked into, so their blocks grow as they go.
    if (textBytes < (size_t{1} << 20)) return;
    sections.Expect(textBytes / 256);
    nodes.Expect(textBytes / 256);
}

void IniStore::Release() {
    names.Release();
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
    for (CursorList::Node* node = section->m_keys.HeadNode(); node;) {
        CursorList::Node* next = node->next;
        store->keys.Give(node->element);
        store->nodes.Give(node);
        node = next;
    }
    section->m_keys.Forget();
    section->~IniSection();
    store->sections.Give(section);
}

IniKey* IniSection::FindKey(const char* key) {
    CursorList& keys = Keys();
    return keyIndex.Find(keys, key) ? static_cast<IniKey*>(keys.Current()) : nullptr;
}

void IniSection::SetPendingLines(char* begin, char* end) {
    m_pendingBegin = begin < end ? begin : nullptr;
    m_pendingEnd = begin < end ? end : nullptr;
}

bool IniSection::AppendKey(IniKey* key) {
    if (!key) return false;
    CursorList& keys = Keys();
    void* node = store->nodes.Take();
    if (!node) return false;
    keys.AppendNode(static_cast<CursorList::Node*>(node), key);
    keyIndex.Appended(keys);
    return true;
}

void IniSection::DeleteCurrentKey() {
    CursorList& keys = Keys();
    IniKey* key = static_cast<IniKey*>(keys.Current());
    if (!key) return;
    store->nodes.Give(keys.UnlinkCurrent());
    keyIndex.Invalidate();
    store->keys.Give(key);
}

void IniSection::CurrentKeyName(char* destination, int size) {
    const IniKey* key = static_cast<const IniKey*>(Keys().Current());
    if (key) CopyString(destination, key->name, size);
}

IniKey* IniFile::MakeKey(char* name) { return m_store.MakeKey(name); }

IniKey* IniStore::MakeKey(char* name) {
    IniKey* key = static_cast<IniKey*>(keys.Take());
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
    m_store.documentPath = m_path;
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
    // Keys, sections and nodes all live in the store's blocks, released at
    // once below; a section's key index is the only memory of its own.
    for (CursorList::Node* node = m_sections.HeadNode(); node; node = node->next) {
        static_cast<IniSection*>(node->element)->keyIndex.Release();
    }
    m_sections.Forget();
    m_sectionIndex.Release();
    m_sectionIndex.Expect(0);
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

// The files being read, from the one just opened back to the document's own:
// an include of one of them would never end.
struct IniFile::LoadChain {
    const char* path;
    const LoadChain* parent;
    int depth;
    IniLostNames* lostSections;
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
    m_store.Expect(static_cast<size_t>(count));
    if (count >= (1 << 20)) m_sectionIndex.Expect(m_sections.Count() + count / 256);

    // Sections that could not be stored, over the whole load with its includes.
    IniLostNames ownLostSections;
    IniLostNames* lostSections = chain ? chain->lostSections : &ownLostSections;
    CursorList includes;  // names of included files, pointers into the pool
    ParseText(text, text + count + 1, m_pool.Start() + m_pool.Capacity(), path, includes, *lostSections);

    LoadChain link = {path, chain, chain ? chain->depth + 1 : 0, lostSections};
    for (void* name = includes.First(); name; name = includes.Next()) {
        LoadFile(static_cast<const char*>(name), &link);
    }
    return complete;
}

// Walks the lines that begin with '[' or '#': headers make sections, include
// lines name files to read next. Each section keeps the lines up to the next
// such line as its key lines, read when it is first looked into; lines
// outside sections are ignored. Lines walked turn into zero-terminated
// strings: their CR, LF or zero byte becomes a zero byte.
void IniFile::ParseText(char* text, char* end, const char* limit, const char* path, CursorList& includes,
                        IniLostNames& lostSections) {
    LineView line;
    char* next = FindDirectiveLine(text, end, limit);
    while (next < end) {
        ScanLine(next, limit, &line);
        next = line.next;
        if (*line.text == '[') {
            char* name = line.text + 1;
            StripClosingBracket(name);
            char* keysEnd = FindDirectiveLine(next, end, limit);
            char* keysBegin = next;
            next = keysEnd;
            if (HasSection(name) || lostSections.Has(name)) {
                // Its key lines are skipped with it.
                LogWarning("Deleting duplicate section %s from %s...", name, path);
                continue;
            }
            IniSection* section = IniSection::Make(&m_store, name);
            if (!section) {
                LogError("Unable to allocate section %s, file %s!", name, path);
                lostSections.Add(name);
                continue;
            }
            section->SetPendingLines(keysBegin, keysEnd);
            if (!AppendSection(section)) {
                LogError("Unable to append section %s to the list, file %s!", name, path);
                IniSection::Free(section);
                lostSections.Add(name);
            }
            continue;
        }
        // A '#' line: an include or nothing; the lines after it up to the next
        // header belong to no section.
        char* blank = FindChar(line.text + 1, ' ');
        if (blank) {
            *blank = 0;
            if (StringsEqual(line.text + 1, "include", false)) {
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
        }
        next = FindDirectiveLine(next, end, limit);
    }
}

// Makes the section's key lines into keys, in file order. The first
// definition of a name wins, even when it could not be stored.
void IniSection::ReadPendingKeys() {
    char* next = m_pendingBegin;
    char* const end = m_pendingEnd;
    m_pendingBegin = m_pendingEnd = nullptr;  // the look-ups below see the keys read so far
    IniKeyNames& names = store->names;
    names.Begin();
    const char* path = store->documentPath;
    LineView line;
    while (next < end) {
        ScanLine(next, end, &line);
        next = line.next;
        char* text = line.text;
        if (!*text || *text == ';' || !line.equals) continue;
        char* equals = line.equals;
        *equals = 0;
        char* nameEnd = equals;
        while (nameEnd > text && IniIsSpace(static_cast<unsigned char>(nameEnd[-1]))) --nameEnd;
        *nameEnd = 0;
        char* keyName = text;
        char* value = equals + 1;
        while (IniIsSpace(static_cast<unsigned char>(*value))) ++value;

        if (names.Find(this, keyName, static_cast<size_t>(nameEnd - text)) ||
            (names.lost.count > 0 && names.lost.Has(keyName))) {
            LogNotice("Deleting duplicate key %s from %s...", keyName, path);
            continue;
        }
        IniKey* key = store->MakeKey(keyName);
        if (!key) {
            LogError("Unable to allocate key %s, file %s!", keyName, path);
            names.lost.Add(keyName);
            continue;
        }
        if (*value) {
            key->text = value;
            IniParseNumbers(value, &key->intValue, &key->floatValue);
        }
        if (!AppendKey(key)) {
            LogError("Unable to append key %s to section %s, file %s!", keyName, name, path);
            store->keys.Give(key);
            names.lost.Add(keyName);
            continue;
        }
        names.Added(this);
    }
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
