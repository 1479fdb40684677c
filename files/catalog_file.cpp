#include "files/catalog_file.h"

#include "files/rotating_find.h"
#include "files/strings.h"
#include "platform/platform.h"
#include "shell_base/log.h"
#include "shell_base/shell_memory.h"

#include <cstdint>
#include <cstring>

// Reads the tables through a buffer, so that a catalog of many thousand
// records costs a few reads rather than three per record, and hands out the
// bytes of a record where they lie in the buffer.
class TableReader {
public:
    explicit TableReader(int descriptor) : m_descriptor(descriptor) {}
    // The next size bytes (size at most the buffer's size), contiguous; null
    // when the file ends before them.
    const unsigned char* Take(uint32_t size) {
        if (m_end - m_begin < size && !Refill(size)) return nullptr;
        const unsigned char* bytes = m_buffer + m_begin;
        m_begin += size;
        return bytes;
    }
    bool TakeWord(uint32_t* value) {
        const unsigned char* bytes = Take(4);
        if (!bytes) return false;
        *value = DecodeLittle32(bytes);
        return true;
    }

private:
    // Moves the unread bytes to the front and reads until size bytes are there.
    bool Refill(uint32_t size) {
        if (size > sizeof m_buffer) return false;
        const uint32_t rest = m_end - m_begin;
        memmove(m_buffer, m_buffer + m_begin, rest);
        m_begin = 0;
        m_end = rest;
        while (m_end < size) {
            int got = plat::FileRead(m_descriptor, m_buffer + m_end, sizeof m_buffer - m_end);
            if (got <= 0) return false;
            m_end += static_cast<uint32_t>(got);
        }
        return true;
    }

    int m_descriptor;
    uint32_t m_begin = 0;
    uint32_t m_end = 0;
    unsigned char m_buffer[16384];
};

namespace {

const char* EntryNameAt(const void* table, int32_t index) { return static_cast<const CatalogEntry*>(table)[index].name; }
const char* ExtensionAt(const void* table, int32_t index) { return static_cast<const char* const*>(table)[index]; }

// Walks a table of names for RotatingFind, comparing each with key.
struct NameWalker {
    const void* table;
    NameIndex::NameAt nameAt;
    const char* key;
    int32_t index;
    void Seek(int i) { index = i; }
    void Next() { ++index; }
    bool Matches() const { return StringsEqual(nameAt(table, index), key, false); }
};

// The rotating look-up of key in a table of count names: nothing for an empty
// table or key (the cursor is left alone); else from the cursor (0 when none)
// to the end, then from 0 up to it. A hit moves the cursor there, a miss sets
// it to -1. Without an index the table is walked.
bool FindName(const NameIndex* index, const void* table, int32_t count, NameIndex::NameAt nameAt, const char* key,
              int32_t* cursor) {
    if (count == 0 || IsEmptyString(key)) return false;
    const int32_t start = *cursor < 0 ? 0 : *cursor;
    int32_t found;
    if (index && index->IsBuilt()) {
        found = index->Find(key, start);
    } else {
        NameWalker walker{table, nameAt, key, 0};
        found = RotatingFind(walker, count, start);
    }
    *cursor = found;
    return found >= 0;
}

bool HasHighByte(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) return true;
    }
    return false;
}

bool IsAbsolute(const char* path) {
    return path[0] == '\\' || path[0] == '/' || (path[0] && path[1] == ':');
}

}  // namespace

CatalogFile::~CatalogFile() { Close(); }

bool CatalogFile::HasPath(const char* path) const { return StringsEqual(m_path, path, false); }

