#include "host/module_sets.h"

#include "core/dll_library_manager.h"
#include "files/strings.h"
#include "host/host_state.h"
#include "host/message_box.h"
#include "host/startup_settings.h"
#include "ini/ini_file.h"
#include "shell/shell.h"
#include "shell_base/log.h"
#include "varn/ctl.h"
#include "varn/dll.h"
#include "varn/flt.h"
#include "varn/fmg.h"
#include "varn/held.h"
#include "varn/mmg.h"
#include "varn/mnu.h"
#include "varn/obj.h"
#include "varn/opt.h"
#include "varn/snd.h"
#include "varn/spc.h"
#include "varn/ter.h"

#include <windows.h>

#include <cstddef>
#include <cstdio>

namespace {

using Text = char (StartupSettings::*)[kPathSize];

const char kBoxCaption[] = "Varn";

// A DLL of a set, its startup.ini key and the message logged when it cannot
// be loaded.
struct ModuleDll {
    Text name;
    const char* key;
    const char* failure;
};

const ModuleDll kBaseDlls[] = {
    {&StartupSettings::inputManagerDll, "InputManagerDLL", "Unable to load InputManager DLL %s!"},
    {&StartupSettings::soundManagerDll, "SoundManagerDLL", "Unable to load SoundManager DLL %s!"},
    {&StartupSettings::textManagerDll, "TextManagerDLL", "Unable to load TextManager DLL %s!"},
    {&StartupSettings::controlMapDll, "ControlMapDLL", "Unable to load ControlMap DLL %s!"},
    {&StartupSettings::objectManagerDll, "ObjectManagerDLL", "Unable to load ObjectManager DLL %s!"},
    {&StartupSettings::terrainEngineDll, "TerrainEngineDLL", "Unable to load TerrainEngine DLL %s!"},
};
const ModuleDll kMissionManagerDll = {&StartupSettings::missionManagerDll, "MissionManagerDLL",
                                      "Unable to load MissionManager DLL %s!"};

// Loaded with the base set when named; a failure is only logged.
const ModuleDll kExporterDll = {&StartupSettings::exporterDll, "ExporterDLL", nullptr};

const ModuleDll kMenuDlls[] = {
    {&StartupSettings::displayManagerDll, "DisplayManagerDLL", "Unable to load DisplayManager DLL %s!"},
    {&StartupSettings::faderDll, "FaderDLL", "Unable to load Fader DLL %s!"},
    {&StartupSettings::menuSystemDll, "MenuSystemDLL", "Unable to load MenuSystem DLL %s!"},
};

const ModuleDll kFlightDlls[] = {
    {&StartupSettings::graphicsEngineDll, "GraphicsEngineDLL", "Unable to load GraphicsEngine DLL %s!"},
    {&StartupSettings::particleSystemDll, "ParticleSystemDLL", "Unable to load ParticleSystem DLL %s!"},
    {&StartupSettings::environmentSystemDll, "EnvironmentSystemDLL", "Unable to load EnvironmentSystem DLL %s!"},
    {&StartupSettings::worldManagerDll, "WorldManagerDLL", "Unable to load WorldManager DLL %s!"},
    {&StartupSettings::viewManagerDll, "ViewManagerDLL", "Unable to load ViewManager DLL %s!"},
    {&StartupSettings::messageSystemDll, "MessageSystemDLL", "Unable to load MessageSystem DLL %s!"},
    {&StartupSettings::speechSystemDll, "SpeechSystemDLL", "Unable to load SpeechSystem DLL %s!"},
    {&StartupSettings::faderDll, "FaderDLL", "Unable to load Fader DLL %s!"},
    {&StartupSettings::flightEngineDll, "FlightEngineDLL", "Unable to load FlightEngine DLL %s!"},
};

const Text kFlightCatalogs[] = {&StartupSettings::flightDataFile, &StartupSettings::flightTextFile,
                                &StartupSettings::speechDataFile, &StartupSettings::speechTextFile};

StartupSettings& Settings() { return TheStartupSettings(); }
IFileManager* Files() { return ShellGetFileManager(); }

// A DLL of a set that cannot be loaded ends the game, as a module that fails
// does: the player is told which file, which key names it and why, so that a
// broken install is not taken for a quit.
void TellUnloadable(const ModuleDll& dll) {
    const char* name = Settings().*dll.name;
    char text[3 * kPathSize];
    snprintf(text, sizeof text,
             "The module %s ([System] %s in startup.ini) cannot be loaded: %s.\n%s\n\nVarn ends.", name,
             dll.key, TheDllLibraryManager().LastFailure(), TheDllLibraryManager().LastPath());
    LogError("%s", text);
    if (Settings().window.showBoxes)
        ShowMessageBox(text, kBoxCaption, MB_OK | MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND);
}

int LoadDll(const ModuleDll& dll) {
    const char* name = Settings().*dll.name;
    if (ShellGetDllManager()->dllLoadLibrary(name)) {
        LogInfo("Module %s ([System] %s) loaded.", name, dll.key);
        return 1;
    }
    LogError(dll.failure, name);
    TellUnloadable(dll);
    return 0;
}

void FreeDll(const ModuleDll& dll) {
    const char* name = Settings().*dll.name;
    const bool loaded = TheDllLibraryManager().UseCount(name) >= 0;
    ShellGetDllManager()->dllFreeLibrary(name);
    if (!loaded) return;
    // Another set, or a holder of its interfaces, may keep it loaded.
    if (TheDllLibraryManager().UseCount(name) < 0)
        LogInfo("Module %s ([System] %s) freed.", name, dll.key);
    else
        LogInfo("Module %s ([System] %s) let go, still loaded.", name, dll.key);
}

// Loads the DLLs in order and stops at the first failure, leaving the ones
// loaded before it for the set's unload.
template <size_t N>
int LoadDlls(const ModuleDll (&dlls)[N]) {
    for (const ModuleDll& dll : dlls) {
        if (!LoadDll(dll)) return 0;
    }
    return 1;
}

// Unloads in reverse order, every DLL of the list whether it was loaded or not.
template <size_t N>
void FreeDlls(const ModuleDll (&dlls)[N]) {
    for (size_t i = N; i-- > 0;) FreeDll(dlls[i]);
}

// A set that loaded without registering an id the host goes on to call is
// refused like a set with a missing DLL.
template <typename T>
bool Registered(const InterfaceHold<T>& held) {
    if (!held) LogError("Module set loaded without Interface %s!", T::kId);
    return bool(held);
}

IInterfaceManager* Registry() { return ShellGetRegistry(); }

// The menu system and the flight engine the loaded sets lend to the game
// loop: held from the set's load to its unload. The holds are never
// destroyed: a process that ends with a set still loaded (after a failure)
// must not release into a registry that is already gone.
template <typename T>
union KeptHold {
    KeptHold() : hold() {}
    ~KeptHold() {}
    InterfaceHold<T> hold;
};
KeptHold<IMenuSystem> g_keptMenu;
KeptHold<IFlightEngine> g_keptFlight;
InterfaceHold<IMenuSystem>& g_menu = g_keptMenu.hold;
InterfaceHold<IFlightEngine>& g_flight = g_keptFlight.hold;

// The volumes of the player's options; the stream volume is the music in the
// menus and the speech in flight.
void SetVolumes(const char* streamVolumeKey) {
    InterfaceHold<IOptionsFile> options(Registry());
    if (!options) return;
    IniFile* document = nullptr;
    if (options->optGetIniFile(&document)) {
        InterfaceHold<ISoundManager> sound(Registry());
        if (sound) {
            sound->sndSetSoundVolume(document->GetInt("SoundOptions", "SoundVolume", 0));
            sound->sndSetStreamVolume(document->GetInt("SoundOptions", streamVolumeKey, 0));
        }
        sound.Release();
        options->optReleaseIniFile(&document);
    }
}

// Gets the set's interface into held and lends it to the caller: 1 when the
// set registered it.
template <typename T>
int Lend(InterfaceHold<T>& held, T** lent) {
    held.Get(Registry());
    *lent = held.get();
    return Registered(held) ? 1 : 0;
}

template <typename T>
void TakeBack(InterfaceHold<T>& held, T** lent) {
    held.Release();
    *lent = nullptr;
}

int ConfigureBaseModules() {
    StartupSettings& s = Settings();
    InterfaceHold<ISoundManager> sound(Registry());
    InterfaceHold<IObjectManager> objects(Registry());
    InterfaceHold<ITerrainEngine> terrain(Registry());
    InterfaceHold<IControlMap> controls(Registry());
    bool complete = Registered(sound) & Registered(objects) & Registered(terrain) & Registered(controls);
    if (!complete) return 0;
    sound->sndSetDirectory(s.soundDirectory);
    objects->objSetDirectory(s.objectDirectory);
    terrain->terSetDirectory(s.terrainDirectory);
    controls->ctlSetDirectory(s.controlDirectory);
    Files()->fmgOpenCatalog(s.objectDataFile);
    objects->objInit(s.objectListFile);
    terrain->terInit();
    return 1;
}

int ConfigureMissionManager() {
    StartupSettings& s = Settings();
    InterfaceHold<IMissionManager> missions(Registry());
    if (!Registered(missions)) return 0;
    Files()->fmgOpenCatalog(s.missionDataFile);
    Files()->fmgOpenCatalog(s.missionTextFile);
    missions->mmgSetMissionControlDirectory(s.missionControlDirectory);
    missions->mmgSetMissionsDirectory(s.missionsDirectory);
    missions->mmgSetCampaignsDirectory(s.campaignsDirectory);
    missions->mmgSetPilotDataDirectory(s.pilotDataDirectory);
    missions->mmgSetNetworkLayer(s.networkLayerDll);
    missions->mmgInit(s.missionInitFile);
    missions->mmgSetPilotListFile(s.pilotListFile);
    return 1;
}

}  // namespace

