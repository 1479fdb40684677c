#include "core/interface_manager.h"

#include "files/paths.h"
#include "files/strings.h"
#include "shell_base/log.h"
#include "shell_base/shell_memory.h"

#include <cstdio>

namespace {

const char kHostOwner[] = "the host";

// An id is meant to be three upper-case letters; others still work.
bool WellFormedId(const char* id) {
    for (int i = 0; i < 3; ++i) {
        if (id[i] < 'A' || id[i] > 'Z') return false;
    }
    return id[3] == 0;
}

// The file-name part of the module that owner names: a copy from the shared
// heap, or null for the host (owner 0) or an owner that is no loaded module
// (then "module 0x..." is kept instead).
char* OwnerName(uintptr_t owner) {
    if (owner == 0) return nullptr;
    char path[kPathSize];
    char unknown[32];
    const char* name = path;
    if (plat::LibraryFileName(reinterpret_cast<plat::LibraryHandle>(owner), path, sizeof path)) {
        for (const char* at = path; *at; ++at) {
            if (*at == '\\' || *at == '/') name = at + 1;
        }
    } else {
        snprintf(unknown, sizeof unknown, "module 0x%llx", static_cast<unsigned long long>(owner));
        name = unknown;
    }
    return DuplicateString(name);
}

const char* Named(const char* ownerName) { return ownerName ? ownerName : kHostOwner; }

}  // namespace

InterfaceManager::~InterfaceManager() { FreeAll(false); }

bool InterfaceManager::Lookup(const char* id) {
    return m_entries.Find(IsEmptyString(id), [id](void* element) {
        const InterfaceEntry* entry = static_cast<const InterfaceEntry*>(element);
        return entry->id && StringsEqual(entry->id, id, true);
    });
}

InterfaceManager::InterfaceEntry* InterfaceManager::Peek(const char* id) {
    if (IsEmptyString(id)) return nullptr;
    for (CursorList::Node* node = m_entries.HeadNode(); node; node = node->next) {
        InterfaceEntry* entry = static_cast<InterfaceEntry*>(node->element);
        if (entry && entry->id && StringsEqual(entry->id, id, true)) return entry;
    }
    return nullptr;
}

int32_t InterfaceManager::RegisterInterface(const char* id, void* object, uintptr_t owner) {
    if (IsEmptyString(id)) {
        // An entry under an empty id could never be found or withdrawn.
        LogError("Unable to register Interface %s!", "");
        return 0;
    }
    // Asked of the system loader before the registry lock is taken, so that
    // the loader's own lock is never taken inside this one.
    char* ownerName = OwnerName(owner);
    plat::LockGuard guard(m_lock);
    if (Lookup(id)) {
        LogWarning("Interface %s already registered.", id);
        LogWarning("...Interface %s belongs to %s; %s registered it again.", id, Named(Current()->ownerName),
                   Named(ownerName));
        FreeString(&ownerName);
        return 0;
    }
    if (!WellFormedId(id))
        LogWarning("Interface id \"%s\" of %s is not three upper-case letters; it is registered all the same.", id,
                   Named(ownerName));
    // An entry without its id copy could never be found or withdrawn again,
    // so a failed copy fails the registration like any other allocation.
    InterfaceEntry* entry = static_cast<InterfaceEntry*>(ShellAlloc(sizeof(InterfaceEntry)));
    char* copy = entry ? DuplicateString(id) : nullptr;
    if (!entry || !copy || !m_entries.Append(entry)) {
        FreeString(&copy);
        FreeString(&ownerName);
        ShellFree(entry);
        LogError("Unable to register Interface %s!", id);
        return 0;
    }
    entry->id = copy;
    entry->object = object;
    entry->owner = owner;
    entry->ownerName = ownerName;
    entry->count = 0;
    entry->delayed = 0;
    return 1;
}

