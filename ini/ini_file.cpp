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

// The first character c of text. A byte below 0x80 preceded only by such bytes
// is a whole character; otherwise the multibyte-aware scan decides.
char* FindSeparator(char* text, char c) {
    char* found = strchr(text, c);
    if (!found || !HasHighByte(text, found)) return found;
    return FindChar(text, c);
}

// Trims the zero-terminated line at line in place: a zero byte after its last
// non-blank character; returns its first non-blank character. *next is the
// line that follows.
char* TrimLine(char* line, char** next) {
    size_t length = strlen(line);
    *next = line + length + 1;
    char* last = line + length;
    while (last > line && IniIsSpace(static_cast<unsigned char>(last[-1]))) --last;
    *last = 0;
    while (IniIsSpace(static_cast<unsigned char>(*line))) ++line;
    return line;
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

IniKey* IniMakeKey(char* name) {
    IniKey* key = static_cast<IniKey*>(ShellAlloc(sizeof(IniKey)));
    if (!key) return nullptr;
    key->name = name;
    key->type = kIniString;
    key->text = nullptr;
    key->intValue = 0;
    key->floatValue = 0.0f;
    return key;
}

IniKey* IniMakeStringKey(char* name, char* value) {
    IniKey* key = IniMakeKey(name);
    if (!key || IsEmptyString(value)) return key;
    key->text = value;
    key->intValue = IniParseInt(value);
    key->floatValue = IniParseFloat(value);
    return key;
}

void IniFreeKey(IniKey* key) {
    if (key) ShellFree(key);
}

IniSection::IniSection(char* sectionName) : name(sectionName), keyIndex(KeyNameOf) {}

IniSection::~IniSection() {
    for (CursorList::Node* node = keys.HeadNode(); node; node = node->next) {
        IniFreeKey(static_cast<IniKey*>(node->element));
    }
    keys.Empty();
}

IniSection* IniSection::Make(char* name) {
    void* storage = ShellAlloc(sizeof(IniSection));
    return storage ? new (storage) IniSection(name) : nullptr;
}

void IniSection::Free(IniSection* section) {
    if (!section) return;
    section->~IniSection();
    ShellFree(section);
}

IniKey* IniSection::FindKey(const char* key) {
    return keyIndex.Find(keys, key) ? static_cast<IniKey*>(keys.Current()) : nullptr;
}

bool IniSection::AppendKey(IniKey* key) {
    if (!key || !keys.Append(key)) return false;
    keyIndex.Appended(keys);
    return true;
}

void IniSection::DeleteCurrentKey() {
    IniKey* key = static_cast<IniKey*>(keys.Current());
    if (!key) return;
    keys.RemoveCurrent();
    keyIndex.Invalidate();
    IniFreeKey(key);
}

void IniSection::CurrentKeyName(char* destination, int size) const {
    const IniKey* key = static_cast<const IniKey*>(keys.Current());
    if (key) CopyString(destination, key->name, size);
}

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
    m_sections.Empty();
    m_sectionIndex.Release();
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
    // Every line end becomes a zero byte: the text turns into a run of lines.
    for (char* p = text; p < text + count; ++p) {
        if (*p == '\r' || *p == '\n') *p = 0;
    }

    CursorList includes;  // names of included files, pointers into the pool
    ParseText(text, text + count + 1, path, includes);

    LoadChain link = {path, chain, chain ? chain->depth + 1 : 0};
    for (void* name = includes.First(); name; name = includes.Next()) {
        LoadFile(static_cast<const char*>(name), &link);
    }
    return complete;
}

void IniFile::ParseText(char* text, char* end, const char* path, CursorList& includes) {
    char* next = text;
    while (next < end) {
        char* line = TrimLine(next, &next);
        if (*line == '[') {
            char* name = line + 1;
            StripClosingBracket(name);
            if (HasSection(name)) {
                // Its key lines are skipped below: only '[' and '#' lines count here.
                LogWarning("Deleting duplicate section %s from %s...", name, path);
                continue;
            }
            IniSection* section = IniSection::Make(name);
            if (!section) {
                LogError("Unable to allocate section %s, file %s!", name, path);
                continue;
            }
            next = ReadKeys(section, next, end, path);
            if (!AppendSection(section)) {
                LogError("Unable to append section %s to the list, file %s!", name, path);
                IniSection::Free(section);
            }
        } else if (*line == '#') {
            char* blank = FindChar(line + 1, ' ');
            if (!blank) continue;
            *blank = 0;
            if (!StringsEqual(line + 1, "include", false)) continue;
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

char* IniFile::ReadKeys(IniSection* section, char* next, char* end, const char* path) {
    while (next < end) {
        char* following;
        char* line = TrimLine(next, &following);
        // A header or a '#' line ends the section and is left to the caller.
        if (*line == '[' || *line == '#') return next;
        next = following;
        if (!*line || *line == ';') continue;
        char* equals = FindSeparator(line, '=');
        if (!equals) continue;
        *equals = 0;
        char* name = line;
        char* nameEnd = equals;
        while (nameEnd > name && IniIsSpace(static_cast<unsigned char>(nameEnd[-1]))) --nameEnd;
        *nameEnd = 0;
        char* value = equals + 1;
        while (IniIsSpace(static_cast<unsigned char>(*value))) ++value;

        // The first definition of a name wins.
        if (section->FindKey(name)) {
            LogNotice("Deleting duplicate key %s from %s...", name, m_path);
            continue;
        }
        IniKey* key = IniMakeStringKey(name, value);
        if (!key) {
            LogError("Unable to allocate key %s, file %s!", name, path);
            continue;
        }
        if (!section->AppendKey(key)) {
            LogError("Unable to append key %s to section %s, file %s!", name, section->name, path);
            IniFreeKey(key);
        }
    }
    return next;
}

// ---- Look-ups and changes -------------------------------------------------------

bool IniFile::AppendSection(IniSection* section) {
    if (!section || !m_sections.Append(section)) return false;
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
    m_sections.RemoveCurrent();
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
    IniSection* section = IniSection::Make(stored);
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
    return IniMakeKey(name);
}
