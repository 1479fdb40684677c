// Working-directory and directory-listing helpers over the OS layer.
#include "files/directories.h"

#include "files/paths.h"
#include "files/string_pool.h"
#include "files/strings.h"
#include "platform/platform.h"
#include "shell_base/bound_file_manager.h"
#include "varn/fmg.h"

void GetCurrentDir(char* buffer, int size) {
    if (!buffer || size <= 0) return;
    // A directory that does not fit is not cut into another, wrong path.
    if (!plat::DirGetCurrent(buffer, static_cast<size_t>(size))) ClearString(buffer);
}

bool MakeDirectory(const char* path) {
    if (IsEmptyString(path)) return false;
    return plat::DirMake(path);
}

bool DirectoryExists(const char* path) {
    if (IsEmptyString(path)) return false;
    char previous[kPathSize];
    GetCurrentDir(previous, sizeof previous);
    // Without a way back the working directory is left alone.
    if (IsEmptyString(previous)) return plat::DirExists(path);
    if (!plat::DirChange(path)) return false;
    plat::DirChange(previous);
    return true;
}

bool ChangeDirectory(const char* path) {
    if (IsEmptyString(path)) return false;
    // This is the one place where a bound file manager takes over the change
    // (its fmgChangeDirectory); without one the process's directory changes.
    if (IFileManager* files = ShellGetFileManager()) return files->fmgChangeDirectory(path) != 0;
    return plat::DirChange(path);
}

int CountFiles(const char* pattern) {
    if (IsEmptyString(pattern)) return 0;
    return plat::DirListFiles(pattern, nullptr, nullptr);
}

namespace {

struct CollectContext {
    StringPool* pool;
    bool stripExtension;
};

void CollectName(const char* name, void* context) {
    CollectContext* collect = static_cast<CollectContext*>(context);
    char text[kPathSize];
    if (collect->stripExtension)
        StripExtension(name, text, sizeof text);
    else
        CopyString(text, name, sizeof text);
    collect->pool->Append(text);  // a name that does not fit is skipped
}

}  // namespace

void CollectFileNames(StringPool* pool, const char* pattern, bool stripExtension) {
    if (!pool || IsEmptyString(pattern)) return;
    CollectContext context = {pool, stripExtension};
    plat::DirListFiles(pattern, CollectName, &context);
}

bool DeleteFileByName(const char* path) {
    if (IsEmptyString(path)) return false;
    return plat::FileDelete(path);
}
