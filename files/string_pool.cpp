// StringPool: strings stored back to back in one block from the memory
// service, with a write position (end) and a read cursor.
//
// The block is not zero-filled when allocated: a pool of a large file would
// otherwise touch every page twice. Only the bytes before the write position
// belong to the pool, and every string there carries its own zero byte (a
// caller that places bytes directly and then advances writes its own); the
// first and the last byte are zero from the start. The
// write position only moves forward, so Clear zero-fills every byte the pool
// held and leaves the rest untouched.
#include "files/string_pool.h"

#include "shell_base/shell_memory.h"

#include <climits>
#include <cstring>

bool StringPool::Allocate(int size) {
    Free();
    if (size < 0 || size == INT_MAX) return false;
    int capacity = size + 1;
    char* storage = static_cast<char*>(ShellAlloc(static_cast<size_t>(capacity)));
    if (!storage) return false;
    // An empty text at the start, and the byte Append always keeps free
    // stays zero, so a pool written to its end still ends in a terminator.
    storage[0] = 0;
    storage[capacity - 1] = 0;
    m_start = m_end = m_cursor = storage;
    m_capacity = capacity;
    return true;
}

void StringPool::Free() {
    if (m_start) ShellFree(m_start);
    m_start = m_end = m_cursor = nullptr;
    m_capacity = 0;
}

void StringPool::Clear() {
    if (!m_start) return;
    memset(m_start, 0, static_cast<size_t>(m_end - m_start));
    m_start[0] = 0;
    m_end = m_cursor = m_start;
}

bool StringPool::Append(const char* text) {
    if (!m_start || !text) return false;
    size_t length = strlen(text);
    size_t used = static_cast<size_t>(m_end - m_start);
    // One byte always stays free.
    if (used + length + 1 >= static_cast<size_t>(m_capacity)) return false;
    memcpy(m_end, text, length + 1);
    m_cursor = m_end;
    m_end += length + 1;
    return true;
}

void StringPool::Next() {
    if (!m_start || m_cursor >= m_end) return;
    // The scan stays within the written part even if a string there lacks its zero byte.
    const void* zero = memchr(m_cursor, 0, static_cast<size_t>(m_end - m_cursor));
    m_cursor = zero ? static_cast<char*>(const_cast<void*>(zero)) + 1 : m_end;
}

void StringPool::Advance(int n) {
    if (!m_start || n <= 0) return;
    int room = m_capacity - static_cast<int>(m_end - m_start);
    m_end += n < room ? n : room;
}

int StringPool::UsedBytes() const { return m_start ? static_cast<int>(m_end - m_start) : 0; }

int StringPool::FreeBytes() const { return m_start ? m_capacity - static_cast<int>(m_end - m_start) : 0; }

bool StringPool::SeekTo(const char* string) {
    if (!m_start || !string) return false;
    for (char* p = m_start; p < m_end;) {
        if (p == string) {
            m_cursor = p;
            return true;
        }
        const void* zero = memchr(p, 0, static_cast<size_t>(m_end - p));
        if (!zero) break;
        p = static_cast<char*>(const_cast<void*>(zero)) + 1;
    }
    return false;
}
