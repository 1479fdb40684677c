#include "shell/shell_memory.h"

#include "varn/mem.h"

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<IMemoryManager*> g_memory{nullptr};
std::atomic<const char*> g_ownerTag{nullptr};

// The blocks this layer took from the C runtime heap, in an open-addressing
// table built with calloc (never through the allocation operators, which may
// come here). A spin flag guards it: the table is touched only for blocks of
// the unbound state, and it must work before any constructor has run.
class FallbackBlocks {
public:
    // A module's copy of this table goes with the module: once no block is
    // left, its storage is given back so that unloading leaks nothing.
    ~FallbackBlocks() {
        Guard guard(m_busy);
        if (m_live.load(std::memory_order_relaxed) != 0) return;
        free(m_slots);
        m_slots = nullptr;
        m_capacity = 0;
        m_used = 0;
    }

    bool Insert(void* block) {
        Guard guard(m_busy);
        if ((m_used + 1) * 4 >= m_capacity * 3 && !Grow()) return false;
        size_t i = Hash(block);
        while (m_slots[i] && m_slots[i] != Tombstone()) i = (i + 1) & (m_capacity - 1);
        if (!m_slots[i]) ++m_used;
        m_slots[i] = block;
        m_live.fetch_add(1, std::memory_order_relaxed);
        return true;
    }

    bool Remove(void* block) {
        if (m_live.load(std::memory_order_relaxed) == 0) return false;
        Guard guard(m_busy);
        if (!m_slots) return false;
        size_t i = Hash(block);
        for (size_t n = 0; n < m_capacity; ++n, i = (i + 1) & (m_capacity - 1)) {
            if (!m_slots[i]) return false;
            if (m_slots[i] == block) {
                m_slots[i] = Tombstone();
                m_live.fetch_sub(1, std::memory_order_relaxed);
                return true;
            }
        }
        return false;
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

    static void* Tombstone() { return reinterpret_cast<void*>(uintptr_t(1)); }

    size_t Hash(const void* block) const {
        uint64_t x = reinterpret_cast<uintptr_t>(block);
        x ^= x >> 33;
        x *= 0xff51afd7ed558ccdULL;
        x ^= x >> 33;
        return static_cast<size_t>(x) & (m_capacity - 1);
    }

    bool Grow() {
        size_t live = m_live.load(std::memory_order_relaxed);
        size_t capacity = 64;
        while ((live + 1) * 2 >= capacity) capacity *= 2;
        void** slots = static_cast<void**>(calloc(capacity, sizeof(void*)));
        if (!slots) return false;
        void** old = m_slots;
        size_t oldCapacity = m_capacity;
        m_slots = slots;
        m_capacity = capacity;
        m_used = live;
        for (size_t j = 0; j < oldCapacity; ++j) {
            void* block = old[j];
            if (!block || block == Tombstone()) continue;
            size_t i = Hash(block);
            while (m_slots[i]) i = (i + 1) & (m_capacity - 1);
            m_slots[i] = block;
        }
        free(old);
        return true;
    }

    std::atomic_flag m_busy = ATOMIC_FLAG_INIT;
    void** m_slots = nullptr;
    size_t m_capacity = 0;  // a power of two
    size_t m_used = 0;      // live blocks and tombstones
    std::atomic<size_t> m_live{0};
};

FallbackBlocks g_fallback;

void* FallbackAlloc(size_t size) {
    void* block = malloc(size ? size : 1);
    if (block && !g_fallback.Insert(block)) {
        free(block);
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
    if (g_fallback.Remove(block)) {
        free(block);
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
