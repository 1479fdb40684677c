#include "host/startup_settings.h"

#include "core/kept_file.h"
#include "files/directories.h"
#include "files/strings.h"
#include "host/crash_report.h"
#include "host/default_options.h"
#include "host/held_interface.h"
#include "host/launch/multiplayer_launch.h"
#include "host/media/movie_player.h"
#include "host/module_sets.h"
#include "ini/ini_file.h"
#include "shell/log.h"
#include "shell/shell_app.h"
#include "varn/dbg.h"
#include "varn/dll.h"
#include "varn/fmg.h"
#include "varn/opt.h"

namespace {

StartupSettings g_settings;

const char kStartupFile[] = "startup.ini";

using Text = char (StartupSettings::*)[kPathSize];

enum class Resolve { AsWritten, AgainstBase, AgainstDirectory };

// A text key of startup.ini: where it goes and, for paths, what it is
// resolved against (AgainstDirectory: the directory field named last).
struct TextKey {
    const char* section;
    const char* key;
    const char* defaultValue;
    Text field;
    Resolve resolve;
    Text directory;
};

#define KEY_AS_WRITTEN Resolve::AsWritten, nullptr
#define KEY_IN_BASE Resolve::AgainstBase, nullptr
#define KEY_IN(directory) Resolve::AgainstDirectory, &StartupSettings::directory

// In the order they are asked for, and so appended when missing.
const TextKey kTextKeys[] = {
    {"Directory", "SystemDirectory", "System", &StartupSettings::systemDirectory, KEY_IN_BASE},
    {"Directory", "MenuDirectory", "Menu", &StartupSettings::menuDirectory, KEY_IN_BASE},
    {"Directory", "MissionControlDirectory", "Flight", &StartupSettings::missionControlDirectory, KEY_IN_BASE},
    {"Directory", "FlightDirectory", "Flight", &StartupSettings::flightDirectory, KEY_IN_BASE},
    {"Directory", "ObjectDirectory", "Objects", &StartupSettings::objectDirectory, KEY_IN_BASE},
    {"Directory", "TerrainDirectory", "Terrain", &StartupSettings::terrainDirectory, KEY_IN_BASE},
    {"Directory", "SoundDirectory", "Sounds", &StartupSettings::soundDirectory, KEY_IN_BASE},
    {"Directory", "SpeechDirectory", "Speech", &StartupSettings::speechDirectory, KEY_IN_BASE},
    {"Directory", "ControlDirectory", "Controls", &StartupSettings::controlDirectory, KEY_IN_BASE},
    {"Directory", "ScreenShotsDirectory", "ScreenShots", &StartupSettings::screenShotsDirectory, KEY_IN_BASE},
    {"Directory", "MissionsDirectory", "Missions", &StartupSettings::missionsDirectory, KEY_IN_BASE},
    {"Directory", "CampaignsDirectory", "Campaigns", &StartupSettings::campaignsDirectory, KEY_IN_BASE},
    {"Directory", "PilotDataDirectory", "PilotData", &StartupSettings::pilotDataDirectory, KEY_IN_BASE},
    {"Directory", "NetCacheDirectory", "NetCache", &StartupSettings::netCacheDirectory, KEY_IN_BASE},
    {"System", "InputManagerDLL", "DirectInput.dll", &StartupSettings::inputManagerDll, KEY_AS_WRITTEN},
    {"System", "SoundManagerDLL", "DirectSound.dll", &StartupSettings::soundManagerDll, KEY_AS_WRITTEN},
    {"System", "DisplayManagerDLL", "DirectDraw.dll", &StartupSettings::displayManagerDll, KEY_AS_WRITTEN},
    {"System", "TextManagerDLL", "TextUSEnglish.dll", &StartupSettings::textManagerDll, KEY_AS_WRITTEN},
    {"System", "MenuSystemDLL", "MenuSystem.dll", &StartupSettings::menuSystemDll, KEY_AS_WRITTEN},
    {"System", "GraphicsEngineDLL", "GraphicsEngine.dll", &StartupSettings::graphicsEngineDll, KEY_AS_WRITTEN},
    {"System", "TerrainEngineDLL", "TerrainEngine.dll", &StartupSettings::terrainEngineDll, KEY_AS_WRITTEN},
    {"System", "FlightEngineDLL", "FlightEngine.dll", &StartupSettings::flightEngineDll, KEY_AS_WRITTEN},
    {"System", "ObjectManagerDLL", "ObjectManager.dll", &StartupSettings::objectManagerDll, KEY_AS_WRITTEN},
    {"System", "ViewManagerDLL", "ViewManager.dll", &StartupSettings::viewManagerDll, KEY_AS_WRITTEN},
    {"System", "ControlMapDLL", "ControlMap.dll", &StartupSettings::controlMapDll, KEY_AS_WRITTEN},
    {"System", "ParticleSystemDLL", "ParticleSystem.dll", &StartupSettings::particleSystemDll, KEY_AS_WRITTEN},
    {"System", "EnvironmentSystemDLL", "EnvironmentSystem.dll", &StartupSettings::environmentSystemDll, KEY_AS_WRITTEN},
    {"System", "WorldManagerDLL", "WorldManager.dll", &StartupSettings::worldManagerDll, KEY_AS_WRITTEN},
    {"System", "MissionManagerDLL", "MissionManager.dll", &StartupSettings::missionManagerDll, KEY_AS_WRITTEN},
    {"System", "MessageSystemDLL", "MessageSystem.dll", &StartupSettings::messageSystemDll, KEY_AS_WRITTEN},
    {"System", "SpeechSystemDLL", "SpeechSystem.dll", &StartupSettings::speechSystemDll, KEY_AS_WRITTEN},
    {"System", "FaderDLL", "Fader.dll", &StartupSettings::faderDll, KEY_AS_WRITTEN},
    {"System", "NetworkLayerDLL", "DirectPlay.dll", &StartupSettings::networkLayerDll, KEY_AS_WRITTEN},
    {"System", "ExporterDLL", "", &StartupSettings::exporterDll, KEY_AS_WRITTEN},
    {"Options", "OptionsFile", "Options.ini", &StartupSettings::optionsFile, KEY_IN_BASE},
    {"MenuSystem", "InitFile", "MenuSystem.ini", &StartupSettings::menuInitFile, KEY_IN(menuDirectory)},
    {"MenuSystem", "DataFile", "MenuData.cat", &StartupSettings::menuDataFile, KEY_IN(menuDirectory)},
    {"MenuSystem", "TextFile", "MenuText.cat", &StartupSettings::menuTextFile, KEY_IN(menuDirectory)},
    {"FlightEngine", "InitFile", "FlightEngine.ini", &StartupSettings::flightInitFile, KEY_IN(flightDirectory)},
    {"FlightEngine", "DataFile", "FlightData.cat", &StartupSettings::flightDataFile, KEY_IN(flightDirectory)},
    {"FlightEngine", "TextFile", "FlightText.cat", &StartupSettings::flightTextFile, KEY_IN(flightDirectory)},
    {"Objects", "DataFile", "ObjectData.cat", &StartupSettings::objectDataFile, KEY_IN(objectDirectory)},
    {"Objects", "InitFile", "ObjectList.ini", &StartupSettings::objectListFile, KEY_IN(objectDirectory)},
    {"MissionManager", "InitFile", "MissionManager.ini", &StartupSettings::missionInitFile, KEY_IN(missionControlDirectory)},
    {"MissionManager", "DataFile", "MissionData.cat", &StartupSettings::missionDataFile, KEY_IN(missionControlDirectory)},
    {"MissionManager", "TextFile", "MissionText.cat", &StartupSettings::missionTextFile, KEY_IN(missionControlDirectory)},
    {"MissionManager", "PilotListFile", "PilotList.ini", &StartupSettings::pilotListFile, KEY_IN(pilotDataDirectory)},
    {"Speech", "DataFile", "Speech.cat", &StartupSettings::speechDataFile, KEY_IN(speechDirectory)},
    {"Speech", "TextFile", "SpeechText.cat", &StartupSettings::speechTextFile, KEY_IN(speechDirectory)},
    {"Startup", "StartupScreen", "MainScreen", &StartupSettings::nextScreen, KEY_AS_WRITTEN},
};

void ReadTextKeys(IniFile& document, const char* baseDirectory) {
    char value[kPathSize];
    for (const TextKey& key : kTextKeys) {
        document.GetString(key.section, key.key, key.defaultValue, value, kPathSize, 0);
        char* field = g_settings.*key.field;
        if (key.resolve == Resolve::AsWritten)
            CopyString(field, value, kPathSize);
        else
            CombinePath(key.resolve == Resolve::AgainstBase ? baseDirectory : g_settings.*key.directory, value, field,
                        kPathSize);
    }
}

// Step 10: the options service points at the options file, whose document
// the default-options writer completes and saves. 0 when "OPT" is missing.
int PrepareOptions(IOptionsFile** options, IniFile** document) {
    *document = nullptr;
    if (!ShellGetRegistry()->GetInterface("OPT", reinterpret_cast<void**>(options))) return 0;
    (*options)->optOpen(g_settings.optionsFile);
    if ((*options)->optGetIniFile(document)) WriteDefaultOptions(*document);
    return 1;
}

void ReleaseOptions(IOptionsFile** options, IniFile** document) {
    if (*document) (*options)->optReleaseIniFile(document);
    ShellGetRegistry()->ReleaseInterface("OPT", reinterpret_cast<void**>(options));
}

void MakeMissingDirectory(const char* path) {
    if (!DirectoryExists(path)) MakeDirectory(path);
}

}  // namespace

