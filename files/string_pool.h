// StringPool: a fixed-capacity arena of zero-terminated strings with a write
// position and a read cursor. Nothing is freed singly.
#pragma once

#include <cstddef>

class StringPool {
public:
    StringPool() = default;
    ~StringPool() { Free(); }
    StringPool(const StringPool&) = delete;
    StringPool& operator=(const StringPool&) = delete;

    bool Allocate(int size);  // capacity = size + 1; only the first and last bytes are zeroed
    void Free();
    void Clear();  // zero-fills every byte the pool held; end = cursor = start
    bool Append(const char* text);
    char* Current() const { return m_cursor; }
    void Next();
    void Rewind() { m_cursor = m_start; }
    bool HasMore() const { return m_start && m_cursor < m_end; }
    char* End() const { return m_end; }
    void Advance(int n);
    int UsedBytes() const;
    int FreeBytes() const;
    int Capacity() const { return m_start ? m_capacity : 0; }
    char* Start() const { return m_start; }
    bool SeekTo(const char* string);

private:
    char* m_start = nullptr;
    char* m_end = nullptr;
    char* m_cursor = nullptr;
    int m_capacity = 0;
};
