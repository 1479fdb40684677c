// The thin client helpers over the file manager bound in this deliverable's
// service access layer; without one they report 0 or do nothing.
#include "files/directories.h"
#include "files/strings.h"
#include "shell_base/bound_file_manager.h"
#include "varn/fmg.h"

int FileExistsVia(const char* name, int plainOnly) {
    IFileManager* files = ShellGetFileManager();
    if (!files || IsEmptyString(name)) return 0;
    return files->fmgFileExists(name, plainOnly);
}

int FileSizeVia(const char* name) {
    IFileManager* files = ShellGetFileManager();
    return files ? files->fmgGetFileSize(name) : 0;
}

void PushDirectoryVia() {
    if (IFileManager* files = ShellGetFileManager()) files->PushDirectory();
}

void PopDirectoryVia() {
    if (IFileManager* files = ShellGetFileManager()) files->PopDirectory();
}
