// The allocation functions of this deliverable: the bound "MEM" heap, or the
// C runtime heap with a table of the blocks it handed out.
#include "shell_base/shell_memory.h"

#include "platform/platform.h"
#include "platform/pointer_table.h"
#include "varn/mem.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<IMemoryManager*> g_memory{nullptr};
std::atomic<const char*> g_ownerTag{nullptr};

// The blocks this layer took from the C runtime heap. A spin flag guards the
// table: it is touched only for blocks of the unbound state, and it must work
// before any constructor has run.
class FallbackBlocks {
public:
    // A module's copy of this table goes with the module: once no block is
    // left, its storage is given back so that unloading leaks nothing.
    ~FallbackBlocks() {
        Guard guard(m_busy);
        if (m_table.Count() == 0) m_table.Compact();
    }

    bool Insert(void* block, size_t size) {
        Guard guard(m_busy);
        bool stored = m_table.Insert(block, size);
        if (stored) m_live.fetch_add(1, std::memory_order_relaxed);
        return stored;
    }

    // The size the block was allocated with goes to *size.
    bool Remove(void* block, size_t* size) {
        if (m_live.load(std::memory_order_relaxed) == 0) return false;
        Guard guard(m_busy);
        *size = m_table.SizeOf(block);
        bool removed = m_table.Remove(block);
        if (removed) m_live.fetch_sub(1, std::memory_order_relaxed);
        return removed;
    }

    size_t Count() const { return m_live.load(std::memory_order_relaxed); }

private:
    class Guard {
    public:
        explicit Guard(std::atomic_flag& flag) : m_flag(flag) {
            while (m_flag.test_and_set(std::memory_order_acquire)) {
            }
        }
        ~Guard() { m_flag.clear(std::memory_order_release); }

    private:
        std::atomic_flag& m_flag;
    };

    std::atomic_flag m_busy = ATOMIC_FLAG_INIT;
    plat::PointerTable m_table;
    std::atomic<size_t> m_live{0};
};

FallbackBlocks g_fallback;

void* FallbackAlloc(size_t size) {
    void* block = plat::AllocateCBlock(size);
#ifndef NDEBUG
    if (block) memset(block, plat::kFreshBlockPoison, size ? size : 1);  // as the private heap's blocks
#endif
    if (block && !g_fallback.Insert(block, size)) {
        plat::ReleaseCBlock(block, size);
        return nullptr;
    }
    return block;
}

}  // namespace

void* ShellAllocEx(size_t size, int32_t a, int32_t b) {
    IMemoryManager* memory = g_memory.load(std::memory_order_acquire);
    if (!memory) return FallbackAlloc(size);
    if (size > UINT32_MAX) return nullptr;
    return memory->memAlloc(static_cast<uint32_t>(size), a, b, g_ownerTag.load(std::memory_order_relaxed));
}

void* ShellAlloc(size_t size) { return ShellAllocEx(size, 0, 0); }

void ShellFree(void* block) {
    if (!block) return;
    size_t size = 0;
    if (g_fallback.Remove(block, &size)) {
        plat::ReleaseCBlock(block, size);
        return;
    }
    if (IMemoryManager* memory = g_memory.load(std::memory_order_acquire)) memory->memFree(block);
}

void ShellMemCompact() {
    if (IMemoryManager* memory = g_memory.load(std::memory_order_acquire)) memory->memCompact();
}

void ShellMemReserved(int32_t value) {
    if (IMemoryManager* memory = g_memory.load(std::memory_order_acquire)) memory->memReserved(value);
}

void ShellBindMemory(IMemoryManager* memory) { g_memory.store(memory, std::memory_order_release); }
void ShellUnbindMemory() { g_memory.store(nullptr, std::memory_order_release); }
IMemoryManager* ShellGetMemory() { return g_memory.load(std::memory_order_acquire); }
size_t ShellFallbackBlockCount() { return g_fallback.Count(); }
void ShellSetOwnerTag(const char* tag) { g_ownerTag.store(tag, std::memory_order_relaxed); }
