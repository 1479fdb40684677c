// FileManager: the host's file service, published as "FMG". It resolves names
// (cache directory while caching is on, root directory, open catalogs in
// opening order), gives out plain and member handles, keeps a stack of
// working directories and the cache directory, and computes CRC-32 checksums.
//
// Every operation but fmgChangeDirectory holds the object's re-entrant lock,
// and operations call one another through the interface, so that a replaced
// operation is seen by the others.
#pragma once

#include "files/catalog_file.h"
#include "files/cursor_list.h"
#include "files/paths.h"
#include "platform/platform.h"
#include "varn/fmg.h"

#include <cstdint>

class FileManager : public IFileManager {
public:
    // Member handles are sequence numbers 1..kMaxMemberSequence times 65536,
    // so they stay positive and never meet a descriptor number.
    static constexpr int32_t kMaxMemberSequence = 32767;
    // The directory stack holds at most this many entries.
    static constexpr int32_t kMaxDirectoryDepth = 16384;

    FileManager();
    ~FileManager();
    FileManager(const FileManager&) = delete;
    FileManager& operator=(const FileManager&) = delete;

    // Before publication: empty lists, caching off, no cache directory, root ".\".
    void Initialize();
    // After withdrawal: closes every handle and catalog, frees the directory stack.
    void Shutdown();

    int fmgDirectoryExists(const char* path) override;
    void fmgCloseAllCatalogs() override;
    int fmgOpenCatalog(const char* path) override;
    void fmgCloseCatalog(const char* path) override;
    int fmgOpenFile(const char* name, int raw) override;
    void fmgCloseFile(int handle) override;
    int fmgReadFile(int handle, void* buffer, uint32_t count) override;
    int fmgSeekFile(int handle, int offset, int origin) override;
    int fmgCreateFile(const char* name) override;
    int fmgWriteFile(int handle, const void* buffer, uint32_t count) override;
    int fmgFileExists(const char* name, int plainOnly) override;
    int fmgGetFileSize(const char* name) override;
    void fmgSetRootDirectory(const char* path) override;
    void fmgGetRootDirectory(char* buffer, int size) override;
    int PushDirectory() override;
    void PopDirectory() override;
    int fmgChangeDirectory(const char* path) override;
    void fmgSetCacheDirectory(const char* path) override;
    void fmgGetCacheDirectory(char* buffer, int size) override;
    void fmgEnableCache(int flag) override;
    int fmgWriteCacheFile(const char* name, const void* data, int size) override;
    void fmgClearCache() override;
    int fmgVerifyFile(const char* name, int size, uint32_t checksum) override;
    uint32_t fmgGetCheckSum(const char* name) override;

    // For tools and tests, beyond the published operations: the open catalog
    // with this path (null when none), and a member handle for the entry at
    // index of that catalog (-1 when there is none).
    CatalogFile* FindCatalog(const char* path);
    int OpenCatalogMember(const char* catalogPath, int32_t index);
    int32_t OpenHandleCount();
    int32_t CatalogCount();
    int32_t DirectoryDepth();

private:
    FileHandleRecord* FindRecord(int32_t handle);
    int OpenPlain(const char* name);
    CatalogFile* FindInCatalogs(const char* name);
    int AddPlainRecord(int descriptor);
    int AddMemberRecord(CatalogFile* catalog, int32_t index);
    int32_t NextMemberHandle();
    void DestroyCatalog(CatalogFile* catalog);
    void CloseEverything();

    plat::ReentrantLock m_lock;
    int m_cacheEnabled = 0;
    char m_cacheDirectory[kPathSize] = "";
    char m_rootDirectory[kPathSize] = ".\\";
    CursorList m_catalogs;   // CatalogFile*, oldest first
    CursorList m_openFiles;  // FileHandleRecord*
    char** m_stack = nullptr;
    int32_t m_stackCount = 0;
    int32_t m_stackCapacity = 0;
};
