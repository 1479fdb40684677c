// The module's entry points: InitDLL attaches the service access layer, takes
// the game's interfaces and publishes "COM"; ExitDLL gives everything back in
// reverse order.
#include "comm/comm_interface.h"

#include "shell/log.h"
#include "shell/shell.h"
#include "varn/registry.h"

namespace {

const char kOwnerName[] = "COM";

// The ids of CommInterface::Services, slot by slot.
const char* const kServiceIds[CommInterface::Services::kCount] = {"GFX", "OBJ", "MSN", "CLK", "TXT", "CTL"};

IInterfaceManager* g_registry = nullptr;

}  // namespace

extern "C" VARN_EXPORT int32_t VARN_CDECL InitDLL(uintptr_t module, IInterfaceManager* registry) {
    g_registry = registry;
    ShellAttach(kOwnerName, registry);
    CommInterface& comm = TheCommInterface();
    for (int slot = 0; slot < CommInterface::Services::kCount; ++slot)
        registry->GetInterface(kServiceIds[slot], &comm.services.held[slot]);
    registry->RegisterInterface("COM", static_cast<ICommInterface*>(&comm), module);
    LogInfo("Comm DLL Initialized...");
    return 3;
}

extern "C" VARN_EXPORT int32_t VARN_CDECL ExitDLL() {
    LogInfo("Comm DLL Deinitialized...");
    CommInterface& comm = TheCommInterface();
    comm.ReleaseLeftovers();
    for (int slot = CommInterface::Services::kCount - 1; slot >= 0; --slot) {
        if (comm.services.held[slot]) g_registry->ReleaseInterface(kServiceIds[slot], &comm.services.held[slot]);
    }
    g_registry->UnregisterInterface("COM");
    ShellDetach(kOwnerName);
    return 1;
}
