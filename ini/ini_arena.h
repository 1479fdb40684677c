// IniArena: slots of one fixed size handed out from blocks allocated through
// the memory service. A document keeps its keys, sections and list nodes in
// arenas, so that reading a file of a hundred thousand keys costs a few dozen
// allocations instead of two per key. A slot given back is reused; Release
// frees every block at once.
#pragma once

#include <cstddef>

class IniArena {
public:
    explicit IniArena(size_t slotSize);
    ~IniArena() { Release(); }
    IniArena(const IniArena&) = delete;
    IniArena& operator=(const IniArena&) = delete;

    void* Take();  // null when no block can be allocated
    // About this many slots will be taken soon: the next block is made big
    // enough for them (up to the largest block size) rather than growing there
    // block by block.
    void Expect(size_t slots);
    void Give(void* slot);
    void Release();

private:
    struct Block {
        Block* next;
    };

    size_t LargestBlockSlots() const;

    size_t m_slotSize;
    size_t m_nextBlockSlots;
    Block* m_blocks = nullptr;
    char* m_unused = nullptr;  // the never used slots of the newest block
    char* m_end = nullptr;
    void* m_free = nullptr;    // slots given back, linked through their first bytes
};
