// "DLL": the module loader. Loads module DLLs by name from its directory, runs
// their InitDLL/ExitDLL, counts requests per name (case-sensitively) and keeps
// a module loaded while another party holds one of its interfaces.
#pragma once

#include "sdk.h"

class IDllLibraryManager {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_DLL;

    // 0: sets the directory names are resolved against (at most 259
    // characters); null or "" restores ".\".
    virtual void dllSetDirectory(const char* directory) = 0;
    // 1: the directory buffer.
    virtual const char* dllGetDirectory() = 0;
    // 2: loads name (default extension "DLL") or counts one more request for
    // it. 1 when loaded; 0 when the file cannot be loaded.
    virtual int32_t dllLoadLibrary(const char* name) = 0;
    // 3: counts one request less; at none left, unloads the module. 1 when
    // counted or unloaded; 0 when unknown or while its interfaces are held (it
    // is then unloaded when the last holder lets go).
    virtual int32_t dllFreeLibrary(const char* name) = 0;
    // 4: unloads every module none of whose interfaces is held, whatever its
    // count. Returns 0.
    virtual int32_t dllFreeAll() = 0;
};