StartupSettings& TheStartupSettings() { return g_settings; }

void ReadWindowSettings() {
    char path[kPathSize];
    const char* baseDirectory = appGetBaseDirectory();
    CombinePath(baseDirectory, kStartupFile, path, kPathSize);
    IniFile document(path, 0, 0, IniFile::kDefaultExtra);
    WindowSettings& window = g_settings.window;
    window.outputLevel = document.GetInt("Debug", "OutputLevel", 0);
    // The opt-in log for module authors: this program's log entry points and,
    // through the environment, those of every module loaded later.
    char logFile[kPathSize] = "";
    document.GetString("Debug", "LogFile", "", logFile, kPathSize, 0);
    if (IsEmptyString(logFile))
        window.logFile[0] = 0;
    else
        CombinePath(baseDirectory, logFile, window.logFile, kPathSize);
    LogSetFile(window.logFile);
    window.showBoxes = document.GetBool("Debug", "CrashBox", 1);
    CrashReportSetBox(window.showBoxes);
    window.windowed = document.GetBool("Window", "WindowMode", 0);
    appSetWindowed(window.windowed);
    window.x = document.GetInt("Window", "WindowPosX", 0);
    window.y = document.GetInt("Window", "WindowPosY", 0);
    window.width = document.GetInt("Window", "WindowWidth", 0);
    window.height = document.GetInt("Window", "WindowHeight", 0);
}

