// End-to-end runs of Varn.exe with the probe module set (probe/probe.h) in a
// fresh game directory: the journal of every module call, the exit code and
// the files the host writes, one table row per scenario.
#include "tests/host/probe/probe_game.h"
#include "tests/host/media/media_files.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/tool_run.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using testsupport::ReadWholeFile;
using testsupport::ScratchDir;
using testsupport::SystemSidePath;
using Lines = std::vector<std::string>;

namespace {

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// ---- Expected journal pieces ($G stands for the game directory) -------------
const Lines kBaseStart = {
    "DirectInput.dll InitDLL INP",
    "DirectSound.dll InitDLL SND",
    "TextUSEnglish.dll InitDLL",
    "ControlMap.dll InitDLL CTL",
    "ObjectManager.dll InitDLL OBJ,HLD",
    "TerrainEngine.dll InitDLL TER",
    "SND sndSetDirectory($G\\Sounds)",
    "OBJ objSetDirectory($G\\Objects)",
    "TER terSetDirectory($G\\Terrain)",
    "CTL ctlSetDirectory($G\\Controls)",
    "OBJ objInit($G\\Objects\\ObjectList.ini)",
    "TER terInit()",
    "MissionManager.dll InitDLL MMG,MSN",
    "MMG mmgSetMissionControlDirectory($G\\Flight)",
    "MMG mmgSetMissionsDirectory($G\\Missions)",
    "MMG mmgSetCampaignsDirectory($G\\Campaigns)",
    "MMG mmgSetPilotDataDirectory($G\\PilotData)",
    "MMG mmgSetNetworkLayer(DirectPlay.dll)",
    "MMG mmgInit($G\\Flight\\MissionManager.ini)",
    "MMG mmgSetPilotListFile($G\\PilotData\\PilotList.ini)",
};
const Lines kBaseTeardown = {
    "MMG mmgExit()",
    "TER terExit()",
    "OBJ objExit()",
    "MissionManager.dll ExitDLL",
    "TerrainEngine.dll ExitDLL",
    "ObjectManager.dll ExitDLL",
    "ControlMap.dll ExitDLL",
    "TextUSEnglish.dll ExitDLL",
    "DirectSound.dll ExitDLL",
    "DirectInput.dll ExitDLL",
};
const Lines kMenuDllsLoad = {"DirectDraw.dll InitDLL DSP", "Fader.dll InitDLL", "MenuSystem.dll InitDLL MNU"};
const Lines kMenuLoad = kMenuDllsLoad + Lines{"SND sndSetSoundVolume(100)", "SND sndSetStreamVolume(75)"};
const Lines kMenuUnload = {"MenuSystem.dll ExitDLL", "Fader.dll ExitDLL", "DirectDraw.dll ExitDLL"};
const Lines kMenuVersion = {"MNU mnuSetVersion(v02.19.07) = 0"};
Lines MenuRun(const char* screen, int result) {
    return {"MNU mnuRun($G\\Menu, $G\\Menu\\MenuSystem.ini, " + std::string(screen) + ") = " + std::to_string(result)};
}
const Lines kFlightLoad = {
    "GraphicsEngine.dll InitDLL GFX", "ParticleSystem.dll InitDLL", "EnvironmentSystem.dll InitDLL",
    "WorldManager.dll InitDLL",       "ViewManager.dll InitDLL",    "MessageSystem.dll InitDLL",
    "SpeechSystem.dll InitDLL SPC",   "Fader.dll InitDLL",          "FlightEngine.dll InitDLL FLT",
    "SPC spcSetDirectory($G\\Speech)", "SND sndSetSoundVolume(100)", "SND sndSetStreamVolume(100)",
    "FLT fltSetScreenShotDirectory($G\\ScreenShots)",
};
const Lines kFlightUnloadButGraphics = {
    "FlightEngine.dll ExitDLL",   "Fader.dll ExitDLL",        "SpeechSystem.dll ExitDLL",
    "MessageSystem.dll ExitDLL",  "ViewManager.dll ExitDLL",  "WorldManager.dll ExitDLL",
    "EnvironmentSystem.dll ExitDLL", "ParticleSystem.dll ExitDLL",
};
const Lines kFlightUnload = kFlightUnloadButGraphics + Lines{"GraphicsEngine.dll ExitDLL"};
const Lines kFlight = kFlightLoad + Lines{"FLT fltSetVersion(v02.19.07) = 0",
                                         "FLT fltRun($G\\Flight, $G\\Flight\\FlightEngine.ini) = 0"};
const Lines kQuitAtFirstMenu = kBaseStart + kMenuLoad + kMenuVersion + MenuRun("MainScreen", 1) + kMenuUnload +
                               kBaseTeardown;

const char kQuit[] = "[MNU]\nRun=1\n";
const char kOneFlight[] = "[MNU]\nRun=0,1\n[MSN]\nNextScreen=Debrief\n";

struct Scenario {
    const char* name;
    const char* startupIni;  // null: none, a first start
    const char* probeIni;
    std::vector<std::string> missingModules;
    int exitCode;
    bool exact;  // the whole journal; otherwise these lines in this order among others
    Lines journal;
    Lines boxes = {};  // "caption: text" of each box shown, $G for the game directory
};

// The box of a module that cannot be loaded from the game's System directory.
std::string UnloadableBox(const std::string& file, const char* key, const char* reason) {
    return "Varn: The module " + file + " ([System] " + key + " in startup.ini) cannot be loaded: " + reason +
           ".\n$G\\System\\" + file + "\n\nVarn ends.";
}

// A full-screen window covers the primary monitor; the probe's line for it.
std::string FullScreenWindowLine() {
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    return "MNU window outer=(0,0)-(" + std::to_string(width) + "," + std::to_string(height) +
           ") client=" + std::to_string(width) + "x" + std::to_string(height) + " windowed=0";
}

// Texts of 300 characters in startup.ini and from the mission system reach
// the modules cut to the 259 characters a path buffer holds.
const std::string kLongStartup = "[Startup]\nStartupScreen=" + std::string(300, 'A') +
                                 "\n[Directory]\nSoundDirectory=D:\\" + std::string(297, 'S') + "\n";
const std::string kLongProbe = "[MNU]\nRun=0,1\n[MSN]\nNextScreen=" + std::string(300, 'B') + "\n";

std::vector<Scenario> Scenarios() {
    return {
        {"LongTextsAreCutTo259Characters", kLongStartup.c_str(), kLongProbe.c_str(), {}, 1, false,
         Lines{"SND sndSetDirectory(D:\\" + std::string(256, 'S') + ")"} + MenuRun(std::string(259, 'A').c_str(), 0) +
             MenuRun(std::string(259, 'B').c_str(), 1)},
        {"MenuFlightMenuQuitWithDebrief", nullptr, kOneFlight, {}, 1, true,
         kBaseStart + kMenuLoad + kMenuVersion + MenuRun("MainScreen", 0) + kMenuUnload + kFlight + kFlightUnload +
             Lines{"MSN msnGetNextScreen(260)"} + kMenuLoad + kMenuVersion + MenuRun("Debrief", 1) + kMenuUnload +
             kBaseTeardown},
        {"WithoutMissionSystemTheScreenNameStays", nullptr, "[Probe]\nSkip=MSN\n[MNU]\nRun=0,1\n", {}, 1, false,
         Lines{"FLT fltRun($G\\Flight, $G\\Flight\\FlightEngine.ini) = 0"} + kFlightUnload + kMenuLoad +
             kMenuVersion + MenuRun("MainScreen", 1)},
        {"WindowClosedDuringMenuRun", nullptr, "[MNU]\nRun=0,0\nCloseOnRun=1\n", {}, 1, true,
         kBaseStart + kMenuLoad + kMenuVersion + Lines{"MNU posted WM_CLOSE; appPumpMessages = 0"} +
             MenuRun("MainScreen", 0) + kMenuUnload + kBaseTeardown},
        {"MissingMenuDll", nullptr, kQuit, {"MenuSystem.dll"}, 1, true,
         kBaseStart + Lines{"DirectDraw.dll InitDLL DSP", "Fader.dll InitDLL", "Fader.dll ExitDLL",
                            "DirectDraw.dll ExitDLL"} + kBaseTeardown,
         {UnloadableBox("MenuSystem.dll", "MenuSystemDLL", "no such file (error 126)")}},
        // The flight set's DLL misspelt in startup.ini: the box comes when F is pressed.
        {"FlightDllNamedWrongly", "[System]\nFlightEngineDLL=FlightEngin2.dll\n", "[MNU]\nRun=0\n", {}, 1, false,
         Lines{"MNU mnuRun($G\\Menu, $G\\Menu\\MenuSystem.ini, MainScreen) = 0", "Fader.dll InitDLL"} +
             Lines(kFlightUnload.begin() + 1, kFlightUnload.end()) + kBaseTeardown,
         {UnloadableBox("FlightEngin2.dll", "FlightEngineDLL", "no such file (error 126)")}},
        // [Debug] CrashBox=FALSE leaves the box out; the exit code stays 1.
        {"MissingMenuDllWithoutBoxes", "[Debug]\nCrashBox=FALSE\n", kQuit, {"MenuSystem.dll"}, 1, false,
         Lines{"Fader.dll ExitDLL", "DirectDraw.dll ExitDLL"} + kBaseTeardown},
        {"MenuVersionRefused", nullptr, "[MNU]\nVersion=1\n", {}, 1, true,
         kBaseStart + kMenuLoad + Lines{"MNU mnuSetVersion(v02.19.07) = 1"} + kMenuUnload + kBaseTeardown},
        {"FlightVersionRefused", nullptr, "[MNU]\nRun=0\n[FLT]\nVersion=1\n", {}, 1, true,
         kBaseStart + kMenuLoad + kMenuVersion + MenuRun("MainScreen", 0) + kMenuUnload + kFlightLoad +
             Lines{"FLT fltSetVersion(v02.19.07) = 1"} + kFlightUnload + kBaseTeardown},
        {"FlightRunEndsTheGame", nullptr, "[MNU]\nRun=0\n[FLT]\nRun=1\n", {}, 1, false,
         Lines{"FLT fltRun($G\\Flight, $G\\Flight\\FlightEngine.ini) = 1"} + kFlightUnload + kBaseTeardown},
        {"MenuSetWithoutMnu", nullptr, "[Probe]\nSkip=MNU\n", {}, 1, true,
         kBaseStart + Lines{"DirectDraw.dll InitDLL DSP", "Fader.dll InitDLL", "MenuSystem.dll InitDLL",
                            "SND sndSetSoundVolume(100)", "SND sndSetStreamVolume(75)"} +
             kMenuUnload + kBaseTeardown},
        {"BaseSetWithoutSnd", nullptr, "[Probe]\nSkip=SND\n", {}, 1, true,
         Lines{"DirectInput.dll InitDLL INP", "DirectSound.dll InitDLL", "TextUSEnglish.dll InitDLL",
               "ControlMap.dll InitDLL CTL", "ObjectManager.dll InitDLL OBJ,HLD", "TerrainEngine.dll InitDLL TER",
               "TER terExit()", "OBJ objExit()", "TerrainEngine.dll ExitDLL", "ObjectManager.dll ExitDLL",
               "ControlMap.dll ExitDLL", "TextUSEnglish.dll ExitDLL", "DirectSound.dll ExitDLL",
               "DirectInput.dll ExitDLL"}},
        {"FlightSetWithoutFlt", nullptr, "[Probe]\nSkip=FLT\n[MNU]\nRun=0\n", {}, 1, false,
         Lines{"SPC spcSetDirectory($G\\Speech)", "SND sndSetSoundVolume(100)", "SND sndSetStreamVolume(100)"} +
             kFlightUnload + kBaseTeardown},
        {"MissingMissionManager", nullptr, kQuit, {"MissionManager.dll"}, 1, true,
         Lines(kBaseStart.begin(), kBaseStart.begin() + 12) +
             Lines{"TER terExit()", "OBJ objExit()", "TerrainEngine.dll ExitDLL", "ObjectManager.dll ExitDLL",
                   "ControlMap.dll ExitDLL", "TextUSEnglish.dll ExitDLL", "DirectSound.dll ExitDLL",
                   "DirectInput.dll ExitDLL"},
         {UnloadableBox("MissionManager.dll", "MissionManagerDLL", "no such file (error 126)")}},
        {"DelayedFreeOfAHeldModule", nullptr, "[MNU]\nRun=0,1\n[FLT]\nHold=GFX\n", {}, 1, true,
         kBaseStart + kMenuLoad + kMenuVersion + MenuRun("MainScreen", 0) + kMenuUnload + kFlightLoad +
             Lines{"FLT fltSetVersion(v02.19.07) = 0", "HLD hold(GFX) = 1",
                   "FLT fltRun($G\\Flight, $G\\Flight\\FlightEngine.ini) = 0"} +
             kFlightUnloadButGraphics + Lines{"MSN msnGetNextScreen(260)"} + kMenuLoad + kMenuVersion +
             Lines{"HLD release(GFX)", "GraphicsEngine.dll ExitDLL"} + MenuRun("MainScreen", 1) + kMenuUnload +
             kBaseTeardown},
        {"ExporterThatCannotLoad", "[System]\nExporterDLL=NoSuchExporter.dll\n", kQuit, {}, 1, true,
         kQuitAtFirstMenu},
        {"ExporterLoadedWithTheBaseSet", "[System]\nExporterDLL=Exporter.dll\n", kQuit, {}, 1, false,
         Lines{"TerrainEngine.dll InitDLL TER", "Exporter.dll InitDLL", "SND sndSetDirectory($G\\Sounds)",
               "OBJ objExit()", "Exporter.dll ExitDLL", "MissionManager.dll ExitDLL"}},
        {"DriveLetterAndEmptyDirectories",
         "[Directory]\nSoundDirectory=D:\\Sounds\nTerrainDirectory=\nMenuDirectory=\n", kQuit, {}, 1, false,
         Lines{"SND sndSetDirectory(D:\\Sounds)", "TER terSetDirectory()", "MNU mnuRun(, .\\MenuSystem.ini, MainScreen) = 1"}},
        {"WindowedGeometry",
         "[Window]\nWindowMode=TRUE\nWindowPosX=40\nWindowPosY=30\nWindowWidth=800\nWindowHeight=600\n",
         "[MNU]\nRun=1\nWindow=1\n", {}, 1, false,
         Lines{"MNU window outer=(40,30)-(*,*) client=800x600 windowed=1"}},
        {"FullScreenGeometry", nullptr, "[MNU]\nRun=1\nWindow=1\n", {}, 1, false, Lines{FullScreenWindowLine()}},
    };
}

// '*' in an expected line stands for any run of characters.
bool Matches(const char* pattern, const char* text) {
    if (*pattern == '*') return Matches(pattern + 1, text) || (*text && Matches(pattern, text + 1));
    if (*pattern != *text) return false;
    return !*pattern || Matches(pattern + 1, text + 1);
}

bool ContainsInOrder(const Lines& journal, const Lines& expected) {
    size_t at = 0;
    for (const std::string& line : journal) {
        if (at < expected.size() && Matches(expected[at].c_str(), line.c_str())) ++at;
    }
    return at == expected.size();
}

std::string Show(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) text += "  " + line + "\n";
    return text;
}

