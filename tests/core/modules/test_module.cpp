// A module DLL for the tests of the registry, the module loader and the
// access layer. Built several times with different names and ids:
//   TEST_OWNER    the name it attaches its access layer with
//   TEST_ID       the id it publishes
//   TEST_HOLDS    an id it takes in InitDLL and holds until ExitDLL (optional)
//   TEST_DETACH   a name it first tries to detach with (optional)
#include "modules/test_module_api.h"

#include "shell/shell.h"
#include "shell_base/log_capture.h"
#include "varn/registry.h"

#include <cstring>

namespace {

IInterfaceManager* g_registry = nullptr;
uintptr_t g_module = 0;
void* g_probe = nullptr;
#ifdef TEST_HOLDS
void* g_held = nullptr;
#endif
int* g_early = nullptr;

ITestProbe* Probe() { return static_cast<ITestProbe*>(g_probe); }

void Event(const char* what) {
    if (Probe()) Probe()->tpEvent(TEST_OWNER, what);
}

void ForwardLog(LogSeverity severity, const char* text, void*) {
    if (Probe()) Probe()->tpLog(static_cast<int32_t>(severity), text);
}

class TestModule final : public ITestModule {
public:
    const char* tmOwnerName() override { return ShellGetOwnerName(); }
    const char* tmVersionText() override { return ShellGetVersionText(); }
    void* tmNewBlock() override { return new int[4]; }
    void tmDeleteBlock(void* block) override { delete[] static_cast<int*>(block); }
    void* tmEarlyBlock() override { return g_early; }
    int32_t tmReleaseHeld() override {
#ifdef TEST_HOLDS
        return g_registry->ReleaseInterface(TEST_HOLDS, &g_held);
#else
        return 0;
#endif
    }
    uintptr_t tmModuleHandle() override { return g_module; }
    void* tmWindowHandle() override { return ShellGetWindowHandle(); }
    uint32_t tmGuidData1() override { return ShellGetApplicationGuid()->data1; }
};

TestModule g_object;

}  // namespace

extern "C" VARN_EXPORT int32_t VARN_CDECL InitDLL(uintptr_t module, IInterfaceManager* registry) {
    g_registry = registry;
    g_module = module;
    g_early = new int[4];
    registry->GetInterface("TST", &g_probe);
    LogSetCaptureSink(&ForwardLog, nullptr);
    ShellAttach(TEST_OWNER, registry);
#ifdef TEST_HOLDS
    registry->GetInterface(TEST_HOLDS, &g_held);
#endif
    registry->RegisterInterface(TEST_ID, static_cast<ITestModule*>(&g_object), module);
    Event("InitDLL");
    return 1;
}

extern "C" VARN_EXPORT int32_t VARN_CDECL ExitDLL() {
    Event("ExitDLL");
    g_registry->UnregisterInterface(TEST_ID);
#ifdef TEST_HOLDS
    if (g_held) g_registry->ReleaseInterface(TEST_HOLDS, &g_held);
#endif
    delete[] g_early;
    g_early = nullptr;
#ifdef TEST_DETACH
    Event(ShellDetach(TEST_DETACH) ? "detach:1" : "detach:0");
#endif
    Event(ShellDetach(ShellGetOwnerName()) ? "detach:1" : "detach:0");
    LogSetCaptureSink(nullptr, nullptr);
    g_registry->ReleaseInterface("TST", &g_probe);
    return 1;
}