int32_t InterfaceManager::UnregisterInterface(const char* id) {
    plat::LockGuard guard(m_lock);
    if (!Lookup(id)) {
        LogWarning("Unable to unregister Interface %s.", id ? id : "");
        return 0;
    }
    InterfaceEntry* entry = Current();
    if (entry->count != 0) {
        LogWarning("Register count for Interface %s is non-zero (%d)!", id, entry->count);
        LogWarning("...Interface %s belongs to %s.", id, Named(entry->ownerName));
    }
    FreeEntry(entry);
    m_entries.RemoveCurrent();
    LogNotice("Interface %s successfully unregistered.", id);
    return 1;
}

int32_t InterfaceManager::GetInterface(const char* id, void** out) {
    plat::LockGuard guard(m_lock);
    if (out && Lookup(id) && !Current()->delayed) {
        InterfaceEntry* entry = Current();
        plat::AtomicIncrement(&entry->count);
        *out = entry->object;
        return 1;
    }
    LogWarning("Unable to get Interface %s!", id ? id : "");
    return 0;
}

int32_t InterfaceManager::ReleaseInterface(const char* id, void** holder) {
    DelayedReleaseCallback callback = nullptr;
    uintptr_t owner = 0;
    {
        plat::LockGuard guard(m_lock);
        if (!holder || !*holder) return 0;
        if (!Lookup(id)) {
            LogError("Unable to release Interface %s!", id ? id : "");
            return 0;
        }
        InterfaceEntry* entry = Current();
        int32_t count = plat::AtomicDecrement(&entry->count);
        *holder = nullptr;
        if (entry->delayed && m_callback && count <= 0) {
            callback = m_callback;
            owner = entry->owner;
        }
    }
    // The delayed free runs after the registry lock is given back: it takes
    // the module loader's lock, and the loader takes this lock inside its
    // own, so the two locks are only ever nested loader-then-registry.
    if (callback) callback(owner);
    return 1;
}

int32_t InterfaceManager::TryReleaseOwner(uintptr_t owner, DelayedReleaseCallback callback) {
    plat::LockGuard guard(m_lock);
    for (void* element = m_entries.First(); m_entries.CurrentNode(); element = m_entries.Next()) {
        InterfaceEntry* entry = static_cast<InterfaceEntry*>(element);
        if (entry && entry->owner != 0 && entry->owner == owner && entry->count > 0) {
            entry->delayed = 1;
            m_callback = callback;
            return 0;
        }
    }
    return 1;
}

IInterfaceManager* InterfaceManager::Init() {
    FreeAll(false);
    LogInfo("Interface Manager initialized...");
    return this;
}

void InterfaceManager::Deinit() {
    FreeAll(true);
    LogInfo("Interface Manager deinitialized...");
}

void InterfaceManager::FreeAll(bool warnHeld) {
    plat::LockGuard guard(m_lock);
    for (CursorList::Node* node = m_entries.HeadNode(); node; node = node->next) {
        InterfaceEntry* entry = static_cast<InterfaceEntry*>(node->element);
        if (!entry) continue;
        const char* id = entry->id ? entry->id : "";
        if (warnHeld) {
            // Whatever is left was never unregistered by its owner.
            LogWarning("...Interface %s of %s still registered (reference count %d).", id, Named(entry->ownerName),
                       entry->count);
            if (entry->count > 0) LogWarning("...Interface %s has reference count of %d.", id, entry->count);
        }
        FreeEntry(entry);
        node->element = nullptr;
    }
    m_entries.Empty();
}

void InterfaceManager::FreeEntry(InterfaceEntry* entry) {
    FreeString(&entry->id);
    FreeString(&entry->ownerName);
    ShellFree(entry);
}

int32_t InterfaceManager::EntryCount() {
    plat::LockGuard guard(m_lock);
    return m_entries.Count();
}

int32_t InterfaceManager::ReferenceCount(const char* id) {
    plat::LockGuard guard(m_lock);
    InterfaceEntry* entry = Peek(id);
    return entry ? entry->count : -1;
}

int32_t InterfaceManager::IsDelayed(const char* id) {
    plat::LockGuard guard(m_lock);
    InterfaceEntry* entry = Peek(id);
    return entry ? entry->delayed : -1;
}
