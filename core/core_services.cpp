// Accessors of the host's service objects (the instance is defined by the
// program, see core_services.h).
#include "core/core_services.h"

OptionIniFile& TheOptionIniFile() { return TheCoreServices().options; }
Clock& TheClock() { return TheCoreServices().clock; }
RandomTable& TheRandomTable() { return TheCoreServices().random; }
FileManager& TheFileManager() { return TheCoreServices().files; }
DllLibraryManager& TheDllLibraryManager() { return TheCoreServices().dlls; }
MemoryManager& TheMemoryManager() { return TheCoreServices().memory; }
DebugSystem& TheDebugSystem() { return TheCoreServices().debug; }
InterfaceManager& TheInterfaceManager() { return TheCoreServices().registry; }

IInterfaceManager* InterfaceManagerInit() { return TheInterfaceManager().Init(); }
void InterfaceManagerDeinit() { TheInterfaceManager().Deinit(); }
