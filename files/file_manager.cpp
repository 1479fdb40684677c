#include "files/file_manager.h"

#include "files/crc32.h"
#include "files/directories.h"
#include "files/string_pool.h"
#include "files/strings.h"
#include "shell_base/log.h"
#include "shell_base/shell_memory.h"

#include <cstring>
#include <new>

namespace {

// Process-wide sequence of member handles, shared by every catalog.
volatile int32_t g_memberSequence = 0;

// Checksums read the file in pieces of this size, however large it is.
const uint32_t kChecksumChunk = 256 * 1024;

// base combined with relative, when the whole result fits a path buffer; a
// path cut to fit would name another file.
bool CombineWhole(const char* base, const char* relative, char* out) {
    char combined[2 * kPathSize];
    CombinePath(base, relative, combined, sizeof combined);
    if (IsEmptyString(combined) || strlen(combined) >= static_cast<size_t>(kPathSize)) return false;
    CopyString(out, combined, kPathSize);
    return true;
}

// Names longer than a path buffer holds are found nowhere.
bool NameFits(const char* name) {
    return !IsEmptyString(name) && strlen(name) < static_cast<size_t>(kPathSize);
}

FileHandleRecord* RecordOf(void* element) { return static_cast<FileHandleRecord*>(element); }
CatalogFile* CatalogOf(void* element) { return static_cast<CatalogFile*>(element); }

}  // namespace

FileManager::FileManager() = default;

FileManager::~FileManager() { CloseEverything(); }

void FileManager::Initialize() {
    plat::LockGuard guard(m_lock);
    CloseEverything();
    m_cacheEnabled = 0;
    ClearString(m_cacheDirectory);
    CopyString(m_rootDirectory, ".\\", sizeof m_rootDirectory);
    LogInfo("FileManager initialized...");
}

void FileManager::Shutdown() {
    plat::LockGuard guard(m_lock);
    LogInfo("File Manager deinitialized...");
    CloseEverything();
}

void FileManager::CloseEverything() {
    plat::LockGuard guard(m_lock);
    for (CursorList::Node* node = m_openFiles.HeadNode(); node; node = node->next) {
        FileHandleRecord* record = RecordOf(node->element);
        if (!record) continue;
        if (record->member) {
            if (record->catalog) record->catalog->CloseMember(record);
        } else {
            plat::FileClose(record->handle);
        }
        ShellFree(record);
    }
    m_openFiles.Empty();
    for (CursorList::Node* node = m_catalogs.HeadNode(); node; node = node->next) delete CatalogOf(node->element);
    m_catalogs.Empty();
    for (int32_t i = 0; i < m_stackCount; ++i) FreeString(&m_stack[i]);
    if (m_stack) ShellFree(m_stack);
    m_stack = nullptr;
    m_stackCount = 0;
    m_stackCapacity = 0;
}

// ---- Handles ---------------------------------------------------------------

FileHandleRecord* FileManager::FindRecord(int32_t handle) {
    if (!m_openFiles.Find(false, [handle](void* element) { return RecordOf(element)->handle == handle; })) return nullptr;
    return RecordOf(m_openFiles.Current());
}

int FileManager::AddPlainRecord(int descriptor) {
    // The descriptor is new, so a record still holding its number is stale
    // (its descriptor was closed behind the file manager's back): forget it.
    if (FileHandleRecord* stale = FindRecord(descriptor)) {
        if (stale->member) {
            plat::FileClose(descriptor);
            LogError("Unable to add file handle list!");
            return -1;
        }
        ShellFree(stale);
        m_openFiles.RemoveCurrent();
    }
    FileHandleRecord* record = static_cast<FileHandleRecord*>(ShellAlloc(sizeof(FileHandleRecord)));
    if (!record) {
        LogError("Unable to allocate memory for file handle!");
        plat::FileClose(descriptor);
        return -1;
    }
    memset(record, 0, sizeof *record);
    record->handle = descriptor;
    if (!m_openFiles.Append(record)) {
        LogError("Unable to add file handle list!");
        ShellFree(record);
        plat::FileClose(descriptor);
        return -1;
    }
    return descriptor;
}