bool CatalogFile::Open(const char* path) {
    if (IsOpen()) Close();  // a catalog object is reused: close what it held
    if (IsEmptyString(path) || strlen(path) >= static_cast<size_t>(kPathSize)) {
        // A path that does not fit would be kept cut, under another identity.
        LogError("Unable to open catalog file %s!", path ? path : "");
        return false;
    }
    int descriptor = plat::FileOpenRead(path, plat::AccessHint::Random);
    if (descriptor < 0) {
        LogError("Unable to open catalog file %s!", path);
        return false;
    }
    m_descriptor = descriptor;
    TableReader reader(descriptor);
    const unsigned char* bytes = reader.Take(kCatalogHeaderSize);
    if (!bytes) {
        LogError("Error reading CatalogHeader for %s!", path);
        Close();
        return false;
    }
    DecodeCatalogHeader(bytes, &m_header);
    if (!IsCatalogSignature(m_header.signature)) {
        LogError("%s is not a catalog file!", path);
        Close();
        return false;
    }
    if (!ReadTables(reader, path) || !CheckLayout(path)) {
        Close();
        return false;
    }
    // The path as given names the catalog for look-ups; its full form reopens it for raw reads.
    CopyString(m_path, path, sizeof m_path);
    if (IsAbsolute(path)) {
        CopyString(m_fullPath, path, sizeof m_fullPath);
    } else {
        char directory[kPathSize];
        if (plat::DirGetCurrent(directory, sizeof directory) && strlen(directory) + 1 + strlen(path) < sizeof m_fullPath) {
            CopyString(m_fullPath, directory, sizeof m_fullPath);
            AppendPathComponent(sizeof m_fullPath, m_fullPath, path);
        } else {
            CopyString(m_fullPath, path, sizeof m_fullPath);
        }
    }
    m_positionOwner = -1;
    m_descriptorPosition = -1;  // the tables were read through a buffer
    m_openFileCount = 0;
    // Without memory for an index the look-ups walk the tables instead.
    m_entryIndex.Build(m_entries, m_entryCount, EntryNameAt);
    m_extensionIndex.Build(m_extensions, m_extensionCount, ExtensionAt);
    return true;
}

bool CatalogFile::ReadTables(TableReader& reader, const char* path) {
    // The tables never grow beyond the header's counts.
    const uint32_t files = m_header.fileCount;
    const uint32_t extensions = m_header.extensionCount;
    if (files > static_cast<uint32_t>(kCatalogMaxItems) ||
        !(m_entries = static_cast<CatalogEntry*>(ShellAlloc(sizeof(CatalogEntry) * (files ? files : 1))))) {
        LogError("Unable to append new file header to the header list!");
        return false;
    }
    // Room for names of 15 bytes on average; the block grows for longer ones.
    m_namesCapacity = files * 16 + (extensions < 65536 ? extensions : 65536) * 8 + 64;
    if (!(m_names = static_cast<char*>(ShellAlloc(m_namesCapacity)))) {
        m_namesCapacity = 0;
        LogError("Unable to allocate memory for catalog header!");
        return false;
    }
    for (uint32_t i = 0; i < files; ++i) {
        uint32_t offset = 0, nameLength = 0;
        if (!reader.TakeWord(&offset) || !reader.TakeWord(&nameLength)) {
            LogError("Error while reading catalog %s: unable to read filename %d!", path, static_cast<int>(i));
            return false;
        }
        if (nameLength >= kCatalogTextLimit) {
            LogError("Error while reading catalog %s: invalid filename length %d!", path, static_cast<int>(nameLength));
            return false;
        }
        const unsigned char* name = reader.Take(nameLength);
        if (!name) {
            LogError("Error while reading catalog %s: unable to read filename %d!", path, static_cast<int>(i));
            return false;
        }
        const char* stored = StoreName(name, nameLength, kPathSize);
        if (!stored) {
            LogError("Unable to allocate memory for catalog header!");
            return false;
        }
        CatalogEntry& entry = m_entries[m_entryCount++];
        entry.offset = offset;
        entry.size = 0;
        entry.name = stored;
    }
    m_entryCursor = m_entryCount - 1;  // reading leaves the cursor on the last record
    // A member's size is the distance to the next member's offset; the last one ends with the data.
    const int32_t count = m_entryCount;
    for (int32_t i = 0; i + 1 < count; ++i) m_entries[i].size = m_entries[i + 1].offset - m_entries[i].offset;
    if (count > 0) m_entries[count - 1].size = m_header.dataSize - (m_entries[count - 1].offset - m_entries[0].offset);
    // The extension table follows the file records.
    if (extensions > static_cast<uint32_t>(kCatalogMaxItems) ||
        !(m_extensions = static_cast<const char**>(ShellAlloc(sizeof(const char*) * (extensions ? extensions : 1))))) {
        LogError("Unable to append new extension to the extension list!");
        return false;
    }
    for (uint32_t j = 0; j < extensions; ++j) {
        uint32_t length = 0;
        if (!reader.TakeWord(&length)) {
            LogError("Error while reading catalog %s: unable to read extension %d!", path, static_cast<int>(j));
            return false;
        }
        if (length >= kCatalogTextLimit) {
            LogError("Error while reading catalog %s: invalid extension length %d!", path, static_cast<int>(length));
            return false;
        }
        const unsigned char* text = reader.Take(length);
        if (!text) {
            LogError("Error while reading catalog %s: unable to read extension %d!", path, static_cast<int>(j));
            return false;
        }
        const char* stored = StoreName(text, length, kCatalogExtensionSize);  // cut to 255 bytes
        if (!stored) {
            LogError("Unable to allocate memory for catalog extension!");
            return false;
        }
        m_extensions[m_extensionCount++] = stored;
    }
    m_extensionCursor = m_extensionCount - 1;
    memset(m_names + m_namesUsed, 0, NameIndex::kReadPast);  // StoreName keeps the room
    return true;
}