int LoadBaseSet() {
    StartupSettings& s = Settings();
    if (!LoadDlls(kBaseDlls)) return 0;
    // An exporter that cannot be loaded does not stop the start.
    if (!IsEmptyString(s.exporterDll) && ShellGetDllManager()->dllLoadLibrary(s.exporterDll))
        LogInfo("Module %s ([System] %s) loaded.", s.exporterDll, kExporterDll.key);
    if (!ConfigureBaseModules()) return 0;
    Files()->fmgSetCacheDirectory(s.netCacheDirectory);
    Files()->fmgEnableCache(0);
    if (!LoadDll(kMissionManagerDll)) return 0;
    return ConfigureMissionManager();
}

void UnloadBaseSet() {
    StartupSettings& s = Settings();
    Files()->fmgCloseCatalog(s.missionDataFile);
    Files()->fmgCloseCatalog(s.missionTextFile);
    {
        InterfaceHold<IMissionManager> missions(Registry());
        if (missions) missions->mmgExit();
    }
    InterfaceHold<IObjectManager> objects(Registry());
    InterfaceHold<ITerrainEngine> terrain(Registry());
    if (terrain) terrain->terExit();
    if (objects) objects->objExit();
    Files()->fmgCloseCatalog(s.objectDataFile);
    objects.Release();
    terrain.Release();
    if (!IsEmptyString(s.exporterDll)) FreeDll(kExporterDll);
    FreeDll(kMissionManagerDll);
    FreeDlls(kBaseDlls);
}

