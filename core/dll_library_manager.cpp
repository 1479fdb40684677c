#include "core/dll_library_manager.h"

#include "files/strings.h"
#include "shell_base/log.h"
#include "shell_base/shell_memory.h"
#include "varn/registry.h"

#include <atomic>

namespace {

const char kDefaultDirectory[] = ".\\";

// The manager the registry's delayed-release callback forwards to.
std::atomic<DllLibraryManager*> g_delayedTarget{nullptr};

template <class Function>
Function Export(uintptr_t module, const char* name) {
    void* symbol = plat::LibrarySymbol(reinterpret_cast<plat::LibraryHandle>(module), name);
    return reinterpret_cast<Function>(symbol);
}

}  // namespace

DllLibraryManager::~DllLibraryManager() {
    DllLibraryManager* self = this;
    g_delayedTarget.compare_exchange_strong(self, nullptr);
    FreeRecords();
}

// Forgets every record; the modules themselves stay loaded to the process end.
void DllLibraryManager::FreeRecords() {
    for (CursorList::Node* node = m_libraries.HeadNode(); node; node = node->next) {
        LibraryRecord* record = static_cast<LibraryRecord*>(node->element);
        if (!record) continue;
        FreeString(&record->name);
        ShellFree(record);
        node->element = nullptr;
    }
    m_libraries.Empty();
}

void VARN_CDECL DllLibraryManager::DelayedFree(uintptr_t module) {
    if (DllLibraryManager* manager = g_delayedTarget.load()) manager->dllFreeDelayed(module);
}

void DllLibraryManager::Reset(IInterfaceManager* registry) {
    plat::LockGuard guard(m_lock);
    m_registry = registry;
    ClearString(m_path);
    CopyString(m_directory, kDefaultDirectory, sizeof m_directory);
    FreeRecords();
    g_delayedTarget.store(this);
}

void DllLibraryManager::dllSetDirectory(const char* directory) {
    plat::LockGuard guard(m_lock);
    CopyString(m_directory, IsEmptyString(directory) ? kDefaultDirectory : directory, sizeof m_directory);
}

const char* DllLibraryManager::dllGetDirectory() { return m_directory; }

bool DllLibraryManager::FindName(const char* name) {
    return m_libraries.Find(IsEmptyString(name), [name](void* element) {
        const LibraryRecord* record = static_cast<const LibraryRecord*>(element);
        return record->name && StringsEqual(record->name, name, true);
    });
}

bool DllLibraryManager::FindModule(uintptr_t module) {
    return m_libraries.Find(module == 0, [module](void* element) {
        return static_cast<const LibraryRecord*>(element)->module == module;
    });
}

bool DllLibraryManager::FindRecord(const LibraryRecord* record) {
    return m_libraries.Find(record == nullptr, [record](void* element) { return element == record; });
}

int32_t DllLibraryManager::OwnerIsFree(uintptr_t module) {
    return m_registry ? m_registry->TryReleaseOwner(module, &DelayedFree) : 1;
}

int32_t DllLibraryManager::dllLoadLibrary(const char* name) {
    plat::LockGuard guard(m_lock);
    if (FindName(name)) {
        Current()->forced = 0;
        plat::AtomicIncrement(&Current()->useCount);
        return 1;
    }
    MakeFilePath(m_directory, name, "DLL", m_path, sizeof m_path);
    plat::LibraryHandle library = plat::LibraryLoad(m_path);
    if (!library) {
        CopyString(m_failure, plat::LibraryLastError(), sizeof m_failure);
        LogError("...unable to load DLL library %s!", m_path);
        LogError("...%s: %s.", m_path, m_failure);
        return 0;
    }
    plat::LibraryDisableThreadCalls(library);

    LibraryRecord* record = static_cast<LibraryRecord*>(ShellAlloc(sizeof(LibraryRecord)));
    if (!record) {
        CopyString(m_failure, "out of memory", sizeof m_failure);
        LogError("...unable to allocate memory for DLL library %s!", name);
        plat::LibraryFree(library);
        LogError("...unable to load DLL library %s!", m_path);
        return 0;
    }
    record->module = 0;
    record->name = DuplicateString(name);
    record->useCount = 0;
    record->unloading = 0;
    record->forced = 0;
    record->pass = 0;
    // Without its name copy the record could never be found again.
    if (!record->name || !m_libraries.Append(record)) {
        CopyString(m_failure, "out of memory", sizeof m_failure);
        LogError("...unable to append DLL library %s to the list!", name);
        FreeString(&record->name);
        ShellFree(record);
        plat::LibraryFree(library);
        LogError("...unable to load DLL library %s!", m_path);
        return 0;
    }
    record->module = reinterpret_cast<uintptr_t>(library);
    LogInfo("DLL library %s loaded.", m_path);
    if (InitDllFunction init = Export<InitDllFunction>(record->module, VARN_INIT_DLL_NAME))
        init(record->module, m_registry);
    else
        // Loaded all the same; the module publishes nothing. A misspelt export
        // ("InitDll") is the usual cause.
        LogWarning("...DLL library %s exports no %s: loaded, but nothing of it runs.", m_path, VARN_INIT_DLL_NAME);
    plat::AtomicIncrement(&record->useCount);
    return 1;
}

