#include "core/memory_manager.h"

#include "shell_base/shell_memory.h"

namespace {

void* HeapTrial(plat::HeapHandle heap, size_t size) { return plat::HeapAllocate(heap, size); }

}  // namespace

MemoryManager::MemoryManager() : m_machine{&plat::TotalPhysicalMemory, &plat::PageSize, &HeapTrial} {}

void* MemoryManager::memAlloc(uint32_t size, int32_t, int32_t, const char*) {
    // Odd sizes are rounded up to even; the largest odd size cannot be.
    if (size == 0 || size == UINT32_MAX) return nullptr;
    size_t even = (static_cast<size_t>(size) + 1) & ~static_cast<size_t>(1);
    return plat::HeapAllocate(m_heap, even);
}

void MemoryManager::memFree(void* block) {
    // Blocks of another heap are refused by the heap itself.
    if (block && m_heap) plat::HeapRelease(m_heap, block);
}

void MemoryManager::memReleaseOwner(const char*) {}

void MemoryManager::memReserved(int32_t) {}

void MemoryManager::memCompact() {
    plat::LockGuard guard(m_lock);
    m_report = CompactReport{};
    if (!m_heap) return;
    plat::HeapCompactPrivate(m_heap);
    uint64_t physical = m_machine.physicalMemory();
    uint32_t page = m_machine.pageSize();
    if (page == 0) page = 4096;

    uint32_t amount = physical < kCompactCap ? static_cast<uint32_t>(physical) : kCompactCap;
    void* block = nullptr;
    while (amount > 0 && !block) {
        amount /= 2;
        if (amount == 0) break;
        if (m_report.trials++ == 0) m_report.firstTrial = amount;
        block = m_machine.trialAllocate(m_heap, amount);
    }
    if (!block) return;
    m_report.obtained = amount;
    // One byte per page, from the first byte up to (not including) the last,
    // so that every page of the block is committed.
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(block);
    for (uint32_t offset = 0; offset < amount - 1; offset += page) {
        bytes[offset] = static_cast<unsigned char>(bytes[offset] + 1);
        ++m_report.pagesTouched;
    }
    plat::HeapRelease(m_heap, block);
}

bool MemoryManager::Init() {
    {
        plat::LockGuard guard(m_lock);
        if (!m_heap) m_heap = plat::HeapCreatePrivate();
        if (!m_heap) return false;
    }
    ShellBindMemory(this);
    return true;
}

void MemoryManager::Shutdown() {
    {
        plat::LockGuard guard(m_lock);
        plat::HeapDestroyPrivate(m_heap);
        m_heap = nullptr;
    }
    if (ShellGetMemory() == this) ShellUnbindMemory();
}