int32_t FileManager::NextMemberHandle() {
    // After the sequence wraps, numbers still in use are passed over.
    for (int32_t attempt = 0; attempt < kMaxMemberSequence; ++attempt) {
        uint32_t n = static_cast<uint32_t>(plat::AtomicIncrement(&g_memberSequence)) - 1u;
        int32_t sequence = static_cast<int32_t>(n % static_cast<uint32_t>(kMaxMemberSequence)) + 1;
        int32_t handle = sequence * 65536;
        if (!FindRecord(handle)) return handle;
    }
    return -1;  // every member handle is in use
}

int FileManager::AddMemberRecord(CatalogFile* catalog, int32_t index) {
    FileHandleRecord* record = static_cast<FileHandleRecord*>(ShellAlloc(sizeof(FileHandleRecord)));
    if (!record) {
        LogError("Unable to allocate memory for file handle!");
        return -1;
    }
    memset(record, 0, sizeof *record);
    int32_t handle = NextMemberHandle();
    bool opened = handle != -1 && (index < 0 ? catalog->OpenMember(handle, record)
                                             : catalog->OpenMemberAt(index, handle, record));
    if (!opened) {
        ShellFree(record);
        return -1;
    }
    if (!m_openFiles.Append(record)) {
        LogError("Unable to add file handle list!");
        catalog->CloseMember(record);
        ShellFree(record);
        return -1;
    }
    return handle;
}

// R1 and R2: a descriptor of the file in the cache directory (by file-name
// part, while caching is on) or under the root directory, or -1.
int FileManager::OpenPlain(const char* name) {
    char path[kPathSize];
    if (m_cacheEnabled == 1) {
        char fileName[kPathSize];
        GetFileName(name, fileName, sizeof fileName);
        if (CombineWhole(m_cacheDirectory, fileName, path)) {
            int descriptor = plat::FileOpenRead(path, plat::AccessHint::Sequential);
            if (descriptor >= 0) return descriptor;
        }
    }
    if (!CombineWhole(m_rootDirectory, name, path)) return -1;
    return plat::FileOpenRead(path, plat::AccessHint::Sequential);
}

// R3 with L1 and L2: the first open catalog, in opening order, that holds the
// file-name part of name; its table cursor is left on the member.
CatalogFile* FileManager::FindInCatalogs(const char* name) {
    char fileName[kPathSize];
    char extension[kPathSize];
    GetFileName(name, fileName, sizeof fileName);
    GetFileExtension(fileName, extension, sizeof extension);
    ToUpperString(fileName);
    ToUpperString(extension);
    for (CursorList::Node* node = m_catalogs.HeadNode(); node; node = node->next) {
        CatalogFile* catalog = CatalogOf(node->element);
        if (catalog && catalog->IsOpen() && catalog->FindMember(fileName, extension)) return catalog;
    }
    return nullptr;
}

int FileManager::fmgOpenFile(const char* name, int raw) {
    plat::LockGuard guard(m_lock);
    if (IsEmptyString(name)) return -1;
    if (NameFits(name)) {
        int descriptor = OpenPlain(name);
        if (descriptor >= 0) return AddPlainRecord(descriptor);
        if (CatalogFile* catalog = FindInCatalogs(name)) {
            int handle = raw ? catalog->RawDescriptor() : AddMemberRecord(catalog, -1);
            if (handle != -1) return handle;
        }
    }
    LogError("File %s not found!", name);
    return -1;
}

void FileManager::fmgCloseFile(int handle) {
    plat::LockGuard guard(m_lock);
    FileHandleRecord* record = FindRecord(handle);
    if (!record) return;
    if (record->member) {
        // A member whose catalog has been closed is only forgotten.
        if (record->catalog) record->catalog->CloseMember(record);
    } else {
        plat::FileClose(record->handle);
    }
    m_openFiles.RemoveCurrent();
    ShellFree(record);
}

