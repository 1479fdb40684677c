// The sample network layer module: publishes "NET" when loaded and withdraws
// it, with its sockets and service thread, when unloaded.
#include "network_layer.h"

#include "shell/shell.h"
#include "varn/registry.h"
#include "varn/sdk.h"

namespace {
const char kOwner[] = "NETWORK";
IInterfaceManager* g_registry = nullptr;
NetworkLayer* g_layer = nullptr;
}  // namespace

extern "C" VARN_EXPORT int32_t VARN_CDECL InitDLL(uintptr_t module, IInterfaceManager* registry) {
    if (!registry || g_registry) return 0;
    g_registry = registry;
    ShellAttach(kOwner, registry);
    g_layer = new NetworkLayer();
    if (!registry->RegisterInterface(VARN_ID_NET, static_cast<INetworkLayer*>(g_layer), module)) {
        delete g_layer;
        g_layer = nullptr;
        return 0;
    }
    return 1;
}

extern "C" VARN_EXPORT int32_t VARN_CDECL ExitDLL() {
    if (!g_registry) return 0;
    if (g_layer) {
        g_layer->Shutdown();
        g_registry->UnregisterInterface(VARN_ID_NET);
        delete g_layer;
        g_layer = nullptr;
    }
    ShellDetach(kOwner);
    g_registry = nullptr;
    return 1;
}
