// The host's service objects. They are constructed before the program entry
// runs, in this order, and destroyed after it returns, in reverse order;
// construction only prepares each object's lock and function table.
#include "core/clock.h"
#include "core/debug_system.h"
#include "core/dll_library_manager.h"
#include "core/interface_manager.h"
#include "core/memory_manager.h"
#include "core/random_table.h"

namespace {
Clock g_clock;
RandomTable g_randomTable;
DllLibraryManager g_dllLibraryManager;
MemoryManager g_memoryManager;
DebugSystem g_debugSystem;
InterfaceManager g_interfaceManager;
}  // namespace

Clock& TheClock() { return g_clock; }
RandomTable& TheRandomTable() { return g_randomTable; }
DllLibraryManager& TheDllLibraryManager() { return g_dllLibraryManager; }
MemoryManager& TheMemoryManager() { return g_memoryManager; }
DebugSystem& TheDebugSystem() { return g_debugSystem; }
InterfaceManager& TheInterfaceManager() { return g_interfaceManager; }

IInterfaceManager* InterfaceManagerInit() { return g_interfaceManager.Init(); }
void InterfaceManagerDeinit() { g_interfaceManager.Deinit(); }
