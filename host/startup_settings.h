// What startup.ini says about the game: the debug output, the window, every
// directory, the module DLL names, the per-module files and the first menu
// screen. The readers only read: they fill these structs from a document and
// leave applying the values (the log file, the crash box, the window mode) to
// the run (host/game_run.cpp, WinMain). Read once at start and used by the
// module sets for the whole run; what changes during the run lives in the
// host state.
#pragma once

#include "files/paths.h"

class IniFile;

// [Debug] OutputLevel and LogFile: how much the debug system says and where
// the log goes.
struct DebugSettings {
    int outputLevel;          // [Debug] OutputLevel
    char logFile[kPathSize];  // [Debug] LogFile, resolved; "" keeps the log off
};

struct WindowSettings {
    int showBoxes;    // [Debug] CrashBox: 0 leaves out the boxes that say why the game ends
    int windowed;     // [Window] WindowMode
    int x;
    int y;
    int width;
    int height;
};

// Every text is a kPathSize-byte buffer: at most 259 characters and a terminator.
struct StartupSettings {
    DebugSettings debug;
    WindowSettings window;

    char introMovieList[kPathSize];

    // [Directory], resolved against the base directory.
    char systemDirectory[kPathSize];
    char menuDirectory[kPathSize];
    char missionControlDirectory[kPathSize];
    char flightDirectory[kPathSize];
    char objectDirectory[kPathSize];
    char terrainDirectory[kPathSize];
    char soundDirectory[kPathSize];
    char speechDirectory[kPathSize];
    char controlDirectory[kPathSize];
    char screenShotsDirectory[kPathSize];
    char missionsDirectory[kPathSize];
    char campaignsDirectory[kPathSize];
    char pilotDataDirectory[kPathSize];
    char netCacheDirectory[kPathSize];

    // [System], as written.
    char inputManagerDll[kPathSize];
    char soundManagerDll[kPathSize];
    char displayManagerDll[kPathSize];
    char textManagerDll[kPathSize];
    char menuSystemDll[kPathSize];
    char graphicsEngineDll[kPathSize];
    char terrainEngineDll[kPathSize];
    char flightEngineDll[kPathSize];
    char objectManagerDll[kPathSize];
    char viewManagerDll[kPathSize];
    char controlMapDll[kPathSize];
    char particleSystemDll[kPathSize];
    char environmentSystemDll[kPathSize];
    char worldManagerDll[kPathSize];
    char missionManagerDll[kPathSize];
    char messageSystemDll[kPathSize];
    char speechSystemDll[kPathSize];
    char faderDll[kPathSize];
    char networkLayerDll[kPathSize];
    char exporterDll[kPathSize];

    char optionsFile[kPathSize];

    // Per-module files, resolved against their module's directory.
    char menuInitFile[kPathSize];
    char menuDataFile[kPathSize];
    char menuTextFile[kPathSize];
    char flightInitFile[kPathSize];
    char flightDataFile[kPathSize];
    char flightTextFile[kPathSize];
    char objectDataFile[kPathSize];
    char objectListFile[kPathSize];
    char missionInitFile[kPathSize];
    char missionDataFile[kPathSize];
    char missionTextFile[kPathSize];
    char pilotListFile[kPathSize];
    char speechDataFile[kPathSize];
    char speechTextFile[kPathSize];

    // [Startup] StartupScreen: the screen the first menu run opens on.
    char startupScreen[kPathSize];
};

// The settings of this run, filled by the readers below.
StartupSettings& TheStartupSettings();

// The start-up file's name, in the base directory.
extern const char kStartupFile[];

// Reads [Debug] OutputLevel, LogFile (resolved against baseDirectory) and
// CrashBox and the [Window] keys from document.
void ReadWindowSettings(IniFile& document, const char* baseDirectory, DebugSettings* debug, WindowSettings* window);

// Reads the rest of the start-up file from document into settings: the intro
// movie list, then every directory, DLL name and per-module file (paths
// resolved against baseDirectory or their module's directory) and the startup
// screen, in that order, so a document that writes back its defaults gains
// the missing keys in that order. The debug and window settings stay as they
// are.
void ReadStartupSettings(IniFile& document, const char* baseDirectory, StartupSettings* settings);
