#include "core/interface_manager.h"

#include "files/strings.h"
#include "shell/log.h"
#include "shell/shell_memory.h"

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
    plat::LockGuard guard(m_lock);
    if (IsEmptyString(id)) {
        // An entry under an empty id could never be found or withdrawn.
        LogError("Unable to register Interface %s!", "");
        return 0;
    }
    if (Lookup(id)) {
        LogWarning("Interface %s already registered.", id);
        return 0;
    }
    // An entry without its id copy could never be found or withdrawn again,
    // so a failed copy fails the registration like any other allocation.
    InterfaceEntry* entry = static_cast<InterfaceEntry*>(ShellAlloc(sizeof(InterfaceEntry)));
    char* copy = entry ? DuplicateString(id) : nullptr;
    if (!entry || !copy || !m_entries.Append(entry)) {
        FreeString(&copy);
        ShellFree(entry);
        LogError("Unable to register Interface %s!", id);
        return 0;
    }
    entry->id = copy;
    entry->object = object;
    entry->owner = owner;
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
    if (entry->count != 0) LogWarning("Register count for Interface %s is non-zero (%d)!", id, entry->count);
    FreeString(&entry->id);
    ShellFree(entry);
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
        if (warnHeld && entry->count > 0)
            LogWarning("...Interface %s has reference count of %d.", entry->id ? entry->id : "", entry->count);
        FreeString(&entry->id);
        ShellFree(entry);
        node->element = nullptr;
    }
    m_entries.Empty();
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
