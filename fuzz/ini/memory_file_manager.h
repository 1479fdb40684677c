// A file service over a few named byte strings held in memory, for feeding
// configuration documents (and the files they include) to the loader without
// touching the file system. Names compare without letter case and without a
// leading ".\"; everything but opening, reading and sizing fails.
#pragma once

#include "files/strings.h"
#include "varn/fmg.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace fuzzsupport {

class MemoryFileManager : public IFileManager {
public:
    // Adds the file or replaces its bytes.
    void Put(const std::string& name, std::string bytes) {
        if (File* file = Find(name.c_str())) {
            file->bytes = std::move(bytes);
            return;
        }
        m_files.push_back({name, std::move(bytes)});
    }

    int fmgOpenFile(const char* name, int) override {
        File* file = Find(name);
        if (!file) return -1;
        m_open.push_back({file, 0});
        return static_cast<int>(m_open.size());  // never -1, never reused while the fuzz entry runs
    }
    void fmgCloseFile(int handle) override {
        if (Reader* reader = ReaderOf(handle)) reader->file = nullptr;
        while (!m_open.empty() && !m_open.back().file) m_open.pop_back();
    }
    int fmgReadFile(int handle, void* buffer, uint32_t count) override {
        Reader* reader = ReaderOf(handle);
        if (!reader || !reader->file) return -1;
        const std::string& bytes = reader->file->bytes;
        size_t n = bytes.size() - reader->position;
        if (n > count) n = count;
        memcpy(buffer, bytes.data() + reader->position, n);
        reader->position += n;
        return static_cast<int>(n);
    }
    int fmgGetFileSize(const char* name) override {
        File* file = Find(name);
        return file ? static_cast<int>(file->bytes.size()) : -1;
    }
    int fmgFileExists(const char* name, int) override { return Find(name) ? 1 : 0; }

    int fmgDirectoryExists(const char*) override { return 0; }
    void fmgCloseAllCatalogs() override {}
    int fmgOpenCatalog(const char*) override { return 0; }
    void fmgCloseCatalog(const char*) override {}
    int fmgSeekFile(int, int, int) override { return -1; }
    int fmgCreateFile(const char*) override { return -1; }
    int fmgWriteFile(int, const void*, uint32_t) override { return -1; }
    void fmgSetRootDirectory(const char*) override {}
    void fmgGetRootDirectory(char* buffer, int size) override { CopyString(buffer, "", size); }
    int PushDirectory() override { return 0; }
    void PopDirectory() override {}
    int fmgChangeDirectory(const char*) override { return 0; }
    void fmgSetCacheDirectory(const char*) override {}
    void fmgGetCacheDirectory(char* buffer, int size) override { CopyString(buffer, "", size); }
    void fmgEnableCache(int) override {}
    int fmgWriteCacheFile(const char*, const void*, int) override { return 0; }
    void fmgClearCache() override {}
    int fmgVerifyFile(const char*, int, uint32_t) override { return 0; }
    uint32_t fmgGetCheckSum(const char*) override { return 0; }

    int OpenCount() const { return static_cast<int>(m_open.size()); }

private:
    struct File {
        std::string name;
        std::string bytes;
    };
    struct Reader {
        File* file;
        size_t position;
    };

    File* Find(const char* name) {
        if (!name) return nullptr;
        while (name[0] == '.' && name[1] == '\\') name += 2;
        for (File& file : m_files) {
            if (StringsEqual(file.name.c_str(), name, false)) return &file;
        }
        return nullptr;
    }
    Reader* ReaderOf(int handle) {
        return handle >= 1 && handle <= static_cast<int>(m_open.size()) ? &m_open[static_cast<size_t>(handle) - 1]
                                                                         : nullptr;
    }

    std::vector<File> m_files;
    std::vector<Reader> m_open;
};

}  // namespace fuzzsupport
