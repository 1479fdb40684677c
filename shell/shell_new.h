// The allocation operator with the two extra values of the memory service
// (`new (a, b) T`); every caller in the system passes 0. Defined by the
// deliverable's allocation operators (shell_operators.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

void* operator new(size_t size, int32_t a, int32_t b);
void* operator new[](size_t size, int32_t a, int32_t b);
void operator delete(void* block, int32_t a, int32_t b) noexcept;
void operator delete[](void* block, int32_t a, int32_t b) noexcept;
