#include "host/game_loop.h"

#include "host/activation.h"
#include "host/held_interface.h"
#include "host/host_state.h"
#include "host/module_sets.h"
#include "host/startup_settings.h"
#include "shell/shell_app.h"
#include "shell/shell_memory.h"
#include "varn/flt.h"
#include "varn/mnu.h"
#include "varn/msn.h"
#include "varn/rnd.h"

#include <windows.h>

#include <ctime>

namespace {

const DWORD kPollMilliseconds = 100;

void MainLoop() {
    while (appPumpMessages() && MenuPhase() && appPumpMessages()) {
        ShellMemCompact();
        if (!FlightPhase()) break;
        AfterFlightStep();
    }
}

}  // namespace

int MenuPhase() {
    StartupSettings& s = TheStartupSettings();
    IMenuSystem* menu = nullptr;
    int result = 0;
    if (LoadMenuSet(&menu) && menu->mnuSetVersion(ShellGetVersionText()) == 0)
        result = menu->mnuRun(s.menuDirectory, s.menuInitFile, s.nextScreen) == 0 ? 1 : 0;
    UnloadMenuSet(&menu);
    return result;
}

int FlightPhase() {
    StartupSettings& s = TheStartupSettings();
    IFlightEngine* flight = nullptr;
    int result = 0;
    if (LoadFlightSet(&flight) && flight->fltSetVersion(ShellGetVersionText()) == 0)
        result = flight->fltRun(s.flightDirectory, s.flightInitFile) == 0 ? 1 : 0;
    UnloadFlightSet(&flight);
    return result;
}

void AfterFlightStep() {
    HeldInterface<IMissionSystem> missions("MSN");
    if (missions) missions->msnGetNextScreen(TheStartupSettings().nextScreen, kPathSize);
    // Whatever the mission system wrote, the name stays terminated.
    TheStartupSettings().nextScreen[kPathSize - 1] = '\0';
}

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
