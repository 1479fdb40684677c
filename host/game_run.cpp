// The run of the game, top to bottom: Run seeds the random numbers and hides
// the cursor, the start-up sequence reads startup.ini and brings up the base
// set and the multiplayer launch, the main loop alternates menu runs and
// flights, and the base set goes down at the end.
#include "host/game_run.h"

#include "core/kept_file.h"
#include "files/directories.h"
#include "files/strings.h"
#include "host/activation.h"
#include "host/default_options.h"
#include "host/host_state.h"
#include "host/launch/multiplayer_launch.h"
#include "host/media/movie_player.h"
#include "host/module_sets.h"
#include "host/startup_settings.h"
#include "ini/ini_file.h"
#include "shell/shell.h"
#include "shell/shell_app.h"
#include "shell_base/shell_memory.h"
#include "varn/dbg.h"
#include "varn/dll.h"
#include "varn/flt.h"
#include "varn/fmg.h"
#include "varn/held.h"
#include "varn/mnu.h"
#include "varn/msn.h"
#include "varn/opt.h"
#include "varn/rnd.h"

#include <windows.h>

#include <ctime>

namespace {

const DWORD kPollMilliseconds = 100;

void MainLoop();

}  // namespace

int Run(const char* commandLine) {
    ShellGetRandom()->rndSetSeed(static_cast<uint32_t>(time(nullptr)));
    appShowCursor(0);
    if (StartupSequence(commandLine)) {
        while (!TheHostState().mainWindow) Sleep(kPollMilliseconds);
        ActivationNotifier(1);
        HWND window = static_cast<HWND>(TheHostState().mainWindow);
        while (GetFocus() != window) {
            SetFocus(window);
            Sleep(kPollMilliseconds);
        }
        appShowCursor(0);
        MainLoop();
    }
    UnloadBaseSet();
    appShowCursor(1);
    return 0;
}

// ---- Start-up -------------------------------------------------------------

namespace {

void SetDebugLevel(int level) {
    InterfaceHold<IDebugSystem> debug(ShellGetRegistry());
    if (debug) debug->dbgSetLevel(level);
}

void MakeMissingDirectory(const char* path) {
    if (!DirectoryExists(path)) MakeDirectory(path);
}

}  // namespace

int StartupSequence(const char* commandLine) {
    StartupSettings& settings = TheStartupSettings();
    HostState& state = TheHostState();
    IniFile startup(kStartupFile, 1, 0, IniFile::kDefaultExtra);
    // startup.ini is written back below; one that is not text is kept first.
    KeepIfNotText(startup.Path());
    SetDebugLevel(settings.debug.outputLevel);

    // Every key is read (the missing ones added to the document) before the
    // movies play; the document is written back after them.
    ReadStartupSettings(startup, appGetBaseDirectory(), &settings);
    CopyString(state.nextScreen, settings.startupScreen, kPathSize);
    if (!IsEmptyString(settings.introMovieList) && ShellGetFileManager()->fmgFileExists(settings.introMovieList, 0))
        PlayMovieList(settings.introMovieList);
    startup.Save();

    // The options service points at the options file, whose document the
    // default-options writer completes and saves; it stays open while the
    // base set loads.
    InterfaceHold<IOptionsFile> options(ShellGetRegistry());
    if (!options) return 0;
    options->optOpen(settings.optionsFile);
    IniFile* optionsDocument = nullptr;
    if (options->optGetIniFile(&optionsDocument)) WriteDefaultOptions(optionsDocument);

    MakeMissingDirectory(settings.screenShotsDirectory);
    MakeMissingDirectory(settings.missionsDirectory);

    ShellGetDllManager()->dllSetDirectory(settings.systemDirectory);
    int loaded = LoadBaseSet();
    if (optionsDocument) options->optReleaseIniFile(&optionsDocument);
    options.Release();
    if (!loaded) return 0;

    IFileManager* files = ShellGetFileManager();
    state.menuTextCatalogOpen = 1;
    files->fmgOpenCatalog(settings.menuTextFile);
    appSetActive(1);
    int launch = LobbyLaunch(commandLine, &startup, state.nextScreen);
    files->fmgOpenCatalog(settings.menuDataFile);
    return launch;
}

// ---- The main loop ----------------------------------------------------------

namespace {

void MainLoop() {
    while (appPumpMessages() && MenuPhase() && appPumpMessages()) {
        ShellMemCompact();
        if (!FlightPhase()) break;
        AfterFlightStep();
    }
}

}  // namespace

int MenuPhase() {
    const StartupSettings& settings = TheStartupSettings();
    IMenuSystem* menu = nullptr;
    int result = 0;
    if (LoadMenuSet(&menu) && menu->mnuSetVersion(ShellGetVersionText()) == 0)
        result = menu->mnuRun(settings.menuDirectory, settings.menuInitFile, TheHostState().nextScreen) == 0 ? 1 : 0;
    UnloadMenuSet(&menu);
    return result;
}

int FlightPhase() {
    const StartupSettings& settings = TheStartupSettings();
    IFlightEngine* flight = nullptr;
    int result = 0;
    if (LoadFlightSet(&flight) && flight->fltSetVersion(ShellGetVersionText()) == 0)
        result = flight->fltRun(settings.flightDirectory, settings.flightInitFile) == 0 ? 1 : 0;
    UnloadFlightSet(&flight);
    return result;
}

void AfterFlightStep() {
    char* nextScreen = TheHostState().nextScreen;
    InterfaceHold<IMissionSystem> missions(ShellGetRegistry());
    if (missions) missions->msnGetNextScreen(nextScreen, kPathSize);
    // Whatever the mission system wrote, the name stays terminated.
    nextScreen[kPathSize - 1] = '\0';
}