int LoadMenuSet(IMenuSystem** menu) {
    StartupSettings& s = Settings();
    *menu = nullptr;
    Files()->fmgOpenCatalog(s.menuDataFile);
    if (!TheHostState().menuTextCatalogOpen) Files()->fmgOpenCatalog(s.menuTextFile);
    if (!LoadDlls(kMenuDlls)) return 0;
    SetVolumes("MusicVolume");
    return Lend(g_menu, menu);
}

void UnloadMenuSet(IMenuSystem** menu) {
    StartupSettings& s = Settings();
    TakeBack(g_menu, menu);
    FreeDlls(kMenuDlls);
    Files()->fmgCloseCatalog(s.menuDataFile);
    Files()->fmgCloseCatalog(s.menuTextFile);
    TheHostState().menuTextCatalogOpen = 0;
}

int LoadFlightSet(IFlightEngine** flight) {
    StartupSettings& s = Settings();
    *flight = nullptr;
    for (Text catalog : kFlightCatalogs) Files()->fmgOpenCatalog(s.*catalog);
    if (!LoadDlls(kFlightDlls)) return 0;
    {
        InterfaceHold<ISpeechSystem> speech(Registry());
        if (!Registered(speech)) return 0;
        speech->spcSetDirectory(s.speechDirectory);
    }
    SetVolumes("SpeechVolume");
    if (!Lend(g_flight, flight)) return 0;
    (*flight)->fltSetScreenShotDirectory(s.screenShotsDirectory);
    return 1;
}

void UnloadFlightSet(IFlightEngine** flight) {
    StartupSettings& s = Settings();
    TakeBack(g_flight, flight);
    FreeDlls(kFlightDlls);
    Files()->fmgCloseCatalog(s.speechDataFile);
    Files()->fmgCloseCatalog(s.speechTextFile);
    Files()->fmgCloseCatalog(s.flightTextFile);
    Files()->fmgCloseCatalog(s.flightDataFile);
}