void DllLibraryManager::Unload(LibraryRecord* record) {
    record->unloading = 1;
    if (ExitDllFunction exit = Export<ExitDllFunction>(record->module, VARN_EXIT_DLL_NAME)) exit();
    plat::LibraryFree(reinterpret_cast<plat::LibraryHandle>(record->module));
    record->module = 0;
    LogInfo("DLL library %s freed.", record->name);
    // ExitDLL may have loaded or freed other libraries and moved the position.
    if (FindRecord(record)) m_libraries.RemoveCurrent();
    FreeString(&record->name);
    ShellFree(record);
}

int32_t DllLibraryManager::dllFreeLibrary(const char* name) {
    plat::LockGuard guard(m_lock);
    if (!FindName(name) || Current()->unloading) {
        LogWarning("...unable to free DLL library %s.", name ? name : "");
        return 0;
    }
    LibraryRecord* record = Current();
    // A library already waiting for its delayed free keeps its count at 0, so
    // that a new request for it counts 1 and keeps it loaded.
    if (record->useCount > 0) {
        int32_t count = plat::AtomicDecrement(&record->useCount);
        if (count > 0) {
            LogNotice("...DLL library %s still in use (%d).", name, count);
            return 1;
        }
    }
    if (!OwnerIsFree(record->module)) {
        LogWarning("...unable to free DLL library %s.", name);
        return 0;
    }
    Unload(record);
    return 1;
}

int32_t DllLibraryManager::dllFreeAll() {
    plat::LockGuard guard(m_lock);
    // Each record is visited once; the walk restarts from the head after each
    // visit because an ExitDLL may load or free other libraries.
    uint32_t pass = ++m_pass;
    for (;;) {
        LibraryRecord* record = nullptr;
        for (CursorList::Node* node = m_libraries.HeadNode(); node && !record; node = node->next) {
            LibraryRecord* candidate = static_cast<LibraryRecord*>(node->element);
            if (candidate && candidate->pass != pass && !candidate->unloading) record = candidate;
        }
        if (!record) break;
        record->pass = pass;
        if (OwnerIsFree(record->module)) {
            LogNotice("Freeing DLL library %s.", record->name);
            Unload(record);
        } else {
            LogWarning("...unable to free DLL library %s.", record->name);
            record->forced = 1;
        }
    }
    return 0;
}

void DllLibraryManager::dllFreeDelayed(uintptr_t module) {
    plat::LockGuard guard(m_lock);
    if (!FindModule(module)) return;
    LibraryRecord* record = Current();
    // Requested again while it waited: it stays for its new holder (unless
    // the whole set is being unloaded).
    if (record->unloading || (record->useCount > 0 && !record->forced)) return;
    // Another of its interfaces still held: that one is now the delayed one.
    if (!OwnerIsFree(module)) return;
    LogInfo("Freeing Delayed DLL library %s...", record->name);
    Unload(record);
}

int32_t DllLibraryManager::LibraryCount() {
    plat::LockGuard guard(m_lock);
    return m_libraries.Count();
}

int32_t DllLibraryManager::UseCount(const char* name) {
    plat::LockGuard guard(m_lock);
    for (CursorList::Node* node = m_libraries.HeadNode(); node; node = node->next) {
        const LibraryRecord* record = static_cast<const LibraryRecord*>(node->element);
        if (record && record->name && StringsEqual(record->name, name ? name : "", true)) return record->useCount;
    }
    return -1;
}
