// The module loader with real module DLLs: loading, counting, extension rules,
// InitDLL/ExitDLL, the delayed free through the registry, and the two locks
// taken in both orders.
#include "core_fixture.h"

#include "platform/platform.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

using coretest::CoreServices;
using coretest::PlaceModule;

namespace {

using DllManager = CoreServices;

TEST_F(DllManager, ModulesExportTheirEntryPointsUndecorated) {
    plat::LibraryHandle alpha = plat::LibraryLoad(dir.File("Alpha.DLL").c_str());
    ASSERT_NE(nullptr, alpha) << plat::LibraryLastError();
    EXPECT_NE(nullptr, plat::LibrarySymbol(alpha, "InitDLL"));
    EXPECT_NE(nullptr, plat::LibrarySymbol(alpha, "ExitDLL"));
    // Nothing of the module's own access layer is visible from outside.
    EXPECT_EQ(nullptr, plat::LibrarySymbol(alpha, "ShellAlloc"));
    plat::LibraryFree(alpha);
    plat::LibraryHandle plain = plat::LibraryLoad(dir.File("Plain.DLL").c_str());
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(nullptr, plat::LibrarySymbol(plain, "InitDLL"));
    EXPECT_NE(nullptr, plat::LibrarySymbol(plain, "PlainModuleValue"));
    plat::LibraryFree(plain);
}

TEST_F(DllManager, LoadingANameTwiceInitialisesOnceAndCountsTwo) {
    EXPECT_EQ(1, dll.dllLoadLibrary("Alpha"));
    EXPECT_EQ(1, dll.dllLoadLibrary("Alpha"));
    EXPECT_EQ(1, probe.Count("ALPHA:InitDLL"));
    EXPECT_EQ(2, dll.UseCount("Alpha"));
    EXPECT_EQ(1, dll.LibraryCount());
    ITestModule* alpha = Module("ALP");
    ASSERT_NE(nullptr, alpha);
    EXPECT_EQ(1, dll.dllFreeLibrary("Alpha"));
    EXPECT_TRUE(log.Has(LogSeverity::Notice, "...DLL library Alpha still in use (1).")) << log.All();
    EXPECT_EQ(0, probe.Count("ALPHA:ExitDLL"));
    EXPECT_NE(nullptr, Module("ALP"));
    EXPECT_EQ(1, dll.dllFreeLibrary("Alpha"));
    EXPECT_EQ(1, probe.Count("ALPHA:ExitDLL"));
    EXPECT_EQ(0, dll.LibraryCount());
    void* gone = nullptr;
    EXPECT_EQ(0, registry.GetInterface("ALP", &gone));
}

// The registry names a module owner by its file, found from the handle the
// module registered with.
TEST_F(DllManager, ARegistrationThatMeetsAModulesIdNamesTheModule) {
    ASSERT_EQ(1, dll.dllLoadLibrary("Alpha"));
    EXPECT_EQ(0, registry.RegisterInterface("ALP", &random, 0));
    EXPECT_TRUE(log.Has(LogSeverity::Warning, "...Interface ALP belongs to Alpha.DLL; the host registered it again."))
        << log.All();
    EXPECT_EQ(1, dll.dllFreeLibrary("Alpha"));
}

TEST_F(DllManager, NamesGetTheDefaultExtensionOnlyWithoutADotInTheLastComponent) {
    ASSERT_TRUE(PlaceModule(dir, CORE_MOD_PLAIN, "plain.mod"));
    EXPECT_EQ(1, dll.dllLoadLibrary("Plain"));
    EXPECT_EQ(dir.File("Plain.DLL"), dll.LastPath());
    EXPECT_EQ(1, dll.dllLoadLibrary("plain.mod"));
    EXPECT_EQ(dir.File("plain.mod"), dll.LastPath());
    EXPECT_EQ(2, dll.LibraryCount());  // names differ, so two libraries

    // A dot in a directory name does not count as an extension.
    std::string dotted = dir.File("mods.v2");
    ASSERT_TRUE(plat::DirMake(dotted.c_str()));
    ASSERT_TRUE(PlaceModule(dir, CORE_MOD_PLAIN, "mods.v2\\Other.DLL"));
    dll.dllSetDirectory(dotted.c_str());
    EXPECT_EQ(1, dll.dllLoadLibrary("Other"));
    EXPECT_EQ(dotted + "\\Other.DLL", dll.LastPath());
    // Each load names the file it took; a module without InitDLL still loads,
    // with a note for its author.
    for (const std::string& path : {dir.File("Plain.DLL"), dir.File("plain.mod"), dotted + "\\Other.DLL"}) {
        EXPECT_TRUE(log.Has(LogSeverity::Info, "DLL library " + path + " loaded.")) << log.All();
        EXPECT_TRUE(log.Has(LogSeverity::Warning,
                            "...DLL library " + path + " exports no InitDLL: loaded, but nothing of it runs."));
    }
    EXPECT_EQ(6u, log.Size()) << log.All();
    log.Clear();
    EXPECT_EQ(1, dll.dllFreeLibrary("Other"));
    EXPECT_EQ(1, dll.dllFreeLibrary("plain.mod"));
    EXPECT_EQ(1, dll.dllFreeLibrary("Plain"));
    EXPECT_TRUE(log.Has(LogSeverity::Info, "DLL library plain.mod freed.")) << log.All();
    EXPECT_EQ(3u, log.Size()) << log.All();
}

TEST_F(DllManager, TheDirectoryDefaultsToTheWorkingDirectory) {
    testsupport::WorkingDirGuard back;
    ASSERT_TRUE(plat::DirChange(dir.Path()));
    dll.Reset(&registry);
    EXPECT_STREQ(".\\", dll.dllGetDirectory());
    EXPECT_EQ(1, dll.dllLoadLibrary("Plain"));
    EXPECT_STREQ(".\\Plain.DLL", dll.LastPath());
    dll.dllSetDirectory("elsewhere");
    dll.dllSetDirectory("");
    EXPECT_STREQ(".\\", dll.dllGetDirectory());
    dll.dllSetDirectory(nullptr);
    EXPECT_STREQ(".\\", dll.dllGetDirectory());
    EXPECT_EQ(1, dll.dllFreeLibrary("Plain"));
}

TEST_F(DllManager, DirectoriesAndPathsStayWithinTheirBuffers) {
    std::string longDirectory(400, 'd');
    dll.dllSetDirectory(longDirectory.c_str());
    EXPECT_EQ(std::string(259, 'd'), dll.dllGetDirectory());
    EXPECT_EQ(0, dll.dllLoadLibrary("Alpha"));
    EXPECT_EQ(259u, std::string(dll.LastPath()).size());
    EXPECT_TRUE(log.Has(LogSeverity::Error, "...unable to load DLL library " + std::string(dll.LastPath()) + "!"));
    EXPECT_EQ(0, dll.LibraryCount());
}

TEST_F(DllManager, NamesAreCaseSensitive) {
    ASSERT_TRUE(PlaceModule(dir, CORE_MOD_PLAIN, "PLAIN.DLL"));
    EXPECT_EQ(1, dll.dllLoadLibrary("Plain"));
    EXPECT_EQ(1, dll.dllLoadLibrary("PLAIN"));
    EXPECT_EQ(2, dll.LibraryCount());
    EXPECT_EQ(1, dll.UseCount("Plain"));
    EXPECT_EQ(1, dll.UseCount("PLAIN"));
    EXPECT_EQ(0, dll.dllFreeLibrary("plain"));
    EXPECT_TRUE(log.Has(LogSeverity::Warning, "...unable to free DLL library plain."));
    EXPECT_EQ(1, dll.dllFreeLibrary("PLAIN"));
    EXPECT_EQ(1, dll.dllFreeLibrary("Plain"));
}

TEST_F(DllManager, FailuresAreReportedWithTheirMessages) {
    EXPECT_EQ(0, dll.dllLoadLibrary("Missing"));
    EXPECT_TRUE(log.Has(LogSeverity::Error, "...unable to load DLL library " + dir.File("Missing.DLL") + "!"));
    // And why, for the box and the log.
    EXPECT_TRUE(log.Has(LogSeverity::Error, "..." + dir.File("Missing.DLL") + ": " + dll.LastFailure() + "."));
    ASSERT_TRUE(dir.Write("Junk.DLL", std::string(600, 'x')));
    EXPECT_EQ(0, dll.dllLoadLibrary("Junk"));
#ifdef _WIN32
    const std::string width = sizeof(void*) == 8 ? "64" : "32";
    EXPECT_EQ("not a " + width + "-bit Windows DLL (error 193)", std::string(dll.LastFailure()));
    EXPECT_EQ(0, dll.dllLoadLibrary("Missing"));
    EXPECT_EQ("no such file (error 126)", std::string(dll.LastFailure()));
#else
    EXPECT_NE(nullptr, strstr(dll.LastFailure(), "Junk.DLL")) << dll.LastFailure();
#endif
    EXPECT_EQ(0, dll.dllLoadLibrary(""));
    EXPECT_EQ(0, dll.dllLoadLibrary(nullptr));
    EXPECT_EQ(0, dll.dllFreeLibrary("Never"));
    EXPECT_TRUE(log.Has(LogSeverity::Warning, "...unable to free DLL library Never."));
    EXPECT_EQ(0, dll.LibraryCount());
}

TEST_F(DllManager, AModuleWhoseInterfaceIsHeldIsFreedWhenTheHolderLetsGo) {
    ASSERT_EQ(1, dll.dllLoadLibrary("Alpha"));
    ASSERT_EQ(1, dll.dllLoadLibrary("Beta"));  // Beta holds "ALP"
    EXPECT_EQ(1, registry.ReferenceCount("ALP"));
    EXPECT_EQ(0, dll.dllFreeLibrary("Alpha"));
    EXPECT_TRUE(log.Has(LogSeverity::Warning, "...unable to free DLL library Alpha."));
    EXPECT_EQ(0, probe.Count("ALPHA:ExitDLL"));
    EXPECT_EQ(1, registry.IsDelayed("ALP"));
    EXPECT_EQ(2, dll.LibraryCount());

    // Freeing Beta runs its ExitDLL (loader lock, then registry lock), whose
    // release of "ALP" frees Alpha (registry, then loader again).
    EXPECT_EQ(1, dll.dllFreeLibrary("Beta"));
    EXPECT_TRUE(log.Has(LogSeverity::Info, "Freeing Delayed DLL library Alpha...")) << log.All();
    std::vector<std::string> expected = {"ALPHA:InitDLL", "BETA:InitDLL",  "BETA:ExitDLL",
                                         "ALPHA:ExitDLL", "ALPHA:detach:1", "BETA:detach:1"};
    EXPECT_EQ(expected, probe.Events());
    EXPECT_EQ(0, dll.LibraryCount());
    EXPECT_EQ(-1, registry.ReferenceCount("ALP"));  // withdrawn
    EXPECT_EQ(0, moduleLog.CountSeverity(LogSeverity::Error)) << moduleLog.All();
}

TEST_F(DllManager, AModuleRequestedAgainWhileWaitingStaysLoaded) {
    ASSERT_EQ(1, dll.dllLoadLibrary("Alpha"));
    ITestModule* alpha = Module("ALP");
    ASSERT_NE(nullptr, alpha);
    void* held = nullptr;
    ASSERT_EQ(1, registry.GetInterface("ALP", &held));
    EXPECT_EQ(0, dll.dllFreeLibrary("Alpha"));
    EXPECT_EQ(0, dll.dllFreeLibrary("Alpha"));  // a waiting module keeps its count at 0
    EXPECT_EQ(0, dll.UseCount("Alpha"));
    EXPECT_EQ(1, dll.dllLoadLibrary("Alpha"));  // a new holder
    EXPECT_EQ(1, dll.UseCount("Alpha"));
    registry.ReleaseInterface("ALP", &held);
    EXPECT_EQ(0, probe.Count("ALPHA:ExitDLL"));
    EXPECT_FALSE(log.Has(LogSeverity::Info, "Freeing Delayed DLL library Alpha..."));
    EXPECT_EQ(1, dll.LibraryCount());
    EXPECT_STREQ("ALPHA", alpha->tmOwnerName());  // still mapped and working
    EXPECT_EQ(1, dll.dllFreeLibrary("Alpha"));
    EXPECT_EQ(1, probe.Count("ALPHA:ExitDLL"));
}

TEST_F(DllManager, TheDelayedFreeWaitsForEveryInterfaceOfTheModule) {
    ASSERT_EQ(1, dll.dllLoadLibrary("Alpha"));
    // A second interface of Alpha, registered with its handle.
    uintptr_t handle = Module("ALP")->tmModuleHandle();
    int extra = 0;
    ASSERT_EQ(1, registry.RegisterInterface("AL2", &extra, handle));
    void* first = nullptr;
    void* second = nullptr;
    registry.GetInterface("ALP", &first);
    registry.GetInterface("AL2", &second);
    EXPECT_EQ(0, dll.dllFreeLibrary("Alpha"));
    registry.ReleaseInterface("ALP", &first);
    EXPECT_EQ(0, probe.Count("ALPHA:ExitDLL"));  // "AL2" is still held
    EXPECT_EQ(1, registry.IsDelayed("AL2"));
    registry.ReleaseInterface("AL2", &second);
    EXPECT_EQ(1, probe.Count("ALPHA:ExitDLL"));
    EXPECT_EQ(0, dll.LibraryCount());
    registry.UnregisterInterface("AL2");
}

TEST_F(DllManager, FreeAllUnloadsWhateverTheCountUnlessAnInterfaceIsHeld) {
    for (int i = 0; i < 3; ++i) ASSERT_EQ(1, dll.dllLoadLibrary("Alpha"));
    ASSERT_EQ(1, dll.dllLoadLibrary("Plain"));
    ASSERT_EQ(1, dll.dllLoadLibrary("Delta"));
    void* held = nullptr;
    ASSERT_EQ(1, registry.GetInterface("DEL", &held));
    EXPECT_EQ(0, dll.dllFreeAll());
    EXPECT_TRUE(log.Has(LogSeverity::Notice, "Freeing DLL library Alpha."));
    EXPECT_TRUE(log.Has(LogSeverity::Notice, "Freeing DLL library Plain."));
    EXPECT_TRUE(log.Has(LogSeverity::Warning, "...unable to free DLL library Delta."));
    EXPECT_EQ(1, probe.Count("ALPHA:ExitDLL"));
    EXPECT_EQ(1, dll.LibraryCount());
    // Once the holder lets go, the refused module goes too, count or not.
    registry.ReleaseInterface("DEL", &held);
    EXPECT_EQ(1, probe.Count("LONGNAME10:ExitDLL"));
    EXPECT_EQ(0, dll.LibraryCount());
}

TEST_F(DllManager, AModuleFreeAllRefusedAndRequestedAgainStaysForItsNewHolder) {
    ASSERT_EQ(1, dll.dllLoadLibrary("Delta"));
    void* held = nullptr;
    ASSERT_EQ(1, registry.GetInterface("DEL", &held));
    EXPECT_EQ(0, dll.dllFreeAll());
    EXPECT_TRUE(log.Has(LogSeverity::Warning, "...unable to free DLL library Delta."));
    EXPECT_EQ(1, dll.dllLoadLibrary("Delta"));  // requested again before the old holder lets go
    registry.ReleaseInterface("DEL", &held);
    EXPECT_EQ(0, probe.Count("LONGNAME10:ExitDLL"));
    EXPECT_EQ(1, dll.LibraryCount());
    EXPECT_EQ(0, dll.dllFreeAll());
    EXPECT_EQ(1, probe.Count("LONGNAME10:ExitDLL"));
    EXPECT_EQ(0, dll.LibraryCount());
}

// The loader and the registry used from two threads at once: one loads and
// frees a module, the other takes and lets go of the module's interface, so
// that frees are refused and delayed frees run on the holder's thread. The
// two locks must never wait for each other in a cycle.
TEST_F(DllManager, LoadingAndHoldingFromTwoThreadsNeverDeadlocks) {
    const int kRounds = 1000;
    std::atomic<int> finished{0};
    std::atomic<bool> stop{false};
    std::thread loader([&] {
        for (int i = 0; i < kRounds; ++i) {
            dll.dllLoadLibrary("Alpha");
            std::this_thread::yield();
            dll.dllFreeLibrary("Alpha");
        }
        stop = true;
        ++finished;
    });
    std::thread holder([&] {
        while (!stop) {
            void* object = nullptr;
            if (registry.GetInterface("ALP", &object)) {
                std::this_thread::yield();
                registry.ReleaseInterface("ALP", &object);
            }
        }
        ++finished;
    });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (finished < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (finished < 2) {
        ADD_FAILURE() << "the loader and the registry deadlocked";
        std::_Exit(1);
    }
    loader.join();
    holder.join();
    dll.dllFreeAll();
    EXPECT_EQ(0, dll.LibraryCount());
    EXPECT_GE(probe.Count("ALPHA:InitDLL"), 1);
    EXPECT_EQ(probe.Count("ALPHA:InitDLL"), probe.Count("ALPHA:ExitDLL"));
}

}  // namespace