int StartupSequence(const char* commandLine) {
    IniFile startup(kStartupFile, 1, 0, IniFile::kDefaultExtra);
    // startup.ini is written back below; one that is not text is kept first.
    KeepIfNotText(startup.Path());
    const char* baseDirectory = appGetBaseDirectory();

    {
        HeldInterface<IDebugSystem> debug("DBG");
        if (debug) debug->dbgSetLevel(g_settings.window.outputLevel);
    }

    startup.GetString("Startup", "IntroMovieList", "", g_settings.introMovieList, kPathSize, 0);
    if (!IsEmptyString(g_settings.introMovieList) && ShellGetFileManager()->fmgFileExists(g_settings.introMovieList, 0))
        PlayMovieList(g_settings.introMovieList);

    ReadTextKeys(startup, baseDirectory);
    startup.Save();

    IOptionsFile* options = nullptr;
    IniFile* optionsDocument = nullptr;
    if (!PrepareOptions(&options, &optionsDocument)) return 0;

    MakeMissingDirectory(g_settings.screenShotsDirectory);
    MakeMissingDirectory(g_settings.missionsDirectory);

    ShellGetDllManager()->dllSetDirectory(g_settings.systemDirectory);
    int loaded = LoadBaseSet();
    ReleaseOptions(&options, &optionsDocument);
    if (!loaded) return 0;

    IFileManager* files = ShellGetFileManager();
    g_settings.menuTextCatalogOpen = 1;
    files->fmgOpenCatalog(g_settings.menuTextFile);
    appSetActive(1);
    int launch = LobbyLaunch(commandLine, &startup, g_settings.nextScreen);
    files->fmgOpenCatalog(g_settings.menuDataFile);
    return launch;
}