int FileManager::fmgReadFile(int handle, void* buffer, uint32_t count) {
    plat::LockGuard guard(m_lock);
    FileHandleRecord* record = FindRecord(handle);
    if (!record) return 0;
    if (record->member && !record->catalog) return 0;
    if (!buffer) return count ? -1 : 0;
    if (record->member) return record->catalog->ReadMember(record, buffer, count);
    return plat::FileRead(record->handle, buffer, count);
}

int FileManager::fmgSeekFile(int handle, int offset, int origin) {
    plat::LockGuard guard(m_lock);
    FileHandleRecord* record = FindRecord(handle);
    if (!record) return 0;
    if (record->member) return record->catalog ? record->catalog->SeekMember(record, offset, origin) : 0;
    return plat::FileSeek(record->handle, offset, origin);
}

int FileManager::fmgCreateFile(const char* name) {
    plat::LockGuard guard(m_lock);
    if (IsEmptyString(name)) return -1;
    char path[kPathSize];
    int descriptor = -1;
    if (NameFits(name) && CombineWhole(m_rootDirectory, name, path))
        descriptor = plat::FileCreateWrite(path, plat::AccessHint::Sequential);
    if (descriptor < 0) {
        LogError("Unable to create file %s!", name);
        return -1;
    }
    return AddPlainRecord(descriptor);
}

int FileManager::fmgWriteFile(int handle, const void* buffer, uint32_t count) {
    plat::LockGuard guard(m_lock);
    FileHandleRecord* record = FindRecord(handle);
    if (!record || record->member) return 0;
    if (!buffer) return count ? -1 : 0;
    return plat::FileWrite(record->handle, buffer, count);
}

int FileManager::fmgFileExists(const char* name, int plainOnly) {
    plat::LockGuard guard(m_lock);
    if (!NameFits(name)) return 0;
    int descriptor = OpenPlain(name);
    if (descriptor >= 0) {
        plat::FileClose(descriptor);
        return 1;
    }
    return plainOnly == 0 && FindInCatalogs(name) ? 1 : 0;
}

int FileManager::fmgGetFileSize(const char* name) {
    plat::LockGuard guard(m_lock);
    if (!NameFits(name)) return 0;
    int descriptor = OpenPlain(name);
    if (descriptor >= 0) {
        int32_t length = plat::FileLength(descriptor);
        plat::FileClose(descriptor);
        return length > 0 ? length : 0;
    }
    CatalogFile* catalog = FindInCatalogs(name);
    return catalog ? static_cast<int>(catalog->FindMemberSize()) : 0;
}

// ---- Directories -------------------------------------------------------------

void FileManager::fmgSetRootDirectory(const char* path) {
    plat::LockGuard guard(m_lock);
    CopyString(m_rootDirectory, IsEmptyString(path) ? ".\\" : path, sizeof m_rootDirectory);
}

void FileManager::fmgGetRootDirectory(char* buffer, int size) {
    plat::LockGuard guard(m_lock);
    if (buffer && size > 0) CopyString(buffer, m_rootDirectory, size);
}

int FileManager::fmgDirectoryExists(const char* path) {
    plat::LockGuard guard(m_lock);
    // Without a way back the working directory is not moved at all.
    if (!PushDirectory()) return plat::DirExists(path) ? 1 : 0;
    int changed = fmgChangeDirectory(path);
    PopDirectory();
    return changed ? 1 : 0;
}

int FileManager::PushDirectory() {
    plat::LockGuard guard(m_lock);
    char directory[kPathSize];
    // A working directory too long for the buffer would come back cut, as
    // another directory: it is not pushed.
    if (!plat::DirGetCurrent(directory, sizeof directory)) {
        LogError("Error PushDirectory - unable to push directory %s", directory);
        return 0;
    }
    char* copy = DuplicateString(directory);
    if (!copy) {
        LogError("Error PushDirectory - unable to allocate memory for %s", directory);
        return 0;
    }
    if (m_stackCount == m_stackCapacity) {
        int32_t capacity = m_stackCapacity ? m_stackCapacity * 2 : 8;
        char** stack = capacity < 32767 ? static_cast<char**>(ShellAlloc(sizeof(char*) * static_cast<size_t>(capacity)))
                                        : nullptr;
        if (!stack) {
            LogError("Error PushDirectory - unable to push directory %s", directory);
            FreeString(&copy);
            return 0;
        }
        if (m_stack) {
            memcpy(stack, m_stack, sizeof(char*) * static_cast<size_t>(m_stackCount));
            ShellFree(m_stack);
        }
        m_stack = stack;
        m_stackCapacity = capacity;
    }
    m_stack[m_stackCount++] = copy;
    return 1;
}

