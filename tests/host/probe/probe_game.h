// A game directory for the probe module set: the probe DLL copied under
// every module name of the default startup.ini into its System folder.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace probe {

inline const char* const kModuleNames[] = {
    "DirectInput.dll",    "DirectSound.dll",   "DirectDraw.dll",        "TextUSEnglish.dll", "MenuSystem.dll",
    "GraphicsEngine.dll", "TerrainEngine.dll", "FlightEngine.dll",      "ObjectManager.dll", "ViewManager.dll",
    "ControlMap.dll",     "ParticleSystem.dll", "EnvironmentSystem.dll", "WorldManager.dll", "MissionManager.dll",
    "MessageSystem.dll",  "SpeechSystem.dll",  "Fader.dll"};

// Copies the probe (its Windows path) into game\System under every module
// name but the missing ones, and under the extra names; false when a copy failed.
inline bool PlaceProbeModules(const std::string& game, const std::string& probe,
                              const std::vector<std::string>& missing = {},
                              const std::vector<std::string>& extra = {}) {
    CreateDirectoryA((game + "\\System").c_str(), nullptr);
    std::vector<std::string> names(std::begin(kModuleNames), std::end(kModuleNames));
    names.insert(names.end(), extra.begin(), extra.end());
    for (const std::string& name : names) {
        if (std::find(missing.begin(), missing.end(), name) != missing.end()) continue;
        if (!CopyFileA(probe.c_str(), (game + "\\System\\" + name).c_str(), FALSE)) return false;
    }
    return true;
}

}  // namespace probe
