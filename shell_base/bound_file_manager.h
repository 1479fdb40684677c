// The file manager ("FMG") this deliverable is bound to, or null. The service
// access layer binds it when it attaches; the file and INI libraries read
// through it, so that a name may lie in the root directory or in a catalog.
#pragma once

class IFileManager;

void ShellBindFileManager(IFileManager* files);
IFileManager* ShellGetFileManager();
