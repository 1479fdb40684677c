// CatalogFile: one open catalog archive. It reads the tables once when opened,
// keeps one descriptor for all its members, finds members by name and serves
// reads and seeks of member handles through that shared descriptor. The
// tables are two arrays and one block of names, indexed by name.
#pragma once

#include "files/catalog_format.h"
#include "files/catalog_index.h"
#include "files/paths.h"

#include <cstdint>

class CatalogFile;

struct CatalogEntry {
    uint32_t offset;
    uint32_t size;
    const char* name;  // in capitals, shorter than kPathSize; owned by the catalog
};

// A handle given out by the file manager. For a plain file only catalog
// (null) and handle (the descriptor) count. A member keeps member = true even
// after its catalog was closed, when catalog becomes null.
struct FileHandleRecord {
    CatalogFile* catalog;
    int32_t handle;
    uint32_t start;     // member's first byte in the catalog file
    uint32_t position;  // absolute offset in the catalog file
    uint32_t size;
    bool member;
};

class CatalogFile {
public:
    CatalogFile() = default;
    ~CatalogFile();
    CatalogFile(const CatalogFile&) = delete;
    CatalogFile& operator=(const CatalogFile&) = delete;

    // Opens and reads the catalog at path (relative to the working directory).
    // A catalog already open is closed first. False, with the message logged,
    // when the file cannot be opened or is not a well-formed catalog.
    bool Open(const char* path);
    // Closes the descriptor and frees the tables; reports members still open.
    void Close();

    bool IsOpen() const { return m_descriptor >= 0; }
    const char* Path() const { return m_path; }
    bool HasPath(const char* path) const;  // letter case ignored

    int32_t AddReference() { return ++m_referenceCount; }
    int32_t DropReference() { return --m_referenceCount; }
    int32_t ReferenceCount() const { return m_referenceCount; }

    // Finds a member by file-name part and extension (without the dot),
    // letter case ignored. The extension must be in the extension table; an
    // empty one matches nothing. Both tables are searched from their cursor
    // with wrap-around, and a hit leaves the cursor on the found item.
    bool FindMember(const char* fileName, const char* extension);
    // The same answer, cursors included, by walking the tables.
    bool FindMemberByScan(const char* fileName, const char* extension);
    // Size of the member found last (0 when there is none).
    uint32_t FindMemberSize() const;

    // Fills record for the member found last (or the entry at index) with the
    // given handle, and positions the shared descriptor at its first byte.
    bool OpenMember(int32_t handle, FileHandleRecord* record);
    bool OpenMemberAt(int32_t index, int32_t handle, FileHandleRecord* record);
    // Reads at most the member's remaining bytes; the descriptor read's result.
    int ReadMember(FileHandleRecord* record, void* buffer, uint32_t count);
    // origin 0: from the member's start, 1: from its position, 2: from its
    // end. The result is the new absolute offset in the catalog file; -1 (and
    // the position unchanged) for a place before the member's start, beyond
    // the 32-bit range, or an unknown origin.
    int32_t SeekMember(FileHandleRecord* record, int32_t offset, int origin);
    void CloseMember(FileHandleRecord* record);

    // A descriptor of the catalog file of its own, for clients that read the
    // file directly: moving or reading it never disturbs member handles. It
    // belongs to the catalog (closed with it); -1 when it cannot be opened.
    int RawDescriptor();

    const CatalogHeader& Header() const { return m_header; }
    int Descriptor() const { return m_descriptor; }
    int32_t OpenFileCount() const { return m_openFileCount; }
    int32_t PositionOwner() const { return m_positionOwner; }
    // The tables in record order; null past their ends. A cursor is -1 or an index.
    int32_t EntryCount() const { return m_entryCount; }
    const CatalogEntry* Entry(int32_t index) const {
        return index >= 0 && index < m_entryCount ? &m_entries[index] : nullptr;
    }
    int32_t EntryCursor() const { return m_entryCursor; }
    int32_t ExtensionCount() const { return m_extensionCount; }
    const char* Extension(int32_t index) const {
        return index >= 0 && index < m_extensionCount ? m_extensions[index] : nullptr;
    }
    int32_t ExtensionCursor() const { return m_extensionCursor; }

private:
    bool ReadTables(class TableReader& reader, const char* path);
    const char* StoreName(const unsigned char* text, uint32_t length, int size);
    bool CheckLayout(const char* path);
    void FreeTables();
    bool SeekDescriptor(uint32_t position);

    char m_path[kPathSize] = "";
    char m_fullPath[kPathSize] = "";  // for opening the raw descriptor later
    CatalogHeader m_header = {};
    int m_descriptor = -1;
    int m_rawDescriptor = -1;
    int32_t m_referenceCount = 0;
    int32_t m_openFileCount = 0;
    int32_t m_positionOwner = -1;
    // Where the shared descriptor stands (-1: unknown), so that a member that
    // continues where the last read stopped costs no seek.
    int64_t m_descriptorPosition = -1;
    CatalogEntry* m_entries = nullptr;
    int32_t m_entryCount = 0;
    int32_t m_entryCursor = -1;
    const char** m_extensions = nullptr;
    int32_t m_extensionCount = 0;
    int32_t m_extensionCursor = -1;
    // The names and extensions, each with its zero byte, back to back.
    char* m_names = nullptr;
    uint32_t m_namesUsed = 0;
    uint32_t m_namesCapacity = 0;
    NameIndex m_entryIndex;
    NameIndex m_extensionIndex;
};
