// The module's entry points: InitDLL attaches the service access layer, takes
// the game's interfaces and publishes "COM"; ExitDLL gives everything back in
// reverse order.
#include "comm/comm_interface.h"

#include "shell/log.h"
#include "shell/shell.h"
#include "varn/registry.h"

namespace {

const char kOwnerName[] = "COM";

IInterfaceManager* g_registry = nullptr;

}  // namespace

extern "C" VARN_EXPORT int32_t VARN_CDECL InitDLL(uintptr_t module, IInterfaceManager* registry) {
    g_registry = registry;
    ShellAttach(kOwnerName, registry);
    CommInterface& comm = TheCommInterface();
    comm.services.GetAll(registry);
    registry->RegisterInterface(ICommInterface::kId, static_cast<ICommInterface*>(&comm), module);
    LogInfo("Comm DLL Initialized...");
    return 3;
}

extern "C" VARN_EXPORT int32_t VARN_CDECL ExitDLL() {
    LogInfo("Comm DLL Deinitialized...");
    CommInterface& comm = TheCommInterface();
    comm.ReleaseLeftovers();
    comm.services.ReleaseAll();
    g_registry->UnregisterInterface(ICommInterface::kId);
    ShellDetach(kOwnerName);
    return 1;
}
