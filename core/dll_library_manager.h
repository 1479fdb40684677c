// The module loader ("DLL"): loads module DLLs by name, counts the requests
// for each name, runs their InitDLL and ExitDLL exports, and keeps a module
// loaded while any of its interfaces is held, freeing it when the last holder
// lets go (through the registry's delayed-release callback). The opt-in log
// says which file each load took, why a load failed, and which DLL exports no
// InitDLL.
#pragma once

#include "files/cursor_list.h"
#include "files/paths.h"
#include "platform/platform.h"
#include "varn/dll.h"

class DllLibraryManager final : public IDllLibraryManager {
public:
    DllLibraryManager() = default;
    ~DllLibraryManager();
    DllLibraryManager(const DllLibraryManager&) = delete;
    DllLibraryManager& operator=(const DllLibraryManager&) = delete;

    void dllSetDirectory(const char* directory) override;
    const char* dllGetDirectory() override;
    int32_t dllLoadLibrary(const char* name) override;
    int32_t dllFreeLibrary(const char* name) override;
    int32_t dllFreeAll() override;

    // Bring-up: empties the path, sets the directory to ".\" and empties the
    // list; modules receive registry in InitDLL and are released through it.
    // This manager becomes the one the delayed-release callback reaches.
    void Reset(IInterfaceManager* registry);

    // The delayed free of the module with this handle (the registry calls it
    // when the last holder of its delayed interface lets go). A module that
    // was requested again meanwhile, or that still has another interface
    // held, stays loaded.
    void dllFreeDelayed(uintptr_t module);

    // Inspection: the file name composed by the latest load, the number of
    // libraries, and the use count of a name (-1 when absent).
    const char* LastPath() const { return m_path; }
    // Why the latest load that failed failed ("no such file", ...).
    const char* LastFailure() const { return m_failure; }
    int32_t LibraryCount();
    int32_t UseCount(const char* name);

private:
    struct LibraryRecord {
        uintptr_t module;
        char* name;
        volatile int32_t useCount;
        int32_t unloading;  // ExitDLL is running: no second unload
        int32_t forced;     // dllFreeAll was refused: unload when free, whatever the count
        uint32_t pass;      // the dllFreeAll pass that last visited it
    };

    static void VARN_CDECL DelayedFree(uintptr_t module);

    bool FindName(const char* name);
    bool FindModule(uintptr_t module);
    bool FindRecord(const LibraryRecord* record);
    LibraryRecord* Current() const { return static_cast<LibraryRecord*>(m_libraries.Current()); }
    int32_t OwnerIsFree(uintptr_t module);
    void Unload(LibraryRecord* record);
    void FreeRecords();

    char m_directory[kPathSize] = ".\\";
    char m_path[kPathSize] = "";
    char m_failure[128] = "";
    plat::ReentrantLock m_lock;
    CursorList m_libraries;
    IInterfaceManager* m_registry = nullptr;
    uint32_t m_pass = 0;
};

// The host's module loader.
DllLibraryManager& TheDllLibraryManager();
