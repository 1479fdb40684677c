// Allocation functions of this deliverable's service access layer. Every
// shared container, string copy and record of the system allocates here.
#pragma once

#include <cstddef>
#include <cstdint>

void* ShellAlloc(size_t size);
void ShellFree(void* block);
