#include "host/core_bringup.h"

#include "core/core_services.h"
#include "host/app_object.h"
#include "host/main_window.h"
#include "shell/log.h"
#include "shell/shell.h"

int CoreBringUp() {
    CoreServices& core = TheCoreServices();
    core.debug.Init(kDebugFileName);
    // Without its heap nothing of the host can allocate: give up like
    // without a registry.
    IInterfaceManager* registry = core.memory.Init() ? InterfaceManagerInit() : nullptr;
    if (!registry) {
        LogError("Unable to Initialize Interface Manager!");
        return 0;
    }
    ShellSetRegistry(registry);

    registry->RegisterInterface("DBG", static_cast<IDebugSystem*>(&core.debug), 0);
    LogDebugSystem(1, "Debug System interface registered...");
    registry->RegisterInterface("MEM", static_cast<IMemoryManager*>(&core.memory), 0);
    LogInfo("Memory Manager interface registered...");
    core.dlls.Reset(registry);
    registry->RegisterInterface("DLL", static_cast<IDllLibraryManager*>(&core.dlls), 0);
    LogInfo("DLL Library Manager initialized...");
    core.files.Initialize();
    registry->RegisterInterface("FMG", static_cast<IFileManager*>(&core.files), 0);
    core.random.rndSetSeed(1);
    registry->RegisterInterface("RND", static_cast<IRandomTable*>(&core.random), 0);
    core.clock.Start();
    registry->RegisterInterface("CLK", static_cast<IClock*>(&core.clock), 0);
    core.options.Initialize();
    registry->RegisterInterface("OPT", static_cast<IOptionsFile*>(&core.options), 0);
    RegisterApplication(registry);

    CountMonitors();
    return 1;
}

void CoreTeardown() {
    CoreServices& core = TheCoreServices();
    IInterfaceManager* registry = ShellGetRegistry();
    TheApplication().Shutdown(registry);
    core.options.Shutdown();
    registry->UnregisterInterface("OPT");
    core.clock.Stop();
    registry->UnregisterInterface("CLK");
    registry->UnregisterInterface("RND");
    core.files.Shutdown();
    registry->UnregisterInterface("FMG");
    LogInfo("DLL Library Manager deinitialized...");
    core.dlls.dllFreeAll();
    registry->UnregisterInterface("DLL");
    registry->UnregisterInterface("MEM");
    LogInfo("Memory Manager interface unregistered...");
    registry->UnregisterInterface("DBG");
    LogDebugSystem(1, "Debug System interface unregistered...");
    InterfaceManagerDeinit();
    ShellSetRegistry(nullptr);
    core.memory.Shutdown();
    core.debug.Shutdown();
}
