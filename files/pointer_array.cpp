#include "files/pointer_array.h"

#include "shell_base/shell_memory.h"

#include <cstring>

bool PointerArray::Reserve(int32_t n) {
    Free();
    if (n < 0 || n >= kLimit) return false;
    // One slot at least, so that an empty fixed array still has storage.
    void** items = static_cast<void**>(ShellAlloc(sizeof(void*) * static_cast<size_t>(n ? n : 1)));
    if (!items) return false;
    m_items = items;
    m_capacity = n;
    m_fixed = true;
    return true;
}

bool PointerArray::Grow(int32_t capacity) {
    void** items = static_cast<void**>(ShellAlloc(sizeof(void*) * static_cast<size_t>(capacity)));
    if (!items) return false;
    if (m_items) {
        memcpy(items, m_items, sizeof(void*) * static_cast<size_t>(m_count));
        ShellFree(m_items);
    }
    m_items = items;
    m_capacity = capacity;
    return true;
}

bool PointerArray::Append(void* item) {
    if (!m_items && !Grow(8)) return false;
    if (m_count == m_capacity) {
        if (m_fixed || m_capacity * 2 >= kLimit) return false;
        if (!Grow(m_capacity * 2)) return false;
    }
    m_items[m_count] = item;
    m_cursor = m_count;
    ++m_count;
    return true;
}

void PointerArray::Free() {
    if (m_items) ShellFree(m_items);
    m_items = nullptr;
    m_count = 0;
    m_capacity = 0;
    m_cursor = -1;
    m_fixed = false;
}
