#include "host/core_bringup.h"

#include "core/core_services.h"
#include "host/app_object.h"
#include "host/main_window.h"
#include "shell/shell.h"
#include "shell_base/log.h"

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

    registry->RegisterInterface(IDebugSystem::kId, static_cast<IDebugSystem*>(&core.debug), 0);
    LogDebugSystem(1, "Debug System interface registered...");
    registry->RegisterInterface(IMemoryManager::kId, static_cast<IMemoryManager*>(&core.memory), 0);
    LogInfo("Memory Manager interface registered...");
    core.dlls.Reset(registry);
    registry->RegisterInterface(IDllLibraryManager::kId, static_cast<IDllLibraryManager*>(&core.dlls), 0);
    LogInfo("DLL Library Manager initialized...");
    core.files.Initialize();
    registry->RegisterInterface(IFileManager::kId, static_cast<IFileManager*>(&core.files), 0);
    core.random.rndSetSeed(1);
    registry->RegisterInterface(IRandomTable::kId, static_cast<IRandomTable*>(&core.random), 0);
    core.clock.Start();
    registry->RegisterInterface(IClock::kId, static_cast<IClock*>(&core.clock), 0);
    core.options.Initialize();
    registry->RegisterInterface(IOptionsFile::kId, static_cast<IOptionsFile*>(&core.options), 0);
    RegisterApplication(registry);

    CountMonitors();
    return 1;
}

void CoreTeardown() {
    CoreServices& core = TheCoreServices();
    IInterfaceManager* registry = ShellGetRegistry();
    TheApplication().Shutdown(registry);
    core.options.Shutdown();
    registry->UnregisterInterface(IOptionsFile::kId);
    core.clock.Stop();
    registry->UnregisterInterface(IClock::kId);
    registry->UnregisterInterface(IRandomTable::kId);
    core.files.Shutdown();
    registry->UnregisterInterface(IFileManager::kId);
    LogInfo("DLL Library Manager deinitialized...");
    core.dlls.dllFreeAll();
    registry->UnregisterInterface(IDllLibraryManager::kId);
    registry->UnregisterInterface(IMemoryManager::kId);
    LogInfo("Memory Manager interface unregistered...");
    registry->UnregisterInterface(IDebugSystem::kId);
    LogDebugSystem(1, "Debug System interface unregistered...");
    InterfaceManagerDeinit();
    ShellSetRegistry(nullptr);
    core.memory.Shutdown();
    core.debug.Shutdown();
}
