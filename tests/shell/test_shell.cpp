// The service access layer: attach and detach, the host binds, the APP
// wrappers, and where blocks go in each binding state, in this program and
// in a module with its own copy of the layer.
#include "tests/core/core_fixture.h"

#include "shell/shell_app.h"
#include "tests/support/fake_application.h"

#include <cstdlib>
#include <cstring>
#include <map>

using coretest::CoreServices;
using coretest::LogRecorder;
using testsupport::FakeApplication;

namespace {

class Shell : public CoreServices {
protected:
    void SetUp() override {
        CoreServices::SetUp();
        registry.RegisterInterface("APP", static_cast<IApplication*>(&app), 0);
    }
    void TearDown() override {
        registry.UnregisterInterface("APP");
        CoreServices::TearDown();
    }
    std::map<std::string, int32_t> Counts() {
        std::map<std::string, int32_t> counts;
        for (const char* id : {"DBG", "MEM", "APP", "DLL", "RND", "TST"}) counts[id] = registry.ReferenceCount(id);
        return counts;
    }
    FakeApplication app;
};

TEST_F(Shell, AttachAndDetachReturnEveryCountToWhereItWas) {
    std::map<std::string, int32_t> before = Counts();
    const char* version = ShellAttach("COM", &registry);
    EXPECT_STREQ("v02.19.07", version);
    EXPECT_STREQ("v02.19.07", ShellGetVersionText());
    EXPECT_NE(nullptr, ShellGetNoticeText());
    EXPECT_STREQ("COM", ShellGetOwnerName());
    for (const char* id : {"DBG", "MEM", "APP", "DLL", "RND"}) EXPECT_EQ(before[id] + 1, registry.ReferenceCount(id)) << id;
    // "FMG" is not published here: its get fails and leaves nothing bound.
    EXPECT_EQ(nullptr, ShellGetFileManager());
    EXPECT_TRUE(log.Has(LogSeverity::Warning, "Unable to get Interface FMG!"));
    // The window values are cached at attach.
    EXPECT_EQ(&app.window, ShellGetWindowHandle());
    EXPECT_EQ(&app.instance, ShellGetInstanceHandle());
    EXPECT_EQ(0, memcmp(&app.guid, ShellGetApplicationGuid(), sizeof(VarnGuid)));
    EXPECT_TRUE(plat::HeapOwns(memory.Heap(), ShellGetVersionText()));

    EXPECT_EQ(1, ShellDetach("COM"));
    EXPECT_EQ(before, Counts());
    EXPECT_EQ(nullptr, ShellGetVersionText());
    EXPECT_EQ(nullptr, ShellGetWindowHandle());
    EXPECT_EQ(nullptr, ShellGetMemory());
    EXPECT_EQ(nullptr, ShellGetApplication());
    EXPECT_EQ(nullptr, ShellGetDebug());
    EXPECT_EQ(0, log.CountSeverity(LogSeverity::Error)) << log.All();
    ShellBindMemory(&memory);  // back to the host's binding for teardown
    ShellBindDebug(&debug);
}

TEST_F(Shell, ALongOwnerNameIsCutToSevenCharacters) {
    std::map<std::string, int32_t> before = Counts();
    ShellAttach("LONGNAME10", &registry);
    EXPECT_STREQ("LONGNAM", ShellGetOwnerName());
    EXPECT_EQ(0, ShellDetach("LONGNAME10"));
    EXPECT_TRUE(log.Has(LogSeverity::Error, "Unable to exit application shell LONGNAME10 from DLL LONGNAM!"));
    EXPECT_EQ(before["MEM"] + 1, registry.ReferenceCount("MEM"));  // nothing released
    EXPECT_STREQ("v02.19.07", ShellGetVersionText());
    EXPECT_EQ(0, ShellDetach("longnam"));  // case-sensitive
    EXPECT_EQ(1, ShellDetach("LONGNAM"));
    EXPECT_EQ(before, Counts());
    ShellBindMemory(&memory);
    ShellBindDebug(&debug);
}

TEST_F(Shell, AModuleAttachesWithItsOwnLayerAndLeavesTheCountsAsTheyWere) {
    std::map<std::string, int32_t> before = Counts();
    const char* ownName = ShellGetOwnerName();
    ASSERT_EQ(1, dll.dllLoadLibrary("Delta"));
    ITestModule* delta = Module("DEL");
    ASSERT_NE(nullptr, delta);
    EXPECT_STREQ("LONGNAM", delta->tmOwnerName());
    EXPECT_STREQ("v02.19.07", delta->tmVersionText());
    EXPECT_EQ(&app.window, delta->tmWindowHandle());
    EXPECT_EQ(0x5D7BB2C9u, delta->tmGuidData1());
    EXPECT_EQ(before["MEM"] + 1, registry.ReferenceCount("MEM"));
    ASSERT_EQ(1, dll.dllFreeLibrary("Delta"));
    // Its ExitDLL first detaches with the full name, which fails, then with the kept one.
    EXPECT_TRUE(moduleLog.Has(LogSeverity::Error, "Unable to exit application shell LONGNAME10 from DLL LONGNAM!"));
    EXPECT_EQ(1, probe.Count("LONGNAME10:detach:0"));
    EXPECT_EQ(1, probe.Count("LONGNAME10:detach:1"));
    EXPECT_EQ(before, Counts());
    // This program's own layer was never touched by the module's.
    EXPECT_EQ(ownName, ShellGetOwnerName());
    EXPECT_EQ(&memory, ShellGetMemory());
}

TEST_F(Shell, AModulesNewLandsInTheSharedHeapAndThisProgramsDoesNot) {
    ASSERT_EQ(1, dll.dllLoadLibrary("Alpha"));
    ITestModule* alpha = Module("ALP");
    ASSERT_NE(nullptr, alpha);
    void* shared = alpha->tmNewBlock();
    EXPECT_TRUE(plat::HeapOwns(memory.Heap(), shared));
    // Made before the module attached: C runtime memory, not the shared heap.
    void* early = alpha->tmEarlyBlock();
    ASSERT_NE(nullptr, early);
    EXPECT_FALSE(plat::HeapOwns(memory.Heap(), early));
    // This program carries no replaced operators: its new uses its runtime.
    size_t fallback = ShellFallbackBlockCount();
    int* own = new int[4];
    EXPECT_FALSE(plat::HeapOwns(memory.Heap(), own));
    EXPECT_EQ(fallback, ShellFallbackBlockCount());
    delete[] own;
    // A shared block may be freed by another party.
    ShellFree(shared);
    EXPECT_FALSE(plat::HeapOwns(memory.Heap(), shared));
    void* second = alpha->tmNewBlock();
    alpha->tmDeleteBlock(second);
    EXPECT_FALSE(plat::HeapOwns(memory.Heap(), second));
    EXPECT_EQ(1, dll.dllFreeLibrary("Alpha"));  // its ExitDLL frees the early block to its runtime
}

TEST_F(Shell, HostAttachTakesItsServicesAndDetachFreesEveryModule) {
    std::map<std::string, int32_t> before = Counts();
    ShellAttachHost(&app);
    EXPECT_EQ(&app, ShellGetApplication());
    EXPECT_EQ(before["APP"], registry.ReferenceCount("APP"));  // bound directly
    EXPECT_EQ(before["DLL"] + 1, registry.ReferenceCount("DLL"));
    EXPECT_EQ(before["RND"] + 1, registry.ReferenceCount("RND"));
    EXPECT_EQ(&dll, ShellGetDllManager());
    EXPECT_STREQ("v02.19.07", ShellGetVersionText());
    ASSERT_EQ(1, dll.dllLoadLibrary("Alpha"));
    ASSERT_EQ(1, dll.dllLoadLibrary("Alpha"));
    ShellDetachHost();
    EXPECT_EQ(1, probe.Count("ALPHA:ExitDLL"));
    EXPECT_EQ(0, dll.LibraryCount());
    EXPECT_EQ(before, Counts());
    EXPECT_EQ(nullptr, ShellGetApplication());
    EXPECT_EQ(nullptr, ShellGetVersionText());
    ShellSetWindowValues(&app.instance, &app.window, &app.guid);
    EXPECT_EQ(&app.window, ShellGetWindowHandle());
    ShellSetWindowValues(nullptr, nullptr, nullptr);
}

TEST(ShellApp, WrappersDoNothingUnboundAndForwardWhenBound) {
    ASSERT_EQ(nullptr, ShellGetApplication());
    appSetForeground(1);
    appSetPendingText("text");
    EXPECT_EQ(0, appHasPendingText());
    EXPECT_EQ(0, appPumpMessages());
    EXPECT_EQ(0, appIsActive());
    EXPECT_STREQ("", appGetBaseDirectory());
    VarnRect rect = {9, 9, 9, 9};
    appGetWindowRect(&rect);
    EXPECT_EQ(9, rect.left);

    FakeApplication app;
    InterfaceManager registry;
    registry.Init();
    ShellSetRegistry(&registry);
    ShellAttachHost(&app);
    appSetForeground(1);
    EXPECT_EQ(1, app.foreground);
    appSetPendingText("text");
    EXPECT_EQ(1, appHasPendingText());
    EXPECT_EQ(1, appPumpMessages());
    EXPECT_STREQ("C:\\Game", appGetBaseDirectory());
    appGetWindowRect(&rect);
    EXPECT_EQ(4, rect.bottom);
    ShellDetachHost();
    ShellSetRegistry(nullptr);
    registry.Deinit();
}

TEST(ShellMemory, BlocksGoBackToTheHeapTheyCameFrom) {
    ASSERT_EQ(nullptr, ShellGetMemory());
    size_t before = ShellFallbackBlockCount();
    void* unbound = ShellAlloc(24);
    ASSERT_NE(nullptr, unbound);
    EXPECT_EQ(before + 1, ShellFallbackBlockCount());

    MemoryManager memory;
    ASSERT_TRUE(memory.Init());
    void* bound = ShellAlloc(24);
    EXPECT_TRUE(plat::HeapOwns(memory.Heap(), bound));
    EXPECT_EQ(before + 1, ShellFallbackBlockCount());
    // Allocated unbound, freed bound: back to the C runtime, not to "MEM".
    ShellFree(unbound);
    EXPECT_EQ(before, ShellFallbackBlockCount());
    // Allocated bound, freed unbound: left to the heap, which frees it.
    ShellUnbindMemory();
    ShellFree(bound);
    EXPECT_TRUE(plat::HeapOwns(memory.Heap(), bound));
    ShellBindMemory(&memory);
    ShellFree(bound);
    EXPECT_FALSE(plat::HeapOwns(memory.Heap(), bound));
    // The extended form and the service operations forward too.
    void* extended = ShellAllocEx(10, 0, 0);
    EXPECT_TRUE(plat::HeapOwns(memory.Heap(), extended));
    ShellMemReserved(1);
    ShellMemCompact();
    EXPECT_TRUE(plat::HeapOwns(memory.Heap(), extended));
    ShellFree(extended);
    void* leftOver = ShellAlloc(100);
    memory.Shutdown();  // the heap takes its blocks with it
    ShellFree(leftOver);
    ShellFree(nullptr);
    EXPECT_EQ(nullptr, ShellGetMemory());
    // Unbound again: many blocks at once keep their bookkeeping straight.
    std::vector<void*> blocks;
    for (int i = 0; i < 1000; ++i) blocks.push_back(ShellAlloc(static_cast<size_t>(i % 7)));
    EXPECT_EQ(before + 1000, ShellFallbackBlockCount());
    for (void* block : blocks) ShellFree(block);
    EXPECT_EQ(before, ShellFallbackBlockCount());
}

}  // namespace
