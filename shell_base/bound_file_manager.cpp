// The file manager this deliverable is bound to: one pointer, set by the
// service access layer at attach and cleared at detach.
#include "shell_base/bound_file_manager.h"

namespace {

IFileManager* g_files = nullptr;

}  // namespace

void ShellBindFileManager(IFileManager* files) { g_files = files; }
IFileManager* ShellGetFileManager() { return g_files; }
