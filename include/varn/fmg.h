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

    virtual int fmgDirectoryExists(const char* path) = 0;                               // 0
    virtual void fmgCloseAllCatalogs() = 0;                                             // 1
    virtual int fmgOpenCatalog(const char* path) = 0;                                   // 2
    virtual void fmgCloseCatalog(const char* path) = 0;                                 // 3
    virtual int fmgOpenFile(const char* name, int raw) = 0;                             // 4
    virtual void fmgCloseFile(int handle) = 0;                                          // 5
    virtual int fmgReadFile(int handle, void* buffer, uint32_t count) = 0;              // 6
    virtual int fmgSeekFile(int handle, int offset, int origin) = 0;                    // 7
    virtual int fmgCreateFile(const char* name) = 0;                                    // 8
    virtual int fmgWriteFile(int handle, const void* buffer, uint32_t count) = 0;       // 9
    virtual int fmgFileExists(const char* name, int plainOnly) = 0;                     // 10
    virtual int fmgGetFileSize(const char* name) = 0;                                   // 11
    virtual void fmgSetRootDirectory(const char* path) = 0;                             // 12
    virtual void fmgGetRootDirectory(char* buffer, int size) = 0;                       // 13
    virtual int PushDirectory() = 0;                                                    // 14
    virtual void PopDirectory() = 0;                                                    // 15
    virtual int fmgChangeDirectory(const char* path) = 0;                               // 16
    virtual void fmgSetCacheDirectory(const char* path) = 0;                            // 17
    virtual void fmgGetCacheDirectory(char* buffer, int size) = 0;                      // 18
    virtual void fmgEnableCache(int flag) = 0;                                          // 19
    virtual int fmgWriteCacheFile(const char* name, const void* data, int size) = 0;    // 20
    virtual void fmgClearCache() = 0;                                                   // 21
    virtual int fmgVerifyFile(const char* name, int size, uint32_t checksum) = 0;       // 22
    virtual uint32_t fmgGetCheckSum(const char* name) = 0;                              // 23
};
