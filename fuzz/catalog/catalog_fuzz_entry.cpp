#include "fuzz/catalog/catalog_fuzz_entry.h"

#include "files/catalog_file.h"
#include "files/file_manager.h"
#include "files/paths.h"
#include "files/strings.h"
#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    fprintf(stderr, "catalog fuzz: broken promise: %s\n", what);
    abort();
}

// A scratch file and an empty root directory of this process.
struct Scratch {
    char file[kPathSize] = "";
    char root[kPathSize] = "";
    Scratch() {
        char temp[kPathSize];
        if (!plat::DirTemp(temp, sizeof temp)) return;
        std::string id = std::to_string(plat::CurrentThreadId());
        std::string rootPath = std::string(temp) + "\\varn_fuzz_root_" + id;
        std::string filePath = std::string(temp) + "\\varn_fuzz_" + id + ".cat";
        if (filePath.size() >= sizeof file || rootPath.size() >= sizeof root) return;  // left empty: nothing is fuzzed
        CopyString(root, rootPath.c_str(), sizeof root);
        CopyString(file, filePath.c_str(), sizeof file);
        plat::DirMake(root);
    }
};

const Scratch& GetScratch() {
    static Scratch scratch;
    return scratch;
}

bool WriteBytes(const char* path, const uint8_t* data, size_t size) {
    int fd = plat::FileCreateWrite(path, plat::AccessHint::Sequential);
    if (fd < 0) return false;
    bool ok = size == 0 || plat::FileWrite(fd, data, static_cast<uint32_t>(size)) == static_cast<int>(size);
    plat::FileClose(fd);
    return ok;
}

// Reads a member to its end in pieces of varying size; the bytes read.
uint32_t ReadToEnd(FileManager& files, int handle, uint32_t seed) {
    char buffer[4096];
    uint32_t total = 0;
    for (int rounds = 0; rounds < 100000; ++rounds) {
        uint32_t piece = 1 + (seed = seed * 1103515245u + 12345u) % sizeof buffer;
        int got = files.fmgReadFile(handle, buffer, piece);
        Check(got <= static_cast<int>(piece), "a read returned more than was asked");
        if (got <= 0) break;
        total += static_cast<uint32_t>(got);
    }
    return total;
}

}  // namespace

void FuzzCatalogBytes(const uint8_t* data, size_t size) {
    const Scratch& scratch = GetScratch();
    if (!*scratch.file || !WriteBytes(scratch.file, data, size)) return;
    FileManager files;
    files.Initialize();
    files.fmgSetRootDirectory(scratch.root);
    if (!files.fmgOpenCatalog(scratch.file)) {
        Check(files.CatalogCount() == 0, "a catalog that failed to open was kept");
        files.Shutdown();
        return;
    }
    CatalogFile* catalog = files.FindCatalog(scratch.file);
    Check(catalog && catalog->IsOpen(), "an opened catalog is not open");
    const int32_t count = catalog->EntryCount();
    Check(static_cast<uint32_t>(count) == catalog->Header().fileCount, "entries differ from the header's count");
    Check(static_cast<uint32_t>(catalog->ExtensionCount()) == catalog->Header().extensionCount,
          "extensions differ from the header's count");
    uint64_t end = 0;
    for (int32_t i = 0; i < count; ++i) {
        const CatalogEntry* entry = catalog->Entry(i);
        Check(strlen(entry->name) < static_cast<size_t>(kPathSize), "a name runs past its buffer");
        if (i + 1 < count) Check(entry->offset + entry->size == catalog->Entry(i + 1)->offset, "members are not back to back");
        end = static_cast<uint64_t>(entry->offset) + entry->size;
        Check(end <= size, "a member lies past the end of the file");
    }
    for (int32_t j = 0; j < catalog->ExtensionCount(); ++j)
        Check(strlen(catalog->Extension(j)) < static_cast<size_t>(kCatalogExtensionSize), "an extension runs past its text");

    // Every member by position: read, seek every way, read again.
    std::vector<int> handles;
    for (int32_t i = 0; i < count && i < 256; ++i) {
        const CatalogEntry* entry = catalog->Entry(i);
        int handle = files.OpenCatalogMember(scratch.file, i);
        Check(handle > 0 && handle % 65536 == 0, "a member handle is not a positive multiple of 65536");
        Check(ReadToEnd(files, handle, static_cast<uint32_t>(i)) == entry->size, "a member did not read as its size");
        int32_t start = static_cast<int32_t>(entry->offset);
        Check(files.fmgSeekFile(handle, 0, 0) == start, "a seek to the start missed");
        Check(files.fmgSeekFile(handle, -1, 0) == -1, "a seek before the start was allowed");
        if (entry->size > 0) {
            Check(files.fmgSeekFile(handle, -1, 2) == start + static_cast<int32_t>(entry->size) - 1, "a seek from the end missed");
            char last = 0;
            Check(files.fmgReadFile(handle, &last, 16) == 1, "the last byte did not read alone");
            Check(static_cast<uint8_t>(last) == data[entry->offset + entry->size - 1], "the last byte is not the file's");
        }
        handles.push_back(handle);
    }
    // Names: through the file manager's resolution, and index against scan.
    CatalogFile scanned;
    Check(scanned.Open(scratch.file), "the catalog did not open a second time");
    for (int32_t i = 0; i < count && i < 256; ++i) {
        const char* name = catalog->Entry(i)->name;
        char extension[kPathSize];
        GetFileExtension(name, extension, sizeof extension);
        bool a = catalog->FindMember(name, extension);
        bool b = scanned.FindMemberByScan(name, extension);
        Check(a == b && catalog->EntryCursor() == scanned.EntryCursor() &&
                  catalog->ExtensionCursor() == scanned.ExtensionCursor(),
              "the index and the scan disagree");
        if (!strchr(name, '\\') && !strchr(name, '/') && strcmp(name, ".") && strcmp(name, "..")) {
            int size = files.fmgGetFileSize(name);
            uint32_t crc = files.fmgGetCheckSum(name);
            if (size == 0 && a) Check(crc == 0, "the checksum of an empty member is not 0");
            int handle = files.fmgOpenFile(name, 0);
            if (handle != -1) {
                Check(ReadToEnd(files, handle, 7) == static_cast<uint32_t>(size), "a member read by name differs from its size");
                files.fmgCloseFile(handle);
            }
            files.fmgOpenFile(name, 1);
        }
    }
    // Closing the catalog with members open leaves their handles harmless.
    files.fmgCloseAllCatalogs();
    for (int handle : handles) {
        char c;
        Check(files.fmgReadFile(handle, &c, 1) == 0, "a member of a closed catalog still reads");
        files.fmgCloseFile(handle);
    }
    Check(files.OpenHandleCount() == 0, "handles were left open");
    files.Shutdown();
}