// Keeps the text of a record (up to its first zero byte, within length bytes,
// cut to size - 1 bytes on a character boundary) in capitals in the name
// block, with room for the index to read past the last name; null when
// memory runs out. Names already kept move with the block.
const char* CatalogFile::StoreName(const unsigned char* bytes, uint32_t length, int size) {
    const char* text = reinterpret_cast<const char*>(bytes);
    if (const void* zero = memchr(text, 0, length)) length = static_cast<uint32_t>(static_cast<const char*>(zero) - text);
    char cut[kPathSize];
    if (length >= static_cast<uint32_t>(size)) {
        char whole[kPathSize];
        memcpy(whole, text, length);  // length < kCatalogTextLimit
        whole[length] = 0;
        CopyString(cut, whole, size);
        text = cut;
        length = static_cast<uint32_t>(strlen(cut));
    }
    const uint32_t needed = length + 1 + NameIndex::kReadPast;
    if (m_namesCapacity - m_namesUsed < needed) {
        uint32_t capacity = m_namesCapacity * 2;
        if (capacity < m_namesUsed + needed) capacity = m_namesUsed + needed;
        char* names = static_cast<char*>(ShellAlloc(capacity));
        if (!names) return nullptr;
        memcpy(names, m_names, m_namesUsed);
        for (int32_t i = 0; i < m_entryCount; ++i) m_entries[i].name = names + (m_entries[i].name - m_names);
        for (int32_t j = 0; j < m_extensionCount; ++j) m_extensions[j] = names + (m_extensions[j] - m_names);
        ShellFree(m_names);
        m_names = names;
        m_namesCapacity = capacity;
    }
    char* stored = m_names + m_namesUsed;
    memcpy(stored, text, length);
    stored[length] = 0;
    m_namesUsed += length + 1;
    if (HasHighByte(stored, length)) {
        ToUpperString(stored);  // double-byte characters keep their trail bytes
    } else {
        for (uint32_t i = 0; i < length; ++i) {
            if (stored[i] >= 'a' && stored[i] <= 'z') stored[i] = static_cast<char>(stored[i] - 32);
        }
    }
    return stored;
}

// Members must lie back to back, in record order, inside the file: offsets
// out of order or a data size that does not cover the last record would give
// sizes near 4 GiB, and members past the end would promise bytes that are not there.
bool CatalogFile::CheckLayout(const char* path) {
    const int32_t count = m_entryCount;
    if (count == 0) return true;
    for (int32_t i = 0; i + 1 < count; ++i) {
        if (Entry(i + 1)->offset < Entry(i)->offset) {
            LogError("Error while reading catalog %s: offset of file %d is out of order!", path, static_cast<int>(i + 1));
            return false;
        }
    }
    uint32_t first = Entry(0)->offset;
    uint32_t last = Entry(count - 1)->offset;
    if (m_header.dataSize < last - first) {
        LogError("Error while reading catalog %s: invalid data size %u!", path, m_header.dataSize);
        return false;
    }
    int32_t length = plat::FileLength(m_descriptor);
    if (length < 0 || static_cast<uint64_t>(first) + m_header.dataSize > static_cast<uint64_t>(length)) {
        LogError("Error while reading catalog %s: file %d ends past the end of the catalog!", path,
                 static_cast<int>(count - 1));
        return false;
    }
    return true;
}

void CatalogFile::FreeTables() {
    m_entryIndex.Free();
    m_extensionIndex.Free();
    if (m_entries) ShellFree(m_entries);
    if (m_extensions) ShellFree(m_extensions);
    if (m_names) ShellFree(m_names);
    m_entries = nullptr;
    m_extensions = nullptr;
    m_names = nullptr;
    m_entryCount = m_extensionCount = 0;
    m_entryCursor = m_extensionCursor = -1;
    m_namesUsed = m_namesCapacity = 0;
}

