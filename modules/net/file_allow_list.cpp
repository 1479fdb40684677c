#include "file_allow_list.h"

#include "files/strings.h"

#include <cstring>

bool FileAllowList::IsPlainName(int cacheFile, const char* name) {
    if (!name || !name[0] || strlen(name) >= static_cast<size_t>(kTextSize)) return false;
    const char* component = name;
    for (const char* p = name;; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '\\' || c == '\0') {
            const size_t length = static_cast<size_t>(p - component);
            // Empty components catch leading, trailing and doubled separators.
            if (length == 0 || (length == 2 && component[0] == '.' && component[1] == '.')) return false;
            if (length == 1 && component[0] == '.') return false;
            if (c == '\0') return true;
            if (cacheFile) return false;
            component = p + 1;
        } else if (c < 0x20 || c == '/' || c == ':' || c == 0x7f) {
            return false;
        }
    }
}

bool FileAllowList::Add(int cacheFile, const char* name, const char* path) {
    if (m_count >= kMaxEntries || !IsPlainName(cacheFile, name) || !path || !path[0]) return false;
    if (strlen(path) >= static_cast<size_t>(kTextSize)) return false;
    if (Find(cacheFile, name)) return true;
    Entry& entry = m_entries[m_count];
    entry.cacheFile = cacheFile ? 1 : 0;
    CopyString(entry.name, name, kTextSize);
    CopyString(entry.path, path, kTextSize);
    ++m_count;
    return true;
}

const char* FileAllowList::Find(int cacheFile, const char* name) const {
    if (!IsPlainName(cacheFile, name)) return nullptr;
    for (int i = 0; i < m_count; ++i) {
        const Entry& entry = m_entries[i];
        if (entry.cacheFile == (cacheFile ? 1 : 0) && StringsEqual(entry.name, name, false)) return entry.path;
    }
    return nullptr;
}

int FileAllowList::IndexOf(const char* found) const {
    for (int i = 0; i < m_count; ++i) {
        if (found == m_entries[i].path) return i;
    }
    return -1;
}
