// The global allocation operators of a deliverable: objects live in the shared
// "MEM" heap while it is bound (the C runtime heap before), through the same
// functions as every other block of the service access layer.
//
// This file is linked only into deliverables (the host program and module
// DLLs), never into a library, so that the replacement stays inside the
// deliverable that carries it: on Windows each module has its own static
// runtime, elsewhere the module's export list hides these symbols.
#include "shell/shell_new.h"
#include "shell_base/log.h"
#include "shell_base/shell_memory.h"

#include <cstdlib>
#include <new>

namespace {

void* AllocateObject(size_t size, int32_t a, int32_t b) {
    void* block = ShellAllocEx(size ? size : 1, a, b);
    if (block) return block;
#if defined(__cpp_exceptions) || defined(_CPPUNWIND)
    throw std::bad_alloc();
#else
    // Built without exceptions (as modules of other compilers often are): an
    // allocation that cannot be met must not hand null to code that never
    // checks, so the process ends with a log line saying why.
    LogError("Out of memory: %lu bytes could not be allocated", static_cast<unsigned long>(size));
    std::abort();
#endif
}

}  // namespace

void* operator new(size_t size) { return AllocateObject(size, 0, 0); }
void* operator new[](size_t size) { return AllocateObject(size, 0, 0); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return ShellAlloc(size ? size : 1); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return ShellAlloc(size ? size : 1); }
void* operator new(size_t size, int32_t a, int32_t b) { return AllocateObject(size, a, b); }
void* operator new[](size_t size, int32_t a, int32_t b) { return AllocateObject(size, a, b); }

void operator delete(void* block) noexcept { ShellFree(block); }
void operator delete[](void* block) noexcept { ShellFree(block); }
void operator delete(void* block, size_t) noexcept { ShellFree(block); }
void operator delete[](void* block, size_t) noexcept { ShellFree(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { ShellFree(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { ShellFree(block); }
void operator delete(void* block, int32_t, int32_t) noexcept { ShellFree(block); }
void operator delete[](void* block, int32_t, int32_t) noexcept { ShellFree(block); }
