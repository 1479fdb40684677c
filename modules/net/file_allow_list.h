// The files a hosting side serves to its admitted players: a short list that
// the host builds from its own object lists. A name that comes over the wire
// only selects an entry of this list; it is never opened as a path.
#pragma once

class FileAllowList {
public:
    static const int kMaxEntries = 8;
    static const int kTextSize = 260;

    void Clear() { m_count = 0; }
    // Lists the file peers ask for as `name` (a cache file when cacheFile is
    // set), read from `path` on this side. False, and nothing listed, for a
    // name that is not plain, a name that does not fit, or a full list.
    bool Add(int cacheFile, const char* name, const char* path);
    // The path to read for a peer's request; null when the name is not plain
    // or selects no entry.
    const char* Find(int cacheFile, const char* name) const;
    int Count() const { return m_count; }
    // The entry whose path Find returned, -1 for another pointer.
    int IndexOf(const char* found) const;

    // A relative name without drive, "..", forward slash, control character or
    // leading, trailing or doubled backslash; a cache file's name has no
    // backslash at all.
    static bool IsPlainName(int cacheFile, const char* name);

private:
    struct Entry {
        int cacheFile;
        char name[kTextSize];
        char path[kTextSize];
    };
    Entry m_entries[kMaxEntries];
    int m_count = 0;
};
