#include "tools/varncat/catalog_writer.h"

#include "files/catalog_format.h"
#include "files/paths.h"
#include "files/strings.h"
#include "platform/platform.h"
#include "varn/fmg.h"

#include <cstdint>
#include <cstring>
#include <unordered_set>

namespace {

struct Input {
    std::string path;
    std::string name;       // upper-cased file-name part
    std::string extension;  // upper-cased, without the dot
    uint32_t size;
};

void PutWord(std::string& bytes, uint32_t value) {
    unsigned char word[4];
    EncodeLittle32(word, value);
    bytes.append(reinterpret_cast<const char*>(word), 4);
}

void PutText(std::string& bytes, const std::string& text) {
    PutWord(bytes, static_cast<uint32_t>(text.size() + 1));
    bytes.append(text.c_str(), text.size() + 1);
}

bool WriteAll(IFileManager* files, int handle, const void* data, size_t size) {
    return files->fmgWriteFile(handle, data, static_cast<uint32_t>(size)) == static_cast<int>(size);
}

// Takes one input: its names, its size. False with the reason in *error.
bool Describe(IFileManager* files, const std::string& path, Input* input, std::string* error) {
    char name[kPathSize];
    char extension[kPathSize];
    GetFileName(path.c_str(), name, sizeof name);
    GetFileExtension(name, extension, sizeof extension);
    ToUpperString(name);
    ToUpperString(extension);
    if (path.size() >= static_cast<size_t>(kPathSize) || !files->fmgFileExists(path.c_str(), 1)) {
        *error = "cannot read " + path;
        return false;
    }
    // The stored name keeps its zero byte within the record's 259-byte limit.
    if (strlen(name) + 1 >= kCatalogTextLimit) {
        *error = "the name of " + path + " is too long for a catalog";
        return false;
    }
    if (!*extension) {
        *error = path + " has no extension: a catalog member without one can never be found";
        return false;
    }
    if (strlen(extension) >= static_cast<size_t>(kCatalogExtensionSize)) {
        *error = "the extension of " + path + " is longer than 255 characters";
        return false;
    }
    input->path = path;
    input->name = name;
    input->extension = extension;
    input->size = static_cast<uint32_t>(files->fmgGetFileSize(path.c_str()));
    return true;
}

bool CopyInto(IFileManager* files, int output, const Input& input, std::string* error) {
    int handle = files->fmgOpenFile(input.path.c_str(), 0);
    if (handle == -1) {
        *error = "cannot read " + input.path;
        return false;
    }
    static char buffer[256 * 1024];
    uint32_t copied = 0;
    bool ok = true;
    while (ok && copied < input.size) {
        uint32_t want = input.size - copied < sizeof buffer ? input.size - copied : static_cast<uint32_t>(sizeof buffer);
        int got = files->fmgReadFile(handle, buffer, want);
        if (got <= 0) break;
        ok = WriteAll(files, output, buffer, static_cast<size_t>(got));
        copied += static_cast<uint32_t>(got);
    }
    files->fmgCloseFile(handle);
    if (!ok) {
        *error = "cannot write the catalog";
        return false;
    }
    if (copied != input.size) {
        *error = input.path + " changed while it was being read";
        return false;
    }
    return true;
}

}  // namespace

bool WriteCatalog(IFileManager* files, const char* output, const std::vector<std::string>& inputs, std::string* error,
                  std::vector<std::string>* warnings) {
    if (inputs.empty()) {
        *error = "no files to put in the catalog";
        return false;
    }
    if (inputs.size() > static_cast<size_t>(kCatalogMaxItems)) {
        *error = "a catalog holds at most 65534 files";
        return false;
    }
    std::vector<Input> members;
    std::vector<std::string> extensions;
    uint64_t tables = kCatalogHeaderSize;
    uint64_t data = 0;
    std::unordered_set<std::string> names;  // a catalog may hold 65,534: no pairwise comparison
    for (const std::string& path : inputs) {
        Input input;
        if (!Describe(files, path, &input, error)) return false;
        if (!names.insert(input.name).second)
            warnings->push_back(input.name + " appears more than once; look-ups find the first");
        bool known = false;
        for (const std::string& extension : extensions) known = known || extension == input.extension;
        if (!known) {
            extensions.push_back(input.extension);
            tables += 4 + input.extension.size() + 1;
        }
        tables += 8 + input.name.size() + 1;
        data += input.size;
        members.push_back(input);
    }
    // Offsets and sizes are 32-bit, and the reader takes files below 2 GiB.
    if (tables + data > 0x7FFFFFFFu) {
        *error = "the files are too large for one catalog";
        return false;
    }
    std::string head;
    head.reserve(static_cast<size_t>(tables));
    head.append("CAT", 4);
    head.resize(kCatalogSignatureSize, '\0');
    PutWord(head, static_cast<uint32_t>(members.size()));
    PutWord(head, static_cast<uint32_t>(extensions.size()));
    PutWord(head, static_cast<uint32_t>(data));
    uint32_t offset = static_cast<uint32_t>(tables);
    for (const Input& member : members) {
        PutWord(head, offset);
        PutText(head, member.name);
        offset += member.size;
    }
    for (const std::string& extension : extensions) PutText(head, extension);

    int handle = files->fmgCreateFile(output);
    if (handle == -1) {
        *error = std::string("cannot create ") + output;
        return false;
    }
    bool ok = WriteAll(files, handle, head.data(), head.size());
    if (!ok) *error = "cannot write the catalog";
    for (size_t i = 0; ok && i < members.size(); ++i) ok = CopyInto(files, handle, members[i], error);
    files->fmgCloseFile(handle);
    if (!ok) {
        // A catalog cut short would mislead its readers: it is removed.
        char path[kPathSize];
        char root[kPathSize];
        files->fmgGetRootDirectory(root, sizeof root);
        CombinePath(root, output, path, sizeof path);
        plat::FileDelete(path);
    }
    return ok;
}
