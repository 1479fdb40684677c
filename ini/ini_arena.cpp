#include "ini/ini_arena.h"

#include "shell_base/shell_memory.h"

namespace {
// Blocks double from a few slots, so that a small document stays small and a
// document of a million keys takes a few dozen blocks, up to this many bytes.
const size_t kFirstBlockSlots = 16;
const size_t kLargestBlockBytes = size_t{8} << 20;
}  // namespace

IniArena::IniArena(size_t slotSize) : m_nextBlockSlots(kFirstBlockSlots) {
    const size_t align = sizeof(void*);
    if (slotSize < sizeof(void*)) slotSize = sizeof(void*);
    m_slotSize = (slotSize + align - 1) / align * align;
}

void* IniArena::Take() {
    if (m_free) {
        void* slot = m_free;
        m_free = *static_cast<void**>(slot);
        return slot;
    }
    if (m_unused == m_end) {
        Block* block = static_cast<Block*>(ShellAlloc(sizeof(Block) + m_slotSize * m_nextBlockSlots));
        if (!block) return nullptr;
        block->next = m_blocks;
        m_blocks = block;
        m_unused = reinterpret_cast<char*>(block + 1);
        m_end = m_unused + m_slotSize * m_nextBlockSlots;
        const size_t largest = LargestBlockSlots();
        m_nextBlockSlots = m_nextBlockSlots * 2 < largest ? m_nextBlockSlots * 2 : largest;
    }
    void* slot = m_unused;
    m_unused += m_slotSize;
    return slot;
}

// A block, with its header, of at most kLargestBlockBytes: a whole number of
// large pages where the system backs big blocks with them.
size_t IniArena::LargestBlockSlots() const { return (kLargestBlockBytes - sizeof(Block)) / m_slotSize; }

void IniArena::Expect(size_t slots) {
    const size_t largest = LargestBlockSlots();
    if (slots > largest) slots = largest;
    if (slots > m_nextBlockSlots) m_nextBlockSlots = slots;
}

void IniArena::Give(void* slot) {
    if (!slot) return;
    *static_cast<void**>(slot) = m_free;
    m_free = slot;
}

void IniArena::Release() {
    while (m_blocks) {
        Block* next = m_blocks->next;
        ShellFree(m_blocks);
        m_blocks = next;
    }
    m_unused = m_end = nullptr;
    m_free = nullptr;
    m_nextBlockSlots = kFirstBlockSlots;
}
