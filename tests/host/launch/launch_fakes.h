// Scripted stand-ins for the modules the multiplayer launch talks to ("APP",
// "TXT", "MMG", "NET", "OBJ"), each writing one journal line per call, and a
// fixture that publishes them in a real registry next to the real file
// manager and options object.
#pragma once

#include "core/interface_manager.h"
#include "core/options_file.h"
#include "files/file_manager.h"
#include "shell/shell.h"
#include "tests/support/fake_application.h"
#include "tests/support/fake_object_manager.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/scratch_dir.h"
#include "varn/varn.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace launchtest {

using Journal = std::vector<std::string>;
using testsupport::MessageBoxWatcher;

// Pops the next scripted value, or gives the fallback once the script is spent.
template <typename T>
T Next(std::deque<T>& script, T fallback) {
    if (script.empty()) return fallback;
    T value = script.front();
    script.pop_front();
    return value;
}

// A real main window; the pump dispatches its messages and answers as scripted.
class FakeApp final : public testsupport::FakeApplication {
public:
    explicit FakeApp(Journal& journal);
    ~FakeApp();
    std::deque<int32_t> pumpResults;  // default 1: go on
    HWND mainWindow = nullptr;

    int32_t appPumpMessages() override;
    const char* appGetBaseDirectory() override { return ""; }

private:
    Journal& m_journal;
};

class FakeText final : public ITextManager {
public:
    explicit FakeText(Journal& journal) : m_journal(journal) {}
    std::map<std::string, std::string> texts;
    void txtLoadTextFile(const char* name) override { m_journal.push_back(std::string("TXT:load ") + name); }
    void txtUnloadTextFile(const char* name) override { m_journal.push_back(std::string("TXT:unload ") + name); }
    const char* txtLookUpText(const char* name, const char* key) override {
        m_journal.push_back(std::string("TXT:text ") + key);
        auto found = texts.find(key);
        return (found != texts.end() && std::string(name) == "NetworkConnectScreen.str") ? found->second.c_str()
                                                                                         : nullptr;
    }

private:
    Journal& m_journal;
};

// The session a scripted network layer reports.
struct SessionScript {
    const char* name = "Evening";
    int gameType = 1;
    int maxPlayers = 8;
    int currentPlayers = 3;
};

class FakeNetwork final : public INetworkLayer {
public:
    explicit FakeNetwork(Journal& journal) : m_journal(journal) {}
    int hostResult = 1;
    std::deque<int> joinResults;   // per attempt, default 0
    std::deque<int> errorCodes;    // per failed attempt, default 3
    std::deque<int> sessionInfo;   // per netGetSessionInfo, default inSession
    int inSession = 0;             // set by a successful host or join
    std::deque<int> readyAnswers;  // per netIsSessionReady, then readyDefault
    int readyDefault = 1;
    std::map<std::string, std::pair<int, int>> syncResults;  // name -> result, replaced; default 1, 0
    SessionScript session;
    SessionDescription hosted{};
    SessionDescription joined{};
    std::string hostedName, hostedPassword, joinedAddress, joinedPassword;
    std::vector<uint8_t> hostedGameplay;
    QueryReportingSetup setup{};
    std::string queryAddress;
    uint32_t color = 0;

    void netStart() override { m_journal.push_back("NET:start"); }
    void netResetAttempt() override { m_journal.push_back("NET:reset"); }
    void netEnableQueryReporting(int mode, const char* address, QueryReportingSetup* s) override;
    void netConfigure(int size, void* block) override;
    void netSetPlayerName(const char* name) override { m_journal.push_back(std::string("NET:name ") + name); }
    void netSetPlayerColor(uint32_t c) override;
    int netHostSession(SessionDescription* description) override;
    int netJoinSession(SessionDescription* description, int flags) override;
    int netGetSessionInfo(SessionDescription* description) override;
    int netGetLastError() override;
    int netSyncFile(const char* name, int* replaced) override;
    void netSetSessionReady(int ready) override { m_journal.push_back("NET:ready " + std::to_string(ready)); }
    int netIsSessionReady() override;
    void netOnDeactivate() override {}

private:
    Journal& m_journal;
};

// Registers the network layer in the registry when started, as a mission
// manager that loads it would (unless told that the layer is missing).
class FakeMissions final : public IMissionManager {
public:
    FakeMissions(Journal& journal, IInterfaceManager& registry, INetworkLayer* network)
        : m_journal(journal), m_registry(registry), m_network(network) {}
    bool layerPresent = true;
    void mmgInit(const char*) override {}
    void mmgExit() override {}
    void mmgSetMissionControlDirectory(const char*) override {}
    void mmgSetMultiplayerMode(const char* mode) override { m_journal.push_back(std::string("MMG:mode ") + mode); }
    void mmgSetMissionsDirectory(const char*) override {}
    void mmgSetCampaignsDirectory(const char*) override {}
    void mmgSetNetworkLayer(const char*) override {}
    void mmgStartNetwork() override;
    void mmgSetPilotDataDirectory(const char*) override {}
    void mmgSetPilotListFile(const char*) override {}

private:
    Journal& m_journal;
    IInterfaceManager& m_registry;
    INetworkLayer* m_network;
};

class FakeTypeList final : public ITypeList {
public:
    FakeTypeList(Journal& journal, std::string name, std::string file)
        : m_journal(journal), m_name(std::move(name)), m_file(std::move(file)) {}
    std::vector<AircraftRecord> records;
    std::vector<int> usable;
    int withheld = 0;  // types counted after the records, for which no record is handed out
    int GetCount() override { return static_cast<int>(records.size()) + withheld; }
    void GetRecord(int index, void** record) override {
        if (index >= 0 && index < static_cast<int>(records.size())) *record = &records[static_cast<size_t>(index)];
    }
    const char* GetDataFileName() override { return m_file.c_str(); }
    void Reload(int index, int option) override;
    int IsUsable(int index) override { return usable.at(static_cast<size_t>(index)); }

private:
    Journal& m_journal;
    std::string m_name;
    std::string m_file;
};

// The three type lists the launch reloads, as ids 11, 12 and 13.
class FakeObjects final : public testsupport::FakeObjectManager {
public:
    explicit FakeObjects(Journal& journal)
        : aircraft(journal, "aircraft", "Aircraft.dat"), missiles(journal, "missiles", "Missiles.dat"),
          bullets(journal, "bullets", "Bullets.dat") {
        types = {{kAircraftTypeName, 11, &aircraft}, {kMissileTypeName, 12, &missiles}, {kBulletTypeName, 13, &bullets}};
    }
    FakeTypeList aircraft, missiles, bullets;
};

// The host services the launch uses, with the fakes published beside them.
class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes startup.ini with these [NetLaunch] lines and runs the launch.
    int Launch(const std::string& commandLine, const std::string& netLaunch = "");
    std::string ReadFile(const std::string& path);
    std::string OptionsText() { return ReadFile(dir.File("Options.ini")); }
    // The journal lines that start with prefix, in order.
    Journal Lines(const std::string& prefix);

    testsupport::ScratchDir dir;
    std::string previousDirectory;
    Journal journal;
    InterfaceManager registry;
    FileManager files;
    OptionIniFile options;
    FakeApp app{journal};
    FakeText text{journal};
    FakeNetwork network{journal};
    FakeMissions missions{journal, registry, &network};
    FakeObjects objects{journal};
    char nextScreen[260] = "MainScreen";
};

}  // namespace launchtest
