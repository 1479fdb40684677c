// The host's service objects, gathered in one record so that a program defines
// them all in one place: members are constructed in declaration order before
// the program entry runs and destroyed in reverse order after it returns.
// Construction only prepares each object's lock and function table.
//
// Varn defines its instance next to the application object (host/); tools and
// test programs link varn_core_instance, which defines a stand-alone one.
#pragma once

#include "core/clock.h"
#include "core/debug_system.h"
#include "core/dll_library_manager.h"
#include "core/interface_manager.h"
#include "core/memory_manager.h"
#include "core/options_file.h"
#include "core/random_table.h"
#include "files/file_manager.h"

struct CoreServices {
    OptionIniFile options;      // "OPT"
    Clock clock;                // "CLK"
    RandomTable random;         // "RND"
    FileManager files;          // "FMG"
    DllLibraryManager dlls;     // "DLL"
    MemoryManager memory;       // "MEM"
    DebugSystem debug;          // "DBG"
    InterfaceManager registry;  // the interface registry
};

// Defined once per program (see above).
CoreServices& TheCoreServices();

FileManager& TheFileManager();