void CatalogFile::Close() {
    if (m_openFileCount > 0) {
        LogError("Catalog file %s is still in use! (OpenFileCount = %d)", m_path, static_cast<int>(m_openFileCount));
    }
    m_positionOwner = -1;
    FreeTables();
    if (m_descriptor >= 0) plat::FileClose(m_descriptor);
    if (m_rawDescriptor >= 0) plat::FileClose(m_rawDescriptor);
    m_descriptor = -1;
    m_rawDescriptor = -1;
    m_descriptorPosition = -1;
    m_openFileCount = 0;
}

bool CatalogFile::FindMember(const char* fileName, const char* extension) {
    if (!IsOpen() || IsEmptyString(extension)) return false;
    if (!FindName(&m_extensionIndex, m_extensions, m_extensionCount, ExtensionAt, extension, &m_extensionCursor))
        return false;
    return FindName(&m_entryIndex, m_entries, m_entryCount, EntryNameAt, fileName, &m_entryCursor);
}

bool CatalogFile::FindMemberByScan(const char* fileName, const char* extension) {
    if (!IsOpen() || IsEmptyString(extension)) return false;
    if (!FindName(nullptr, m_extensions, m_extensionCount, ExtensionAt, extension, &m_extensionCursor)) return false;
    return FindName(nullptr, m_entries, m_entryCount, EntryNameAt, fileName, &m_entryCursor);
}

uint32_t CatalogFile::FindMemberSize() const {
    const CatalogEntry* entry = Entry(m_entryCursor);
    return entry ? entry->size : 0;
}

bool CatalogFile::OpenMember(int32_t handle, FileHandleRecord* record) {
    return OpenMemberAt(m_entryCursor, handle, record);
}

bool CatalogFile::OpenMemberAt(int32_t index, int32_t handle, FileHandleRecord* record) {
    const CatalogEntry* entry = Entry(index);
    if (!IsOpen() || !entry || !record) return false;
    record->catalog = this;
    record->handle = handle;
    record->start = entry->offset;
    record->position = entry->offset;
    record->size = entry->size;
    record->member = true;
    m_positionOwner = SeekDescriptor(entry->offset) ? handle : -1;
    ++m_openFileCount;
    return true;
}

int CatalogFile::ReadMember(FileHandleRecord* record, void* buffer, uint32_t count) {
    if (!IsOpen() || !record) return 0;
    if (m_positionOwner != record->handle && !SeekDescriptor(record->position)) {
        m_positionOwner = -1;
        return -1;
    }
    m_positionOwner = record->handle;
    uint32_t end = record->start + record->size;
    uint32_t n = record->position < end ? end - record->position : 0;
    if (n > count) n = count;
    if (n == 0) return 0;
    int got = plat::FileRead(m_descriptor, buffer, n);
    if (got > 0) {
        record->position += static_cast<uint32_t>(got);
        if (m_descriptorPosition >= 0) m_descriptorPosition += got;
    } else if (got < 0) {
        m_positionOwner = -1;  // where a failed read left the descriptor is unknown
        m_descriptorPosition = -1;
    }
    return got;
}

// Moves the shared descriptor to position; no call is made when it stands there already.
bool CatalogFile::SeekDescriptor(uint32_t position) {
    if (m_descriptorPosition == static_cast<int64_t>(position)) return true;
    int32_t result = plat::FileSeek(m_descriptor, static_cast<int32_t>(position), plat::SeekSet);
    m_descriptorPosition = result;
    return result >= 0;
}

int32_t CatalogFile::SeekMember(FileHandleRecord* record, int32_t offset, int origin) {
    if (!IsOpen() || !record) return -1;
    int64_t base;
    switch (origin) {
    case plat::SeekSet: base = record->start; break;
    case plat::SeekCur: base = record->position; break;
    case plat::SeekEnd: base = static_cast<int64_t>(record->start) + record->size; break;
    default: return -1;
    }
    int64_t target = base + offset;
    if (target < static_cast<int64_t>(record->start) || target > INT32_MAX) return -1;
    record->position = static_cast<uint32_t>(target);
    int32_t result = plat::FileSeek(m_descriptor, static_cast<int32_t>(target), plat::SeekSet);
    m_descriptorPosition = result;
    m_positionOwner = result < 0 ? -1 : record->handle;
    return result;
}

void CatalogFile::CloseMember(FileHandleRecord* record) {
    if (!IsOpen() || !record) return;
    if (m_openFileCount > 0) --m_openFileCount;
    if (m_positionOwner == record->handle) m_positionOwner = -1;
}

int CatalogFile::RawDescriptor() {
    if (!IsOpen()) return -1;
    if (m_rawDescriptor < 0) m_rawDescriptor = plat::FileOpenRead(m_fullPath, plat::AccessHint::Random);
    return m_rawDescriptor;
}
