// "FMG": the host's file service. Game files are opened by name through it; a
// name is looked up in the cache directory (while caching is on), then in the
// root directory, then in the open catalog archives in the order they were
// opened. Texts are byte strings of at most 259 characters and a zero byte.
//
// Handles: a plain file's handle is its descriptor number; a catalog member's
// handle is a multiple of 65536; -1 means failure.
#pragma once

#include "sdk.h"

class IFileManager {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_FMG;

    // 0: 1 when the working directory can be changed to path (it is changed
    // back at once).
    virtual int fmgDirectoryExists(const char* path) = 0;
    // 1: closes every catalog, whatever its count of opens.
    virtual void fmgCloseAllCatalogs() = 0;
    // 2: opens the catalog archive at path, or counts one more open of it. 1;
    // 0 when it cannot be read (nothing of it is kept).
    virtual int fmgOpenCatalog(const char* path) = 0;
    // 3: counts one open less; the catalog closes when none is left.
    virtual void fmgCloseCatalog(const char* path) = 0;
    // 4: opens name for reading: the cache directory (while caching is on),
    // the root directory, then the open catalogs. The handle; -1 when not
    // found. raw 0: a catalog member gets a member handle that fmgReadFile
    // and fmgSeekFile serve within the member. raw nonzero: for a member,
    // the catalog file's own descriptor is returned as it is (not at the
    // member, its position unchanged, not to be closed with fmgCloseFile),
    // for a caller that reads the catalog itself; plain files are opened as
    // with 0.
    virtual int fmgOpenFile(const char* name, int raw) = 0;
    // 5: closes a handle of fmgOpenFile or fmgCreateFile; others are ignored.
    virtual void fmgCloseFile(int handle) = 0;
    // 6: reads up to count bytes; the number read, 0 at the end or for a
    // handle that is not open.
    virtual int fmgReadFile(int handle, void* buffer, uint32_t count) = 0;
    // 7: moves the position (origin 0 start, 1 current, 2 end); the new
    // position, 0 for a handle that is not open.
    virtual int fmgSeekFile(int handle, int offset, int origin) = 0;
    // 8: creates or empties name in the root directory for writing; the
    // handle, -1 on failure.
    virtual int fmgCreateFile(const char* name) = 0;
    // 9: writes count bytes to a plain file; the number written, 0 for a
    // member or a handle that is not open.
    virtual int fmgWriteFile(int handle, const void* buffer, uint32_t count) = 0;
    // 10: 1 when name can be opened as a plain file, or (plainOnly 0) is a
    // member of an open catalog.
    virtual int fmgFileExists(const char* name, int plainOnly) = 0;
    // 11: the size of name (plain file or member); 0 when not found.
    virtual int fmgGetFileSize(const char* name) = 0;
    // 12: the directory names are read against (empty or null: ".\").
    virtual void fmgSetRootDirectory(const char* path) = 0;
    // 13: copies the root directory into buffer (size bytes, terminated).
    virtual void fmgGetRootDirectory(char* buffer, int size) = 0;
    // 14: remembers the working directory on a stack. 1; 0 when short of memory.
    virtual int PushDirectory() = 0;
    // 15: changes back to the directory remembered last and forgets it.
    virtual void PopDirectory() = 0;
    // 16: changes the working directory. 1; 0 for an empty path or on failure.
    virtual int fmgChangeDirectory(const char* path) = 0;
    // 17: the cache directory (empty or null: ".\"), made when missing.
    virtual void fmgSetCacheDirectory(const char* path) = 0;
    // 18: copies the cache directory into buffer (size bytes, terminated).
    virtual void fmgGetCacheDirectory(char* buffer, int size) = 0;
    // 19: 1 makes reads look in the cache directory first.
    virtual void fmgEnableCache(int flag) = 0;
    // 20: writes size bytes as the file-name part of name in the cache
    // directory. 1; 0 while caching is off, for no data, or on failure.
    virtual int fmgWriteCacheFile(const char* name, const void* data, int size) = 0;
    // 21: deletes every file in the cache directory.
    virtual void fmgClearCache() = 0;
    // 22: 1 when name exists with this size and CRC-32.
    virtual int fmgVerifyFile(const char* name, int size, uint32_t checksum) = 0;
    // 23: the CRC-32 of name's bytes; 0xFFFFFFFF when not found, 0 when empty.
    virtual uint32_t fmgGetCheckSum(const char* name) = 0;
};
