// The start-up sequence and the module sets inside this test program, with the
// probe modules in a scratch game directory: the texts logged when a set
// cannot be loaded, and the catalogs each set keeps open.
#include "core/core_services.h"
#include "host/core_bringup.h"
#include "host/game_run.h"
#include "host/host_state.h"
#include "host/module_sets.h"
#include "host/startup_settings.h"
#include "tests/support/log_recorder.h"
#include "tests/support/message_box_watcher.h"
#include "tests/host/probe/probe_game.h"
#include "tests/support/tool_run.h"
#include "varn/flt.h"
#include "varn/mnu.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

using testsupport::LogRecorder;
using testsupport::ScratchDir;
using probe::kModuleNames;
using testsupport::SystemSidePath;

namespace {

enum class Set { Base, Menu, Flight };

struct Refusal {
    Set set;
    const char* missingModule;  // null: all there
    const char* skippedId;      // null: every id published
    const char* error;
};

const Refusal kRefusals[] = {
    {Set::Base, "DirectInput.dll", nullptr, "Unable to load InputManager DLL DirectInput.dll!"},
    {Set::Base, "DirectSound.dll", nullptr, "Unable to load SoundManager DLL DirectSound.dll!"},
    {Set::Base, "TextUSEnglish.dll", nullptr, "Unable to load TextManager DLL TextUSEnglish.dll!"},
    {Set::Base, "ControlMap.dll", nullptr, "Unable to load ControlMap DLL ControlMap.dll!"},
    {Set::Base, "ObjectManager.dll", nullptr, "Unable to load ObjectManager DLL ObjectManager.dll!"},
    {Set::Base, "TerrainEngine.dll", nullptr, "Unable to load TerrainEngine DLL TerrainEngine.dll!"},
    {Set::Base, "MissionManager.dll", nullptr, "Unable to load MissionManager DLL MissionManager.dll!"},
    {Set::Base, nullptr, "SND", "Module set loaded without Interface SND!"},
    {Set::Base, nullptr, "OBJ", "Module set loaded without Interface OBJ!"},
    {Set::Base, nullptr, "TER", "Module set loaded without Interface TER!"},
    {Set::Base, nullptr, "CTL", "Module set loaded without Interface CTL!"},
    {Set::Base, nullptr, "MMG", "Module set loaded without Interface MMG!"},
    {Set::Menu, "DirectDraw.dll", nullptr, "Unable to load DisplayManager DLL DirectDraw.dll!"},
    {Set::Menu, "Fader.dll", nullptr, "Unable to load Fader DLL Fader.dll!"},
    {Set::Menu, "MenuSystem.dll", nullptr, "Unable to load MenuSystem DLL MenuSystem.dll!"},
    {Set::Menu, nullptr, "MNU", "Module set loaded without Interface MNU!"},
    {Set::Flight, "GraphicsEngine.dll", nullptr, "Unable to load GraphicsEngine DLL GraphicsEngine.dll!"},
    {Set::Flight, "ParticleSystem.dll", nullptr, "Unable to load ParticleSystem DLL ParticleSystem.dll!"},
    {Set::Flight, "EnvironmentSystem.dll", nullptr, "Unable to load EnvironmentSystem DLL EnvironmentSystem.dll!"},
    {Set::Flight, "WorldManager.dll", nullptr, "Unable to load WorldManager DLL WorldManager.dll!"},
    {Set::Flight, "ViewManager.dll", nullptr, "Unable to load ViewManager DLL ViewManager.dll!"},
    {Set::Flight, "MessageSystem.dll", nullptr, "Unable to load MessageSystem DLL MessageSystem.dll!"},
    {Set::Flight, "SpeechSystem.dll", nullptr, "Unable to load SpeechSystem DLL SpeechSystem.dll!"},
    {Set::Flight, "Fader.dll", nullptr, "Unable to load Fader DLL Fader.dll!"},
    {Set::Flight, "FlightEngine.dll", nullptr, "Unable to load FlightEngine DLL FlightEngine.dll!"},
    {Set::Flight, nullptr, "SPC", "Module set loaded without Interface SPC!"},
    {Set::Flight, nullptr, "FLT", "Module set loaded without Interface FLT!"},
};

// A catalog with no members.
const std::string kEmptyCatalog = std::string("CAT", 3) + std::string(25, '\0');

// One start of the host's core services in a scratch game directory holding
// the probe modules (less one, when asked) and empty menu catalogs.
class GameDirectory {
public:
    explicit GameDirectory(const char* missingModule, const char* skippedId) {
        EXPECT_TRUE(m_dir.Made());
        CreateDirectoryA(m_dir.File("Menu").c_str(), nullptr);
        std::vector<std::string> missing;
        if (missingModule) missing.push_back(missingModule);
        EXPECT_TRUE(probe::PlaceProbeModules(m_dir.Path(), SystemSidePath(HOST_PROBE_DLL), missing));
        EXPECT_TRUE(m_dir.Write("Menu\\MenuData.cat", kEmptyCatalog));
        EXPECT_TRUE(m_dir.Write("Menu\\MenuText.cat", kEmptyCatalog));
        EXPECT_TRUE(m_dir.Write("Probe.ini", std::string("[Probe]\nSkip=") + (skippedId ? skippedId : "") + "\n"));
        SetCurrentDirectoryA(m_dir.Path());
        m_up = CoreBringUp();
    }
    ~GameDirectory() {
        if (m_up) CoreTeardown();
        SetCurrentDirectoryA(m_previous.Path());
    }
    bool Up() const { return m_up; }
    ScratchDir& Dir() { return m_dir; }

private:
    testsupport::WorkingDirGuard m_previous;
    ScratchDir m_dir;
    int m_up = 0;
};

bool CatalogOpen(const char* path) { return TheFileManager().FindCatalog(path) != nullptr; }

// The box and log line of a DLL that cannot be loaded: its name, the startup.ini
// key that named it (as the start-up sequence wrote it back) and the reason.
void ExpectToldUnloadable(GameDirectory& game, const char* name, const std::string& reason,
                          const std::vector<std::string>& boxes, const LogRecorder& log) {
    const std::string prefix = std::string("The module ") + name + " ([System] ";
    ASSERT_EQ(boxes.size(), 1u);
    const std::string& box = boxes[0];
    ASSERT_EQ(box.find(prefix), 0u) << box;
    const std::string key = box.substr(prefix.size(), box.find(' ', prefix.size()) - prefix.size());
    EXPECT_NE(testsupport::ReadWholeFile(game.Dir().File("startup.ini")).find(key + "=" + name + "\r\n"),
              std::string::npos)
        << key;
    EXPECT_EQ(box, prefix + key + " in startup.ini) cannot be loaded: " + reason + ".\n" +
                       game.Dir().File(std::string("System\\") + name) + "\n\nVarn ends.");
    EXPECT_TRUE(log.HasError(box)) << log.All();
}

void PrintTo(const Refusal& row, std::ostream* out) { *out << row.error; }

class RefusedSet : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedSet, IsRefusedWithItsMessage) {
    const Refusal& row = GetParam();
    TheStartupSettings().window.showBoxes = 1;
    LogRecorder log;
    GameDirectory game(row.missingModule, row.skippedId);
    ASSERT_TRUE(game.Up());
    testsupport::MessageBoxWatcher watcher("Varn", GetCurrentProcessId());
    int started = StartupSequence("");
    if (row.set == Set::Base) {
        EXPECT_EQ(started, 0);
    } else if (row.set == Set::Menu) {
        IMenuSystem* menu = nullptr;
        EXPECT_EQ(LoadMenuSet(&menu), 0);
        EXPECT_EQ(menu, nullptr);
        UnloadMenuSet(&menu);
    } else {
        IFlightEngine* flight = nullptr;
        EXPECT_EQ(LoadFlightSet(&flight), 0);
        EXPECT_EQ(flight, nullptr);
        UnloadFlightSet(&flight);
    }
    UnloadBaseSet();
    EXPECT_TRUE(log.HasError(row.error)) << log.All();
    EXPECT_EQ(TheDllLibraryManager().LibraryCount(), 0);
    if (row.missingModule)
        ExpectToldUnloadable(game, row.missingModule, "no such file (error 126)", watcher.Texts(), log);
    else
        EXPECT_TRUE(watcher.Texts().empty());
}