void FileManager::PopDirectory() {
    plat::LockGuard guard(m_lock);
    if (m_stackCount == 0) return;  // nothing pushed: nothing to go back to
    char* directory = m_stack[--m_stackCount];
    m_stack[m_stackCount] = nullptr;
    fmgChangeDirectory(directory);
    FreeString(&directory);
}

int FileManager::fmgChangeDirectory(const char* path) {
    if (IsEmptyString(path)) return 0;
    return plat::DirChange(path) ? 1 : 0;
}

// ---- Cache -------------------------------------------------------------------

void FileManager::fmgSetCacheDirectory(const char* path) {
    plat::LockGuard guard(m_lock);
    CopyString(m_cacheDirectory, IsEmptyString(path) ? ".\\" : path, sizeof m_cacheDirectory);
    if (!DirectoryExists(m_cacheDirectory)) MakeDirectory(m_cacheDirectory);
}

void FileManager::fmgGetCacheDirectory(char* buffer, int size) {
    plat::LockGuard guard(m_lock);
    if (buffer && size > 0) CopyString(buffer, m_cacheDirectory, size);
}

void FileManager::fmgEnableCache(int flag) {
    plat::LockGuard guard(m_lock);
    m_cacheEnabled = flag;
}

int FileManager::fmgWriteCacheFile(const char* name, const void* data, int size) {
    plat::LockGuard guard(m_lock);
    if (m_cacheEnabled != 1 || size <= 0 || !data || IsEmptyString(name)) return 0;
    char fileName[kPathSize];
    char path[kPathSize];
    GetFileName(name, fileName, sizeof fileName);
    int descriptor = -1;
    bool fits = NameFits(name) && CombineWhole(m_cacheDirectory, fileName, path);
    if (fits) descriptor = plat::FileCreateWrite(path, plat::AccessHint::Sequential);
    if (descriptor < 0) {
        if (!fits) CombinePath(m_cacheDirectory, fileName, path, sizeof path);
        LogError("Unable to create cache file %s!", path);
        return 0;
    }
    int written = plat::FileWrite(descriptor, data, static_cast<uint32_t>(size));
    plat::FileClose(descriptor);
    return written == size ? 1 : 0;
}

void FileManager::fmgClearCache() {
    plat::LockGuard guard(m_lock);
    // Without a cache directory to stand in, nothing is deleted: the working
    // directory holds the game's own files.
    if (IsEmptyString(m_cacheDirectory) || !PushDirectory()) return;
    char directory[kPathSize];
    if (fmgChangeDirectory(m_cacheDirectory) && plat::DirGetCurrent(directory, sizeof directory)) {
        // Names are listed and deleted by full path, so that another thread
        // moving the working directory cannot redirect the deletion.
        char pattern[kPathSize];
        if (CombineWhole(directory, "*.*", pattern)) {
            int count = CountFiles(pattern);
            StringPool names;
            if (count > 0 && names.Allocate(count * kPathSize)) {
                CollectFileNames(&names, pattern, false);
                for (names.Rewind(); names.HasMore(); names.Next()) {
                    char path[kPathSize];
                    if (CombineWhole(directory, names.Current(), path)) DeleteFileByName(path);
                }
            }
        }
    }
    PopDirectory();
}

// ---- Checksums ---------------------------------------------------------------

int FileManager::fmgVerifyFile(const char* name, int size, uint32_t checksum) {
    plat::LockGuard guard(m_lock);
    return fmgFileExists(name, 0) && fmgGetFileSize(name) == size && fmgGetCheckSum(name) == checksum ? 1 : 0;
}

