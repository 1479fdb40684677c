// The module DLL names of the default startup.ini: the tests copy the probe
// module under each of them into a game directory's system directory.
#pragma once

namespace probe {

inline const char* const kModuleNames[] = {
    "DirectInput.dll",    "DirectSound.dll",    "DirectDraw.dll",        "TextUSEnglish.dll", "MenuSystem.dll",
    "GraphicsEngine.dll", "TerrainEngine.dll",  "FlightEngine.dll",      "ObjectManager.dll", "ViewManager.dll",
    "ControlMap.dll",     "ParticleSystem.dll", "EnvironmentSystem.dll", "WorldManager.dll",  "MissionManager.dll",
    "MessageSystem.dll",  "SpeechSystem.dll",   "Fader.dll"};

}  // namespace probe
