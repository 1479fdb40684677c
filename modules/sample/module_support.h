// Helpers every sample module uses: publishing its interfaces and reading
// game files through "FMG" (a service held for a block is an InterfaceHold,
// from varn/held.h).
// Settings files are INI documents, read with the game's own INI library
// (ini/ini_file.h), which opens them through "FMG" too.
#pragma once

#include "shell/shell.h"
#include "varn/varn.h"

#include <string>

namespace sample {

// One interface a module publishes.
struct Published {
    const char* id;
    void* object;
};

// InitDLL of a sample module: attaches this module's service access layer
// under `owner`, publishes the `count` interfaces of `list` (entries without
// an id are skipped) with the module as owner, then calls `afterAttach`.
int32_t AttachModule(const char* owner, uintptr_t module, IInterfaceManager* registry, const Published* list,
                     int count, void (*afterAttach)());
// ExitDLL: calls `beforeDetach` (which gives back what the module made),
// withdraws the interfaces and detaches the access layer.
int32_t DetachModule(const char* owner, const Published* list, int count, void (*beforeDetach)());

template <int N>
constexpr int CountOf(const Published (&)[N]) {
    return N;
}

}  // namespace sample

// The two exported entry points every module has, for a module named `owner`
// that publishes the array `published`; the two hooks (or nullptr) run after
// attaching and before detaching.
#define SAMPLE_MODULE_ENTRY_POINTS(owner, published, afterAttach, beforeDetach)                                  \
    extern "C" VARN_EXPORT int32_t VARN_CDECL InitDLL(uintptr_t module, IInterfaceManager* registry) {          \
        return sample::AttachModule(owner, module, registry, published, sample::CountOf(published), afterAttach); \
    }                                                                                                            \
    extern "C" VARN_EXPORT int32_t VARN_CDECL ExitDLL() {                                                        \
        return sample::DetachModule(owner, published, sample::CountOf(published), beforeDetach);                \
    }

namespace sample {

// Reads the whole game file `name` (plain file or catalog member) through the
// file manager. Files over 4 MB are refused. False when it cannot be read.
bool ReadGameFile(const char* name, std::string* contents);

}  // namespace sample
