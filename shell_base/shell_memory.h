// Allocation functions of this deliverable's service access layer. Every
// shared container, string copy and record of the system allocates here.
//
// While "MEM" is bound, blocks come from the shared heap of the memory
// service, so that any deliverable may free them. While it is not bound,
// blocks come from the C runtime heap, and the layer remembers them: such a
// block is given back to the C runtime whenever it is freed, bound or not.
// A "MEM" block freed while "MEM" is not bound stays with its heap, which
// frees it when it is destroyed; it is never handed to the C runtime.
#pragma once

#include <cstddef>
#include <cstdint>

class IMemoryManager;

void* ShellAlloc(size_t size);
// The same with the two extra values of the memory service (0 everywhere).
void* ShellAllocEx(size_t size, int32_t a, int32_t b);
void ShellFree(void* block);
// Compaction and the reserved operation of "MEM"; nothing while not bound.
void ShellMemCompact();
void ShellMemReserved(int32_t value);

// Host side: binds this layer to the memory manager directly (no registry).
void ShellBindMemory(IMemoryManager* memory);
void ShellUnbindMemory();
IMemoryManager* ShellGetMemory();

// Blocks handed out by the C runtime heap and not yet freed (diagnostics and tests).
size_t ShellFallbackBlockCount();

// The owner tag handed to memAlloc: the attached module's name, null in the host.
void ShellSetOwnerTag(const char* tag);
