#include "files/catalog_file.h"

#include "files/strings.h"
#include "platform/platform.h"
#include "shell/log.h"
#include "shell/shell_memory.h"

#include <cstdint>
#include <cstring>

// Reads the tables through a buffer, so that a catalog of many thousand
// records costs a few reads rather than three per record.
class TableReader {
public:
    explicit TableReader(int descriptor) : m_descriptor(descriptor) {}
    // Bytes copied into destination: size, or fewer at the end of the file.
    uint32_t Read(void* destination, uint32_t size) {
        unsigned char* out = static_cast<unsigned char*>(destination);
        uint32_t done = 0;
        while (done < size) {
            if (m_begin == m_end && !Fill()) break;
            uint32_t chunk = m_end - m_begin;
            if (chunk > size - done) chunk = size - done;
            memcpy(out + done, m_buffer + m_begin, chunk);
            m_begin += chunk;
            done += chunk;
        }
        return done;
    }
    bool ReadWord(uint32_t* value) {
        unsigned char bytes[4];
        if (Read(bytes, 4) != 4) return false;
        *value = DecodeLittle32(bytes);
        return true;
    }

private:
    bool Fill() {
        int got = plat::FileRead(m_descriptor, m_buffer, sizeof m_buffer);
        if (got <= 0) return false;
        m_begin = 0;
        m_end = static_cast<uint32_t>(got);
        return true;
    }

    int m_descriptor;
    uint32_t m_begin = 0;
    uint32_t m_end = 0;
    unsigned char m_buffer[16384];
};

namespace {

const char* EntryName(const void* item) { return static_cast<const CatalogEntry*>(item)->name; }
const char* ExtensionName(const void* item) { return static_cast<const char*>(item); }

const char* EntryNameAt(const void* table, int32_t index) {
    const void* item = static_cast<const PointerArray*>(table)->At(index);
    return item ? EntryName(item) : nullptr;
}

const char* ExtensionAt(const void* table, int32_t index) {
    const void* item = static_cast<const PointerArray*>(table)->At(index);
    return item ? ExtensionName(item) : nullptr;
}

bool IsAbsolute(const char* path) {
    return path[0] == '\\' || path[0] == '/' || (path[0] && path[1] == ':');
}

}  // namespace

CatalogFile::~CatalogFile() {
    Close();
    // D3: the arrays' storage goes with the object.
    m_entries.Free();
    m_extensions.Free();
}

bool CatalogFile::HasPath(const char* path) const { return StringsEqual(m_path, path, false); }

