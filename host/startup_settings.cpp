// The readers of startup.ini: a table of its text keys with their defaults
// and how each path is resolved, and the debug and window keys read before
// the main window exists.
#include "host/startup_settings.h"

#include "files/strings.h"
#include "ini/ini_file.h"

namespace {

StartupSettings g_settings;

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
    {"Startup", "StartupScreen", "MainScreen", &StartupSettings::startupScreen, KEY_AS_WRITTEN},
};

}  // namespace

const char kStartupFile[] = "startup.ini";

StartupSettings& TheStartupSettings() { return g_settings; }

void ReadWindowSettings(IniFile& document, const char* baseDirectory, DebugSettings* debug, WindowSettings* window) {
    debug->outputLevel = document.GetInt("Debug", "OutputLevel", 0);
    char logFile[kPathSize] = "";
    document.GetString("Debug", "LogFile", "", logFile, kPathSize, 0);
    if (IsEmptyString(logFile))
        debug->logFile[0] = 0;
    else
        CombinePath(baseDirectory, logFile, debug->logFile, kPathSize);
    window->showBoxes = document.GetBool("Debug", "CrashBox", 1);
    window->windowed = document.GetBool("Window", "WindowMode", 0);
    window->x = document.GetInt("Window", "WindowPosX", 0);
    window->y = document.GetInt("Window", "WindowPosY", 0);
    window->width = document.GetInt("Window", "WindowWidth", 0);
    window->height = document.GetInt("Window", "WindowHeight", 0);
}

void ReadStartupSettings(IniFile& document, const char* baseDirectory, StartupSettings* settings) {
    document.GetString("Startup", "IntroMovieList", "", settings->introMovieList, kPathSize, 0);
    char value[kPathSize];
    for (const TextKey& key : kTextKeys) {
        document.GetString(key.section, key.key, key.defaultValue, value, kPathSize, 0);
        char* field = settings->*key.field;
        if (key.resolve == Resolve::AsWritten)
            CopyString(field, value, kPathSize);
        else
            CombinePath(key.resolve == Resolve::AgainstBase ? baseDirectory : settings->*key.directory, value, field,
                        kPathSize);
    }
}
