// What startup.ini says about the game: the window settings, every directory,
// the module DLL names, the per-module files and the first menu screen. Read
// once at start (the window settings before the main window exists, the rest
// by the start-up sequence) and used by the module sets for the whole run.
#pragma once

#include "files/paths.h"

struct WindowSettings {
    int outputLevel;  // [Debug] OutputLevel
    char logFile[kPathSize];  // [Debug] LogFile, resolved; "" keeps the log off
    int showBoxes;    // [Debug] CrashBox: 0 leaves out the boxes that say why the game ends
    int windowed;     // [Window] WindowMode
    int x;
    int y;
    int width;
    int height;
};

// Every text is a 260-byte buffer: at most 259 characters and a terminator.
struct StartupSettings {
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

    // The screen the menu system opens on its next run: [Startup]
    // StartupScreen at first, then the multiplayer launch and the mission
    // system after every flight.
    char nextScreen[kPathSize];

    // 1 while the start-up sequence holds the menu text catalog open; the
    // menu set then does not open it again.
    int menuTextCatalogOpen;
};

StartupSettings& TheStartupSettings();

// Reads [Debug] OutputLevel, LogFile and CrashBox and the [Window] keys of
// startup.ini in the base directory, without writing anything back, and hands
// WindowMode to "APP".
void ReadWindowSettings();

// Reads the rest of startup.ini (writing every missing key back), plays the
// intro movies, completes the options file, loads the base module set and runs
// the multiplayer launch. Its result: nonzero to enter the main loop, 0 when
// start-up failed.
int StartupSequence(const char* commandLine);