// Named by the set and the module left out or the id not published: "Base_DirectInput", "Flight_SPC".
std::string RefusalName(const ::testing::TestParamInfo<Refusal>& info) {
    const Refusal& row = info.param;
    std::string name = row.set == Set::Base ? "Base_" : row.set == Set::Menu ? "Menu_" : "Flight_";
    name += row.missingModule ? std::string(row.missingModule, strlen(row.missingModule) - 4) : row.skippedId;
    return name;
}

INSTANTIATE_TEST_SUITE_P(ModuleSets, RefusedSet, ::testing::ValuesIn(kRefusals), RefusalName);

// A file that is no DLL of this program's width is named with that reason;
// without boxes it is only logged.
TEST(ModuleSets, AModuleOfTheWrongKindIsNamedWithItsReason) {
    const std::string reason = sizeof(void*) == 8 ? "not a 64-bit Windows DLL (error 193)"
                                                  : "not a 32-bit Windows DLL (error 193)";
    for (int boxes : {1, 0}) {
        LogRecorder log;
        GameDirectory game(nullptr, nullptr);
        ASSERT_TRUE(game.Up());
        ASSERT_TRUE(game.Dir().Write("System\\TerrainEngine.dll", std::string(4096, 'M')));
        TheStartupSettings().window.showBoxes = boxes;
        testsupport::MessageBoxWatcher watcher("Varn", GetCurrentProcessId());
        EXPECT_EQ(StartupSequence(""), 0);
        UnloadBaseSet();
        if (boxes) {
            ExpectToldUnloadable(game, "TerrainEngine.dll", reason, watcher.Texts(), log);
        } else {
            EXPECT_TRUE(watcher.Texts().empty());
            EXPECT_NE(log.All().find("The module TerrainEngine.dll ([System] TerrainEngineDLL in startup.ini) "
                                     "cannot be loaded: " + reason),
                      std::string::npos);
        }
    }
}

// The start-up sequence keeps the menu data catalog for the whole run and the
// menu text catalog until the first menu set is unloaded; each later menu set
// opens and closes the menu text catalog itself.
TEST(ModuleSets, MenuCatalogsFollowTheirUseCounts) {
    GameDirectory game(nullptr, nullptr);
    ASSERT_TRUE(game.Up());
    ASSERT_EQ(StartupSequence(""), 1);
    const StartupSettings& s = TheStartupSettings();
    EXPECT_TRUE(CatalogOpen(s.menuDataFile));
    EXPECT_TRUE(CatalogOpen(s.menuTextFile));
    EXPECT_EQ(TheHostState().menuTextCatalogOpen, 1);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        IMenuSystem* menu = nullptr;
        ASSERT_EQ(LoadMenuSet(&menu), 1);
        EXPECT_NE(menu, nullptr);
        EXPECT_TRUE(CatalogOpen(s.menuTextFile));
        UnloadMenuSet(&menu);
        EXPECT_EQ(TheHostState().menuTextCatalogOpen, 0);
        EXPECT_FALSE(CatalogOpen(s.menuTextFile));
        EXPECT_TRUE(CatalogOpen(s.menuDataFile));
    }
    UnloadBaseSet();
}

}  // namespace
