// "MEM": the one heap shared by the host and every module. A block allocated
// here by any party may be freed here by any other.
#pragma once

#include "sdk.h"

class IMemoryManager {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_MEM;

    // 0: a block of at least size bytes (odd sizes rounded up to even), or
    // null for size 0 or when memory is short. a and b are passed as 0 by
    // every caller; ownerTag is the caller's module name. None are used.
    virtual void* memAlloc(uint32_t size, int32_t a, int32_t b, const char* ownerTag) = 0;
    // 1: returns a block of this heap; null and foreign blocks are ignored.
    virtual void memFree(void* block) = 0;
    // 2: called by a module's access layer when it detaches; does nothing.
    virtual void memReleaseOwner(const char* ownerTag) = 0;
    // 3: compacts the heap, then commits and frees one large trial block.
    virtual void memCompact() = 0;
    // 4: does nothing.
    virtual void memReserved(int32_t value) = 0;
};
