#include "module_support.h"

#include "shell/log.h"

namespace sample {

int32_t AttachModule(const char* owner, uintptr_t module, IInterfaceManager* registry, const Published* list,
                     int count, void (*afterAttach)()) {
    ShellAttach(owner, registry);
    for (int i = 0; i < count; ++i)
        if (list[i].id && !registry->RegisterInterface(list[i].id, list[i].object, module))
            LogError("%s: unable to publish %s", owner, list[i].id);
    if (afterAttach) afterAttach();
    return 1;
}

int32_t DetachModule(const char* owner, const Published* list, int count, void (*beforeDetach)()) {
    if (beforeDetach) beforeDetach();
    if (IInterfaceManager* registry = ShellGetRegistry())
        for (int i = 0; i < count; ++i)
            if (list[i].id) registry->UnregisterInterface(list[i].id);
    return ShellDetach(owner);
}

bool ReadGameFile(const char* name, std::string* contents) {
    contents->clear();
    IFileManager* files = ShellGetFileManager();
    if (!files || !name || !*name) return false;
    const int size = files->fmgGetFileSize(name);
    if (size <= 0 || size > (4 << 20)) return false;
    const int handle = files->fmgOpenFile(name, 0);
    if (handle == -1) return false;
    contents->resize(static_cast<size_t>(size));
    const int got = files->fmgReadFile(handle, &(*contents)[0], static_cast<uint32_t>(size));
    files->fmgCloseFile(handle);
    if (got != size) contents->clear();
    return got == size;
}

}  // namespace sample
