// The memory manager ("MEM"): one private growable heap shared by the host
// and every module, separate from any C runtime heap.
#pragma once

#include "platform/platform.h"
#include "varn/mem.h"

class MemoryManager final : public IMemoryManager {
public:
    // What memCompact reads from the machine and how it takes its trial
    // block; tests replace them to play other machines.
    struct Machine {
        uint64_t (*physicalMemory)();
        uint32_t (*pageSize)();
        void* (*trialAllocate)(plat::HeapHandle heap, size_t size);
    };
    // What the latest memCompact did.
    struct CompactReport {
        uint32_t firstTrial;    // size of the first trial block asked for (0: none)
        uint32_t obtained;      // size of the block obtained (0: none)
        int32_t trials;         // number of trial allocations
        uint32_t pagesTouched;  // pages committed by touching one byte each
    };

    MemoryManager();
    ~MemoryManager() = default;
    MemoryManager(const MemoryManager&) = delete;
    MemoryManager& operator=(const MemoryManager&) = delete;

    void* memAlloc(uint32_t size, int32_t a, int32_t b, const char* ownerTag) override;
    void memFree(void* block) override;
    void memReleaseOwner(const char* ownerTag) override;
    void memCompact() override;
    void memReserved(int32_t value) override;

    // Bring-up: creates the heap and binds this deliverable's access layer to
    // it; false when the heap cannot be made.
    bool Init();
    // Teardown: destroys the heap (every block still in it) and unbinds.
    void Shutdown();

    plat::HeapHandle Heap() const { return m_heap; }
    void SetMachine(const Machine& machine) { m_machine = machine; }
    CompactReport LastCompact() const { return m_report; }

    // The largest trial block memCompact starts from (the first one asked for
    // is half of the smaller of this and the physical memory).
    static const uint32_t kCompactCap = 134217728u;

private:
    plat::ReentrantLock m_lock;
    plat::HeapHandle m_heap = nullptr;
    Machine m_machine;
    CompactReport m_report = {};
};

// The host's memory manager.
MemoryManager& TheMemoryManager();
