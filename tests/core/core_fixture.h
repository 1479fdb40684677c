// Shared pieces of the core tests: the probe the test modules report to, the
// module files copied under chosen names, and a fixture that brings the host
// services up the way the host does.
#pragma once

#include "core/clock.h"
#include "core/debug_system.h"
#include "core/dll_library_manager.h"
#include "core/interface_manager.h"
#include "core/memory_manager.h"
#include "core/random_table.h"
#include "modules/test_module_api.h"
#include "shell/shell.h"
#include "tests/support/log_recorder.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace coretest {

using testsupport::LogRecorder;

// Published as "TST": collects "MODULE:event" lines and the modules' log messages.
class Probe final : public ITestProbe {
public:
    explicit Probe(LogRecorder& moduleLog) : m_moduleLog(moduleLog) {}
    void tpEvent(const char* module, const char* what) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(std::string(module) + ":" + what);
    }
    void tpLog(int32_t severity, const char* text) override { m_moduleLog.Add(static_cast<LogSeverity>(severity), text); }
    std::vector<std::string> Events() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }
    int Count(const std::string& event) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return static_cast<int>(std::count(m_events.begin(), m_events.end(), event));
    }

private:
    LogRecorder& m_moduleLog;
    std::mutex m_mutex;
    std::vector<std::string> m_events;
};

// The build path of a test module, in the form this platform's file API takes.
inline std::filesystem::path BuiltModule(const char* path) {
#ifdef _WIN32
    std::string text = path;
    if (!text.empty() && text[0] == '/') text = "Z:" + text;  // Wine maps the Unix root to Z:
    return std::filesystem::path(text);
#else
    return std::filesystem::path(path);
#endif
}

// Copies a built module into the scratch directory under the given file name.
inline bool PlaceModule(const testsupport::ScratchDir& dir, const char* built, const std::string& fileName) {
    std::error_code error;
    std::filesystem::copy_file(BuiltModule(built), testsupport::HostPath(dir.File(fileName)),
                               std::filesystem::copy_options::overwrite_existing, error);
    return !error;
}

// The host's bring-up of the services the tests need, on objects of their
// own: debug system and memory manager bound directly, a registry with "DBG",
// "MEM", "DLL", "RND" and the probe "TST", and the module loader reset to it
// and pointed at a scratch directory holding the test modules.
class CoreServices : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.Made());
        debug.Init(kDebugFileName);
        ASSERT_TRUE(memory.Init());
        ShellSetRegistry(registry.Init());
        dll.Reset(&registry);
        registry.RegisterInterface("DBG", static_cast<IDebugSystem*>(&debug), 0);
        registry.RegisterInterface("MEM", static_cast<IMemoryManager*>(&memory), 0);
        registry.RegisterInterface("DLL", static_cast<IDllLibraryManager*>(&dll), 0);
        registry.RegisterInterface("RND", static_cast<IRandomTable*>(&random), 0);
        registry.RegisterInterface("TST", static_cast<ITestProbe*>(&probe), 0);
        ASSERT_TRUE(PlaceModule(dir, CORE_MOD_ALPHA, "Alpha.DLL"));
        ASSERT_TRUE(PlaceModule(dir, CORE_MOD_BETA, "Beta.DLL"));
        ASSERT_TRUE(PlaceModule(dir, CORE_MOD_DELTA, "Delta.DLL"));
        ASSERT_TRUE(PlaceModule(dir, CORE_MOD_PLAIN, "Plain.DLL"));
        dll.dllSetDirectory(dir.Path());
        log.Clear();
    }

    void TearDown() override {
        dll.dllFreeAll();
        for (const char* id : {"TST", "RND", "DLL", "MEM", "DBG"}) registry.UnregisterInterface(id);
        registry.Deinit();
        ShellSetRegistry(nullptr);
        memory.Shutdown();
        debug.Shutdown();
    }

    ITestModule* Module(const char* id) {
        void* object = nullptr;
        if (!registry.GetInterface(id, &object)) return nullptr;
        ITestModule* module = static_cast<ITestModule*>(object);
        registry.ReleaseInterface(id, &object);
        return module;
    }

    testsupport::ScratchDir dir;
    LogRecorder log;
    LogRecorder moduleLog{LogRecorder::NoSink()};
    Probe probe{moduleLog};
    DebugSystem debug;
    MemoryManager memory;
    InterfaceManager registry;
    DllLibraryManager dll;
    RandomTable random;
};

}  // namespace coretest