bool CatalogFile::Open(const char* path) {
    if (IsOpen()) Close();  // O1
    if (IsEmptyString(path) || strlen(path) >= static_cast<size_t>(kPathSize)) {
        // A path that does not fit would be kept cut, under another identity.
        LogError("Unable to open catalog file %s!", path ? path : "");
        return false;
    }
    int descriptor = plat::FileOpenRead(path, plat::AccessHint::Random);  // O2
    if (descriptor < 0) {
        LogError("Unable to open catalog file %s!", path);
        return false;
    }
    m_descriptor = descriptor;
    TableReader reader(descriptor);
    unsigned char bytes[kCatalogHeaderSize];
    if (reader.Read(bytes, kCatalogHeaderSize) != static_cast<uint32_t>(kCatalogHeaderSize)) {  // O3
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
    // O7.
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
    m_entryIndex.Build(&m_entries, m_entries.Count(), EntryNameAt);
    m_extensionIndex.Build(&m_extensions, m_extensions.Count(), ExtensionAt);
    return true;
}

bool CatalogFile::ReadTables(TableReader& reader, const char* path) {
    // O4. The tables never grow beyond the header's counts.
    if (m_header.fileCount > static_cast<uint32_t>(kCatalogMaxItems) ||
        !m_entries.Reserve(static_cast<int32_t>(m_header.fileCount))) {
        LogError("Unable to append new file header to the header list!");
        return false;
    }
    for (uint32_t i = 0; i < m_header.fileCount; ++i) {
        uint32_t offset = 0, nameLength = 0;
        if (!reader.ReadWord(&offset) || !reader.ReadWord(&nameLength)) {
            LogError("Error while reading catalog %s: unable to read filename %d!", path, static_cast<int>(i));
            return false;
        }
        if (nameLength >= kCatalogTextLimit) {
            LogError("Error while reading catalog %s: invalid filename length %d!", path, static_cast<int>(nameLength));
            return false;
        }
        char name[kPathSize];
        if (reader.Read(name, nameLength) != nameLength) {
            LogError("Error while reading catalog %s: unable to read filename %d!", path, static_cast<int>(i));
            return false;
        }
        name[nameLength] = 0;  // the name ends inside its buffer even without a stored zero
        CatalogEntry* entry = static_cast<CatalogEntry*>(ShellAlloc(sizeof(CatalogEntry)));
        if (!entry) {
            LogError("Unable to allocate memory for catalog header!");
            return false;
        }
        entry->offset = offset;
        entry->size = 0;
        CopyString(entry->name, name, sizeof entry->name);
        ToUpperString(entry->name);
        if (!m_entries.Append(entry)) {
            LogError("Unable to append new file header to the header list!");
            ShellFree(entry);
            return false;
        }
    }
    // O5.
    int32_t count = m_entries.Count();
    for (int32_t i = 0; i + 1 < count; ++i) {
        CatalogEntry* entry = static_cast<CatalogEntry*>(m_entries.At(i));
        entry->size = static_cast<const CatalogEntry*>(m_entries.At(i + 1))->offset - entry->offset;
    }
    if (count > 0) {
        CatalogEntry* last = static_cast<CatalogEntry*>(m_entries.At(count - 1));
        last->size = m_header.dataSize - (last->offset - static_cast<const CatalogEntry*>(m_entries.At(0))->offset);
    }
    // O6.
    if (m_header.extensionCount > static_cast<uint32_t>(kCatalogMaxItems) ||
        !m_extensions.Reserve(static_cast<int32_t>(m_header.extensionCount))) {
        LogError("Unable to append new extension to the extension list!");
        return false;
    }
    for (uint32_t j = 0; j < m_header.extensionCount; ++j) {
        uint32_t length = 0;
        if (!reader.ReadWord(&length)) {
            LogError("Error while reading catalog %s: unable to read extension %d!", path, static_cast<int>(j));
            return false;
        }
        if (length >= kCatalogTextLimit) {
            LogError("Error while reading catalog %s: invalid extension length %d!", path, static_cast<int>(length));
            return false;
        }
        char text[kPathSize];
        if (reader.Read(text, length) != length) {
            LogError("Error while reading catalog %s: unable to read extension %d!", path, static_cast<int>(j));
            return false;
        }
        text[length] = 0;
        char* extension = static_cast<char*>(ShellAlloc(kCatalogExtensionSize));
        if (!extension) {
            LogError("Unable to allocate memory for catalog extension!");
            return false;
        }
        CopyString(extension, text, kCatalogExtensionSize);  // cut to 255 bytes
        ToUpperString(extension);
        if (!m_extensions.Append(extension)) {
            LogError("Unable to append new extension to the extension list!");
            ShellFree(extension);
            return false;
        }
    }
    return true;
}

// Members must lie back to back, in record order, inside the file: offsets
// out of order or a data size that does not cover the last record would give
// sizes near 4 GiB, and members past the end would promise bytes that are not there.
bool CatalogFile::CheckLayout(const char* path) {
    int32_t count = m_entries.Count();
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
    for (int32_t i = 0; i < m_entries.Count(); ++i) {
        if (void* item = m_entries.At(i)) ShellFree(item);
    }
    for (int32_t i = 0; i < m_extensions.Count(); ++i) {
        if (void* item = m_extensions.At(i)) ShellFree(item);
    }
    m_entries.Free();
    m_extensions.Free();
    m_entryIndex.Free();
    m_extensionIndex.Free();
}

void CatalogFile::Close() {
    if (m_openFileCount > 0) {  // D1
        LogError("Catalog file %s is still in use! (OpenFileCount = %d)", m_path, static_cast<int>(m_openFileCount));
    }
    // D2.
    m_positionOwner = -1;
    FreeTables();
    if (m_descriptor >= 0) plat::FileClose(m_descriptor);
    if (m_rawDescriptor >= 0) plat::FileClose(m_rawDescriptor);
    m_descriptor = -1;
    m_rawDescriptor = -1;
    m_descriptorPosition = -1;
    m_openFileCount = 0;
}

bool CatalogFile::FindIn(PointerArray& items, const NameIndex& index, const char* (*itemName)(const void*),
                         const char* key, bool useIndex) {
    auto matches = [itemName, key](const void* item) { return item && StringsEqual(itemName(item), key, false); };
    if (!useIndex || !index.IsBuilt()) return items.Find(IsEmptyString(key), matches);
    // The same rules as PointerArray::Find: nothing for an empty table or key
    // (cursor untouched); else from the cursor with wrap-around.
    if (items.Count() == 0 || IsEmptyString(key)) return false;
    int32_t start = items.Cursor() < 0 ? 0 : items.Cursor();
    int32_t found = index.Find(key, start, [&](int32_t i) { return matches(items.At(i)); });
    items.SetCursor(found);
    return found >= 0;
}

bool CatalogFile::FindMember(const char* fileName, const char* extension) {
    if (!IsOpen() || IsEmptyString(extension)) return false;
    if (!FindIn(m_extensions, m_extensionIndex, ExtensionName, extension, true)) return false;
    return FindIn(m_entries, m_entryIndex, EntryName, fileName, true);
}

bool CatalogFile::FindMemberByScan(const char* fileName, const char* extension) {
    if (!IsOpen() || IsEmptyString(extension)) return false;
    if (!FindIn(m_extensions, m_extensionIndex, ExtensionName, extension, false)) return false;
    return FindIn(m_entries, m_entryIndex, EntryName, fileName, false);
}

uint32_t CatalogFile::FindMemberSize() const {
    const CatalogEntry* entry = static_cast<const CatalogEntry*>(m_entries.Current());
    return entry ? entry->size : 0;
}

bool CatalogFile::OpenMember(int32_t handle, FileHandleRecord* record) {
    return OpenMemberAt(m_entries.Cursor(), handle, record);
}

bool CatalogFile::OpenMemberAt(int32_t index, int32_t handle, FileHandleRecord* record) {
    const CatalogEntry* entry = Entry(index);
    if (!IsOpen() || !entry || !record) return false;
    // M1-M3.
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
