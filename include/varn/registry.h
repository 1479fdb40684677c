// The interface registry: every service is published and found here by id.
// A module receives it in InitDLL. Each holder pairs every GetInterface with a
// ReleaseInterface; the registry counts the holders of each id.
#pragma once

#include "sdk.h"

class IInterfaceManager {
public:
    // 0: publishes object under id with its owner (0 for host services, the
    // module handle for a module). 1; 0 when the id exists or memory is short.
    virtual int32_t RegisterInterface(const char* id, void* object, uintptr_t owner) = 0;
    // 1: withdraws id, even while it is held (with a warning). 1; 0 when absent.
    virtual int32_t UnregisterInterface(const char* id) = 0;
    // 2: stores the object in *out and counts one more holder. 1; 0 when id is
    // absent or its owner is waiting to be unloaded (*out is then untouched).
    virtual int32_t GetInterface(const char* id, void** out) = 0;
    // 3: counts one holder less and clears *holder. 1; 0 when *holder is
    // already null or id is absent (*holder is then untouched).
    virtual int32_t ReleaseInterface(const char* id, void** holder) = 0;
    // 4: 1 when no interface of owner is held; otherwise marks the first held
    // one delayed (no longer handed out), keeps callback to be called with the
    // owner when that one is released, and returns 0.
    virtual int32_t TryReleaseOwner(uintptr_t owner, DelayedReleaseCallback callback) = 0;
};