std::string WithCrLf(const std::string& text) {
    std::string converted;
    for (char c : text) {
        if (c == '\n') converted += '\r';
        converted += c;
    }
    return converted;
}

class VarnRun : public ::testing::Test {
protected:
    void SetUp() override { FreshGame(); }
    void FreshGame() {
        m_gameDir.reset(new ScratchDir);
        ASSERT_TRUE(m_gameDir->Made());
    }

    void PlaceModules(const std::vector<std::string>& missing, const std::vector<std::string>& extra = {}) {
        ASSERT_TRUE(probe::PlaceProbeModules(Game().Path(), SystemSidePath(HOST_PROBE_DLL), missing, extra));
    }

    // Runs Varn.exe in the game directory; its exit code, or -1 when it ran a
    // minute without using the processor (it is then killed). Any box it shows
    // is recorded and closed, so that no run hangs on one: by the watcher, or
    // with Enter as a player does (pressEnter).
    int RunVarn(bool pressEnter = false) {
        std::string command = "\"" + SystemSidePath(VARN_EXE) + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, Game().Path(), &startup,
                            &process))
            return -2;
        std::unique_ptr<testsupport::MessageBoxWatcher> watcher;
        std::atomic<bool> ended{false};
        std::thread player;
        if (pressEnter)
            player = std::thread([&] { CloseBoxesWithEnter(process.dwProcessId, ended); });
        else
            watcher.reset(new testsupport::MessageBoxWatcher(nullptr, process.dwProcessId));
        DWORD code = static_cast<DWORD>(-1);
        if (WaitWhileBusy(process.hProcess))
            GetExitCodeProcess(process.hProcess, &code);
        else
            TerminateProcess(process.hProcess, 99);
        ended = true;
        if (player.joinable()) player.join();
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        if (watcher)
            for (const auto& box : watcher->Boxes()) m_boxes.push_back(box.caption + ": " + box.text);
        return static_cast<int>(code);
    }

    // True when the process ended; false when it went a minute without using
    // the processor (a crash report on a loaded machine takes long, but works).
    static bool WaitWhileBusy(HANDLE process) {
        unsigned long long seen = ~0ull;
        for (int idle = 0; idle < 60;) {
            if (WaitForSingleObject(process, 1000) == WAIT_OBJECT_0) return true;
            FILETIME created, exited, kernel, user;
            unsigned long long used = 0;
            if (GetProcessTimes(process, &created, &exited, &kernel, &user))
                used = (static_cast<unsigned long long>(kernel.dwHighDateTime) << 32) + kernel.dwLowDateTime +
                       (static_cast<unsigned long long>(user.dwHighDateTime) << 32) + user.dwLowDateTime;
            idle = used == seen ? idle + 1 : 0;
            seen = used;
        }
        return false;
    }

    // A player in front of the screen: each box of the process, once it has
    // the keyboard, is answered with Enter. A box that never takes the
    // keyboard, or that Enter does not close, is recorded as such and closed
    // after a minute (a guard, so that the run ends).
    void CloseBoxesWithEnter(DWORD processId, const std::atomic<bool>& ended) {
        while (!ended) {
            HWND box = FindWindowExA(nullptr, nullptr, "#32770", nullptr);
            DWORD owner = 0;
            if (box) GetWindowThreadProcessId(box, &owner);
            if (!box || owner != processId || !IsWindowVisible(box)) {
                Sleep(10);
                continue;
            }
            char caption[256] = "", text[1024] = "";
            GetWindowTextA(box, caption, sizeof caption);
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            std::string seen = std::string(caption) + ": " + text;
            int waited = 0;
            for (; waited < 6000 && !ended && GetForegroundWindow() != box; ++waited) Sleep(10);
            if (GetForegroundWindow() == box) {
                INPUT keys[2] = {};
                keys[0].type = keys[1].type = INPUT_KEYBOARD;
                keys[0].ki.wVk = keys[1].ki.wVk = VK_RETURN;
                keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
                SendInput(2, keys, sizeof(INPUT));
                for (waited = 0; waited < 6000 && IsWindow(box); ++waited) Sleep(10);
            }
            if (IsWindow(box)) {
                seen += GetForegroundWindow() == box ? " (Enter did not close it)" : " (never had the keyboard)";
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                while (IsWindow(box)) Sleep(10);
            }
            m_boxes.push_back(seen);
        }
    }

    // The journal with the game directory written as $G; lines whose moment
    // depends on window activation (marked "~") go to m_activation.
    Lines Journal() {
        std::string text = ReadWholeFile(Game().File("ProbeJournal.txt"));
        Lines lines;
        m_activation.clear();
        size_t begin = 0;
        for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
            std::string line = text.substr(begin, end - begin);
            for (size_t at; (at = line.find(Game().Path())) != std::string::npos;)
                line.replace(at, strlen(Game().Path()), "$G");
            (line[0] == '~' ? m_activation : lines).push_back(line);
        }
        return lines;
    }

    // The boxes of the latest run, the game directory written as $G.
    Lines Boxes() {
        Lines boxes = m_boxes;
        m_boxes.clear();
        for (std::string& box : boxes) {
            for (size_t at; (at = box.find(Game().Path())) != std::string::npos;)
                box.replace(at, strlen(Game().Path()), "$G");
        }
        return boxes;
    }

    bool Exists(const std::string& name) {
        DWORD attributes = GetFileAttributesA(Game().File(name).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    std::unique_ptr<ScratchDir> m_gameDir;
    ScratchDir& Game() { return *m_gameDir; }
    std::vector<std::string> m_boxes;
    Lines m_activation;
};

std::string SourceFile(const char* name) {
    return ReadWholeFile(SystemSidePath(std::string(VARN_TEST_SOURCE_DIR) + "/tests/data/" + name));
}

TEST_F(VarnRun, FirstStartWritesBothFilesAndEndsWithoutBaseModulesAndASecondChangesNothing) {
    EXPECT_EQ(RunVarn(), 1);
    EXPECT_EQ(ReadWholeFile(Game().File("startup.ini")), WithCrLf(SourceFile("default_startup.ini")));
    EXPECT_EQ(ReadWholeFile(Game().File("Options.ini")), WithCrLf(SourceFile("default_options.ini")));
    EXPECT_TRUE(Exists("ScreenShots"));
    EXPECT_TRUE(Exists("Missions"));
    EXPECT_TRUE(Journal().empty());
    // Without its modules the game cannot start, and says so.
    EXPECT_EQ(Boxes(), Lines{UnloadableBox("DirectInput.dll", "InputManagerDLL", "no such file (error 126)")});
    // A second start finds every key and changes neither file.
    EXPECT_EQ(RunVarn(), 1);
    EXPECT_EQ(ReadWholeFile(Game().File("startup.ini")), WithCrLf(SourceFile("default_startup.ini")));
    EXPECT_EQ(ReadWholeFile(Game().File("Options.ini")), WithCrLf(SourceFile("default_options.ini")));
}

// Settings files that are not text are kept beside themselves before the
// start rewrites them; the game starts as on a first start.
TEST_F(VarnRun, SettingsFilesThatAreNotTextAreKeptBesideThemselves) {
    PlaceModules({});
    const std::string startup("[Window]\0\x01\x02garbage", 19), options(300, '\0');
    ASSERT_TRUE(Game().Write("startup.ini", startup));
    ASSERT_TRUE(Game().Write("Options.ini", options));
    ASSERT_TRUE(Game().Write("Probe.ini", kQuit));
    EXPECT_EQ(RunVarn(), 1);
    EXPECT_EQ(ReadWholeFile(Game().File("startup.ini.bad")), startup);
    EXPECT_EQ(ReadWholeFile(Game().File("Options.ini.bad")), options);
    EXPECT_EQ(ReadWholeFile(Game().File("startup.ini")).find('\0'), std::string::npos);
    EXPECT_NE(ReadWholeFile(Game().File("Options.ini")).find("SoundVolume"), std::string::npos);
    EXPECT_EQ(Journal(), kQuitAtFirstMenu);
}

// An intro movie plays before the first module loads. The movie lasts half a
// minute unless stopped: while its window is up, the journal is read, and only
// then is the movie stopped with Escape, so the reading falls inside the movie.
TEST_F(VarnRun, IntroMoviePlaysBeforeTheBaseModulesLoad) {
    PlaceModules({});
    ASSERT_TRUE(Game().Write("intro.avi", mediatest::UncompressedAvi(64, 48, 30, 1)));
    ASSERT_TRUE(Game().Write("Movies.ini", "[Movie001]\nName=intro.avi\n"));
    ASSERT_TRUE(Game().Write("startup.ini", "[Startup]\nIntroMovieList=Movies.ini\n"));
    ASSERT_TRUE(Game().Write("Probe.ini", kQuit));
    std::atomic<bool> ended{false};
    std::string journalDuringMovie = "(not read)";
    std::thread watch([&] {
        HWND drain = nullptr;
        while (!ended && !(drain && FindWindowA(nullptr, "ActiveMovie Window"))) {
            drain = FindWindowA("Brightvane Movie Player", nullptr);
            Sleep(10);
        }
        if (ended) return;
        std::string journal = ReadWholeFile(Game().File("ProbeJournal.txt"));
        if (IsWindow(drain)) journalDuringMovie = journal;
        PostMessageA(drain, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(RunVarn(), 1);
    ended = true;
    watch.join();
    EXPECT_EQ("", journalDuringMovie);
    EXPECT_EQ(Journal(), kQuitAtFirstMenu);
    EXPECT_TRUE(m_boxes.empty()) << m_boxes.front();
}

// Each row of Scenarios() is a case of its own, named by the row.
void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

class VarnScenario : public VarnRun, public ::testing::WithParamInterface<Scenario> {};

TEST_P(VarnScenario, JournalExitCodeAndBoxes) {
    const Scenario& scenario = GetParam();
    std::vector<std::string> extra;
    if (scenario.startupIni && strstr(scenario.startupIni, "Exporter.dll")) extra.push_back("Exporter.dll");
    PlaceModules(scenario.missingModules, extra);
    if (scenario.startupIni) {
        ASSERT_TRUE(Game().Write("startup.ini", scenario.startupIni));
    }
    ASSERT_TRUE(Game().Write("Probe.ini", scenario.probeIni));

    EXPECT_EQ(RunVarn(), scenario.exitCode);
    Lines journal = Journal();
    if (scenario.exact) {
        EXPECT_EQ(journal, scenario.journal) << "journal:\n" << Show(journal);
    } else {
        EXPECT_TRUE(ContainsInOrder(journal, scenario.journal))
            << "expected in order:\n" << Show(scenario.journal) << "journal:\n" << Show(journal);
    }
    EXPECT_EQ(Boxes(), scenario.boxes);
}

INSTANTIATE_TEST_SUITE_P(Rows, VarnScenario, ::testing::ValuesIn(Scenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& row) { return std::string(row.param.name); });

// Run makes the application active once the base set is up: the input
// module hears of it after the mission manager is configured.
TEST_F(VarnRun, ActivationReachesTheInputModuleAfterStartUp) {
    PlaceModules({});
    ASSERT_TRUE(Game().Write("Probe.ini", kQuit));
    EXPECT_EQ(RunVarn(), 1);
    Journal();
    EXPECT_NE(std::find(m_activation.begin(), m_activation.end(), "~INP inpSetActive(1)"), m_activation.end())
        << Show(m_activation);
    EXPECT_TRUE(Exists("NetCache"));  // the file manager's cache directory, made when it is set
}

// [Debug] LogFile: read with the window settings, never written back; the host
// and the modules log to it. Without it nothing is logged, even when the
// environment Varn starts in names a log file.
TEST_F(VarnRun, LogFileOnlyWhenStartupIniNamesIt) {
    const std::string stray = Game().File("Stray.log");
    SetEnvironmentVariableA("VARN_LOG_FILE", stray.c_str());
    PlaceModules({});
    ASSERT_TRUE(Game().Write("Probe.ini", kQuit));
    EXPECT_EQ(RunVarn(), 1);
    EXPECT_EQ(GetFileAttributesA(stray.c_str()), INVALID_FILE_ATTRIBUTES);
    SetEnvironmentVariableA("VARN_LOG_FILE", nullptr);

    FreshGame();
    PlaceModules({});
    const char startup[] = "[Debug]\r\nLogFile=Varn.log\r\n";
    ASSERT_TRUE(Game().Write("startup.ini", startup));
    ASSERT_TRUE(Game().Write("Probe.ini", kQuit));
    EXPECT_EQ(RunVarn(), 1);
    const std::string log = ReadWholeFile(Game().File("Varn.log"));
    EXPECT_NE(log.find("Options.ini not found!\r\n"), std::string::npos) << log;  // the first start's
    EXPECT_NE(log.find("info: Interface Manager deinitialized...\r\n"), std::string::npos) << log;
    // Each module of a set is named with its key as it comes and goes.
    EXPECT_NE(log.find("info: Module MenuSystem.dll ([System] MenuSystemDLL) loaded.\r\n"), std::string::npos);
    EXPECT_NE(log.find("info: Module MenuSystem.dll ([System] MenuSystemDLL) freed.\r\n"), std::string::npos);
    const std::string written = ReadWholeFile(Game().File("startup.ini"));
    EXPECT_EQ(0u, written.find(startup)) << written;  // kept as it was, nothing added to [Debug]
    EXPECT_EQ(written.find("LogFile", sizeof startup), std::string::npos);
}

// The size of the image a DLL file maps to (its PE optional header).
unsigned long ImageSizeOf(const std::string& path) {
    const std::string bytes = ReadWholeFile(path);
    if (bytes.size() < 0x40) return 0;
    uint32_t headerAt = 0;
    memcpy(&headerAt, bytes.data() + 0x3c, 4);
    uint32_t size = 0;
    const size_t at = static_cast<size_t>(headerAt) + 24 + 56;  // signature and file header, then SizeOfImage
    if (at + 4 > bytes.size()) return 0;
    memcpy(&size, bytes.data() + at, 4);
    return size;
}

// Three threads that keep both processors busy while they live, as other
// programs on a loaded machine do.
class BusyMachine {
public:
    BusyMachine() {
        for (auto& thread : m_threads)
            thread = std::thread([this] {
                while (!m_stop) {
                }
            });
    }
    ~BusyMachine() {
        m_stop = true;
        for (auto& thread : m_threads) thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_threads[3];
};

// A module that faults (the menu module writes through a bad pointer in its
// first run, on the main thread or on a thread of its own): Varn-crash.txt
// names the DLL and an offset inside it, in its summary and as stack frame 0;
// the minidump starts with "MDMP"; the box names the module and the report,
// takes the keyboard (Enter closes it), and comes on a loaded machine too,
// unless [Debug] CrashBox is FALSE; the exit code is the exception code. With
// the log on, the report ends with the log's last lines before its own line.
struct FaultRun {
    const char* name;
    bool box;   // on the main thread with the box and the log; otherwise on a thread of its own, CrashBox=FALSE
    bool busy;  // three busy threads while it runs
};

void PrintTo(const FaultRun& run, std::ostream* out) { *out << run.name; }

class VarnFault : public VarnRun, public ::testing::WithParamInterface<FaultRun> {};

TEST_P(VarnFault, AFaultingModuleLeavesACrashReportAndEndsWithTheExceptionCode) {
    const bool box = GetParam().box;
    PlaceModules({});
    ASSERT_TRUE(Game().Write("Probe.ini", box ? "[MNU]\nFaultOnRun=1\n" : "[MNU]\nFaultOnRun=1\nFaultInThread=1\n"));
    ASSERT_TRUE(Game().Write("startup.ini", box ? "[Debug]\r\nLogFile=Varn.log\r\n" : "[Debug]\r\nCrashBox=FALSE\r\n"));
    {
        std::unique_ptr<BusyMachine> load(GetParam().busy ? new BusyMachine : nullptr);
        EXPECT_EQ(static_cast<DWORD>(RunVarn(true)), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    }

    const std::string report = ReadWholeFile(Game().File("Varn-crash.txt"));
    const std::string lead = "Varn stopped: access violation in MenuSystem.dll at +0x";
    const size_t summaryAt = report.find(lead);
    ASSERT_NE(summaryAt, std::string::npos) << report;
    const std::string hex = report.substr(summaryAt + lead.size(), report.find('.', summaryAt + lead.size()) -
                                                                        summaryAt - lead.size());
    const unsigned long offset = strtoul(hex.c_str(), nullptr, 16);
    const std::string summary = lead + hex + ". Details: Varn-crash.txt";
    EXPECT_EQ(report.substr(summaryAt, summary.size()), summary);
    EXPECT_NE(report.find("#0  MenuSystem.dll+0x" + hex + "\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("Exception: 0xc0000005 (access violation), writing address 0x10\r\n"), std::string::npos);
    EXPECT_NE(report.find("Thread: "), std::string::npos);
    EXPECT_NE(report.find(sizeof(void*) == 8 ? "  rip=" : "  eip="), std::string::npos);

    const size_t moduleAt = report.find("\r\nModule: ");
    ASSERT_NE(moduleAt, std::string::npos);
    const size_t pathAt = moduleAt + 10;
    const std::string modulePath = report.substr(pathAt, report.find("\r\n", pathAt) - pathAt);
    EXPECT_NE(modulePath.find("MenuSystem.dll"), std::string::npos) << modulePath;
    EXPECT_GT(offset, 0ul);
    EXPECT_LT(offset, ImageSizeOf(modulePath));
    EXPECT_NE(report.find("  " + modulePath + "\r\n", report.find("Loaded modules")), std::string::npos) << report;

    EXPECT_EQ(ReadWholeFile(Game().File("Varn-crash.dmp")).substr(0, 4), "MDMP");
    EXPECT_EQ(m_boxes, box ? Lines{"Varn: " + summary} : Lines{});
    EXPECT_EQ(ReadWholeFile(Game().File("startup.ini")).find("CrashBox") == std::string::npos, box);  // never written back

    const std::string log = ReadWholeFile(Game().File("Varn.log"));
    if (!box) {
        EXPECT_EQ(report.find("Last lines of the log"), std::string::npos);
        return;
    }
    const size_t logged = log.find("error: " + summary + "\r\n");
    ASSERT_NE(logged, std::string::npos) << log;
    const std::string before = log.substr(0, logged);
    const std::string lastLine = before.substr(before.rfind('\n', before.size() - 2) + 1);
    ASSERT_GE(report.size(), lastLine.size());
    EXPECT_EQ(report.substr(report.size() - lastLine.size()), lastLine) << report;
    EXPECT_NE(report.find("Last lines of the log"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Runs, VarnFault,
                         ::testing::Values(FaultRun{"MainThreadBoxLogOn", true, false},
                                           FaultRun{"OtherThreadNoBoxLogOff", false, false},
                                           FaultRun{"MainThreadBoxLogOnBusyMachine", true, true}),
                         [](const ::testing::TestParamInfo<FaultRun>& run) { return std::string(run.param.name); });

// A C++ exception that escapes a module's InitDLL (nothing in the module
// catches it) and a module's call of abort end alike: the report, the box and
// the log line name the module, and the exit code is the C runtime's for an
// abort (3). The journal ends where the module gave up.
struct AbortRun {
    const char* name;
    const char* probeIni;
    const char* module;
    const char* lastJournalLine;
};

void PrintTo(const AbortRun& run, std::ostream* out) { *out << run.name; }

class VarnAbort : public VarnRun, public ::testing::WithParamInterface<AbortRun> {};

TEST_P(VarnAbort, AnUncaughtExceptionOrAnAbortInAModuleLeavesTheSameReport) {
    PlaceModules({});
    ASSERT_TRUE(Game().Write("Probe.ini", GetParam().probeIni));
    ASSERT_TRUE(Game().Write("startup.ini", "[Debug]\r\nLogFile=Varn.log\r\n"));
    EXPECT_EQ(RunVarn(), 3);
    const std::string summary = std::string("Varn stopped: abort or uncaught C++ exception in ") + GetParam().module + " at +0x";
    const std::string report = ReadWholeFile(Game().File("Varn-crash.txt"));
    EXPECT_NE(report.find("\r\n\r\n" + summary), std::string::npos) << report;
    EXPECT_NE(report.find("Exception: 0x40000015 (abort or uncaught C++ exception)\r\n"), std::string::npos);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].find("Varn: " + summary), 0u) << m_boxes[0];
    const std::string log = ReadWholeFile(Game().File("Varn.log"));
    EXPECT_NE(log.find("error: " + summary), std::string::npos) << log;
    const Lines journal = Journal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.back(), GetParam().lastJournalLine);
}

INSTANTIATE_TEST_SUITE_P(Runs, VarnAbort,
                         ::testing::Values(AbortRun{"ExceptionOutOfInitDll", "[Probe]\nThrowInInit=Fader.dll\n", "Fader.dll",
                                                    "Fader.dll InitDLL throws"},
                                           AbortRun{"AbortInMenuRun", "[MNU]\nAbortOnRun=1\n", "MenuSystem.dll",
                                                    "MNU calls abort"}),
                         [](const ::testing::TestParamInfo<AbortRun>& run) { return std::string(run.param.name); });

// A fault inside the heap leaves the heap's lock held, and the reporter thread
// cannot start: the faulting thread writes what it can without the loader,
// shows no box, and the process ends with the exception code instead of
// hanging (RunVarn would kill it after a minute).
TEST_F(VarnRun, AFaultHoldingTheHeapLockIsReportedWithoutHanging) {
    PlaceModules({});
    ASSERT_TRUE(Game().Write("Probe.ini", "[MNU]\nFaultOnRun=1\nHoldHeap=1\n"));
    EXPECT_EQ(static_cast<DWORD>(RunVarn()), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    const std::string summary = "Varn stopped: access violation in MenuSystem.dll at +0x";
    const std::string report = ReadWholeFile(Game().File("Varn-crash.txt"));
    EXPECT_NE(report.find(summary), std::string::npos) << report;
    EXPECT_NE(report.find("\r\nRegisters:\r\n"), std::string::npos) << report;
    EXPECT_TRUE(m_boxes.empty());
}

}  // namespace
