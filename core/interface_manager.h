// The interface registry: maps each interface id to its object, counts the
// holders of each id and remembers which module owns it, so that the module
// loader can refuse to unload a module whose interfaces are still held. For
// module authors it notes in the log an id that is not three upper-case
// letters, whose id a second registration met, and at shutdown every
// interface still registered, each with its owner's file name and count.
#pragma once

#include "files/cursor_list.h"
#include "platform/platform.h"
#include "varn/registry.h"

class InterfaceManager final : public IInterfaceManager {
public:
    InterfaceManager() = default;
    ~InterfaceManager();
    InterfaceManager(const InterfaceManager&) = delete;
    InterfaceManager& operator=(const InterfaceManager&) = delete;

    int32_t RegisterInterface(const char* id, void* object, uintptr_t owner) override;
    int32_t UnregisterInterface(const char* id) override;
    int32_t GetInterface(const char* id, void** out) override;
    int32_t ReleaseInterface(const char* id, void** holder) override;
    int32_t TryReleaseOwner(uintptr_t owner, DelayedReleaseCallback callback) override;

    // Bring-up: empties the list and returns this registry.
    IInterfaceManager* Init();
    // Teardown: frees every entry, warning about those still held.
    void Deinit();

    // Inspection (the list position is not moved): number of entries, and the
    // holder count and delayed flag of an id (-1 when absent).
    int32_t EntryCount();
    int32_t ReferenceCount(const char* id);
    int32_t IsDelayed(const char* id);

private:
    struct InterfaceEntry {
        char* id;
        void* object;
        uintptr_t owner;
        char* ownerName;  // the owner module's file name, taken at registration; null: the host
        volatile int32_t count;
        int32_t delayed;
    };

    bool Lookup(const char* id);
    InterfaceEntry* Current() const { return static_cast<InterfaceEntry*>(m_entries.Current()); }
    InterfaceEntry* Peek(const char* id);
    void FreeAll(bool warnHeld);
    static void FreeEntry(InterfaceEntry* entry);

    plat::ReentrantLock m_lock;
    CursorList m_entries;
    DelayedReleaseCallback m_callback = nullptr;
};

// The host's registry: InterfaceManagerInit brackets its use with
// InterfaceManagerDeinit.
InterfaceManager& TheInterfaceManager();
IInterfaceManager* InterfaceManagerInit();
void InterfaceManagerDeinit();