uint32_t FileManager::fmgGetCheckSum(const char* name) {
    plat::LockGuard guard(m_lock);
    if (!fmgFileExists(name, 0)) return 0xFFFFFFFFu;
    int size = fmgGetFileSize(name);
    if (size <= 0) return 0;
    int handle = fmgOpenFile(name, 0);
    if (handle == -1) {
        LogError("fmgGetCheckSum: unable to open %s!", name);
        return 0;
    }
    // The file is read in pieces: a large file needs no buffer of its size.
    uint32_t remaining = static_cast<uint32_t>(size);
    uint32_t chunk = remaining < kChecksumChunk ? remaining : kChecksumChunk;
    unsigned char fallback[4096];
    unsigned char* buffer = static_cast<unsigned char*>(ShellAlloc(chunk));
    if (!buffer) {
        buffer = fallback;
        chunk = sizeof fallback;
    }
    uint32_t crc = 0;
    while (remaining > 0) {
        int got = fmgReadFile(handle, buffer, remaining < chunk ? remaining : chunk);
        if (got <= 0) break;
        crc = Crc32(crc, buffer, static_cast<size_t>(got));
        remaining -= static_cast<uint32_t>(got);
    }
    if (buffer != fallback) ShellFree(buffer);
    fmgCloseFile(handle);
    return crc;
}

// ---- Catalogs ----------------------------------------------------------------

int FileManager::fmgOpenCatalog(const char* path) {
    plat::LockGuard guard(m_lock);
    if (CatalogFile* open = FindCatalog(path)) {
        open->AddReference();
        return 1;
    }
    CatalogFile* catalog = new (std::nothrow) CatalogFile;
    if (!catalog) {
        LogError("Unable to allocate memory for catalog file %s!", path ? path : "");
        return 0;
    }
    if (!catalog->Open(path)) {
        LogError("Error opening catalog file %s!", path ? path : "");
        delete catalog;
        return 0;
    }
    if (!m_catalogs.Append(catalog)) {
        LogError("Unable to append catalog %s to the catalog list!", path);
        delete catalog;
        return 0;
    }
    catalog->AddReference();
    return 1;
}

void FileManager::fmgCloseCatalog(const char* path) {
    plat::LockGuard guard(m_lock);
    CatalogFile* catalog = FindCatalog(path);
    if (!catalog || catalog->DropReference() > 0) return;
    m_catalogs.RemoveCurrent();
    DestroyCatalog(catalog);
}

void FileManager::fmgCloseAllCatalogs() {
    plat::LockGuard guard(m_lock);
    for (CursorList::Node* node = m_catalogs.HeadNode(); node; node = node->next) DestroyCatalog(CatalogOf(node->element));
    m_catalogs.Empty();
}

// Member handles of the catalog stay valid as handles but are cut loose: they
// read nothing, and closing them only forgets them.
void FileManager::DestroyCatalog(CatalogFile* catalog) {
    if (!catalog) return;
    catalog->Close();
    for (CursorList::Node* node = m_openFiles.HeadNode(); node; node = node->next) {
        FileHandleRecord* record = RecordOf(node->element);
        if (record && record->catalog == catalog) record->catalog = nullptr;
    }
    delete catalog;
}

CatalogFile* FileManager::FindCatalog(const char* path) {
    plat::LockGuard guard(m_lock);
    if (!m_catalogs.Find(IsEmptyString(path), [path](void* element) { return CatalogOf(element)->HasPath(path); }))
        return nullptr;
    return CatalogOf(m_catalogs.Current());
}

int FileManager::OpenCatalogMember(const char* catalogPath, int32_t index) {
    plat::LockGuard guard(m_lock);
    CatalogFile* catalog = FindCatalog(catalogPath);
    if (!catalog || index < 0 || index >= catalog->EntryCount()) return -1;
    return AddMemberRecord(catalog, index);
}

int32_t FileManager::OpenHandleCount() {
    plat::LockGuard guard(m_lock);
    return m_openFiles.Count();
}

int32_t FileManager::CatalogCount() {
    plat::LockGuard guard(m_lock);
    return m_catalogs.Count();
}

int32_t FileManager::DirectoryDepth() {
    plat::LockGuard guard(m_lock);
    return m_stackCount;
}
