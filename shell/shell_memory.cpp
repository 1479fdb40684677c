#include "shell/shell_memory.h"

#include <cstdlib>

// Until the memory service is bound, blocks come from the C runtime heap.
void* ShellAlloc(size_t size) { return malloc(size ? size : 1); }
void ShellFree(void* block) { free(block); }
