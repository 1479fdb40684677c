#include "host/default_options.h"

#include "files/paths.h"
#include "ini/ini_file.h"
#include "shell_base/log.h"

namespace {

#define OPT_INT(section, key, value) {section, key, OptionType::Integer, value, 0.0f, nullptr}
#define OPT_FLOAT(section, key, value) {section, key, OptionType::Float, 0, value, nullptr}
#define OPT_TEXT(section, key, value) {section, key, OptionType::Text, 0, 0.0f, value}
#define OPT_BOOL(section, key, value) {section, key, OptionType::Boolean, value, 0.0f, nullptr}

// The single-precision value just below 4/3 (bit pattern 0x3FAAAAA8).
const float kDefaultAspectRatio = 1.33333301544189453125f;

const DefaultOption kOptions[] = {
    OPT_TEXT("Pilot", "LastName", "Pilot"),
    OPT_TEXT("Pilot", "FirstName", "Ace"),
    OPT_TEXT("Pilot", "Callsign", "Phantom"),
    OPT_TEXT("Pilot", "Service", "USAS"),
    OPT_INT("Options", "Section", 0),
    OPT_INT("GameplayOptions", "MissionStart", 1),
    OPT_INT("GameplayOptions", "CockpitView", 1),
    OPT_INT("GameplayOptions", "DisplayUnit", 0),
    OPT_INT("GameplayOptions", "EnemySkill", 1),
    OPT_INT("GameplayOptions", "Simulation", 1),
    OPT_INT("GameplayOptions", "FlightModel", 1),
    OPT_INT("GameplayOptions", "WeaponEffectiveness", 1),
    OPT_INT("GameplayOptions", "Avionics", 1),
    OPT_INT("GameplayOptions", "Targeting", 1),
    OPT_INT("GameplayOptions", "HUDDisplay", 1),
    OPT_INT("GameplayOptions", "Landing", 1),
    OPT_INT("GameplayOptions", "Collision", 1),
    OPT_INT("GameplayOptions", "Blackout", 1),
    OPT_INT("GameplayOptions", "AmmoUsage", 1),
    OPT_INT("GameplayOptions", "FuelUsage", 1),
    OPT_INT("GraphicsOptions", "DisplayDeviceID", 1),
    OPT_INT("GraphicsOptions", "DisplayWidth", 640),
    OPT_INT("GraphicsOptions", "DisplayHeight", 480),
    OPT_INT("GraphicsOptions", "DisplayDepth", 16),
    OPT_FLOAT("GraphicsOptions", "AspectRatio", kDefaultAspectRatio),
    OPT_INT("GraphicsOptions", "LensFlare", 0),
    OPT_INT("GraphicsOptions", "DetailLevel", 1),
    OPT_INT("GraphicsOptions", "ObjectDetail", 1),
    OPT_INT("GraphicsOptions", "ObjectTexture", 1),
    OPT_INT("GraphicsOptions", "CockpitTexture", 1),
    OPT_INT("GraphicsOptions", "CockpitMirrors", 0),
    OPT_INT("GraphicsOptions", "CockpitReflection", 1),
    OPT_INT("GraphicsOptions", "EffectsDetail", 1),
    OPT_INT("GraphicsOptions", "TerrainDetail", 1),
    OPT_INT("GraphicsOptions", "TerrainTexture", 1),
    OPT_INT("GraphicsOptions", "HorizonDistance", 1),
    OPT_INT("GraphicsOptions", "GroundObjectDensity", 1),
    OPT_INT("GraphicsOptions", "WaterDetail", 1),
    OPT_INT("GraphicsOptions", "CloudsDetail", 1),
    OPT_INT("GraphicsOptions", "Shadow", 0),
    OPT_INT("SoundOptions", "SoundVolume", 100),
    OPT_INT("SoundOptions", "SpeechVolume", 100),
    OPT_INT("SoundOptions", "MusicVolume", 75),
    OPT_INT("SoundOptions", "NumChannels", 16),
    OPT_INT("SoundOptions", "ReverseStereo", 0),
    OPT_INT("SoundOptions", "SpeechSubtitles", 1),
    OPT_TEXT("ControlOptions", "ControlMap", "Default.ini"),
    OPT_INT("ControlOptions", "Sensitivity", 90),
    OPT_INT("ControlOptions", "DeadZone", 10),
    OPT_INT("ControlOptions", "ForceFeedback", 1),
    OPT_INT("ControlOptions", "TrackIR", 1),
    OPT_BOOL("MultiplayerOptions", "LobbyLaunched", 0),
    OPT_INT("MiscOptions", "HUDDisplay", 1),
    OPT_BOOL("MiscOptions", "ForceAIPilot", 0),
    OPT_TEXT("InstantAction", "AircraftType", "SPAD13"),
    OPT_TEXT("InstantAction", "MissionMap", "VARNVERDUN"),
    OPT_TEXT("InstantAction", "StartTime", "16:30:00"),
    OPT_TEXT("InstantAction", "StartDate", "09/18/1918"),
    OPT_INT("InstantAction", "StartTimeDeviation", 120),
    OPT_INT("InstantAction", "TextureSet", 0),
    OPT_INT("InstantAction", "NationalMarking", 0),
    OPT_INT("InstantAction", "SquadronMarking", 0),
    OPT_INT("InstantAction", "AircraftNumber", 0),
    OPT_INT("InstantAction", "KillMarking", 0),
    OPT_TEXT("SingleMission", "AircraftType", "SPAD13"),
    OPT_TEXT("SingleMission", "Service", "USAS"),
    OPT_TEXT("SingleMission", "MissionMap", "VARNVERDUN"),
    OPT_TEXT("SingleMission", "MissionType", "SWEEP"),
    OPT_TEXT("SingleMission", "MissionTime", "RANDOM"),
    OPT_TEXT("SingleMission", "MissionWeather", "RANDOM"),
    OPT_TEXT("SingleMission", "AirActivity", "RANDOM"),
    OPT_TEXT("SingleMission", "AirDefenseActivity", "RANDOM"),
    OPT_BOOL("SingleMission", "LoadMission", 0),
    OPT_TEXT("SingleMission", "LoadMissionFilename", ""),
    OPT_INT("SingleMission", "MissionYear", 1918),
    OPT_INT("SingleMission", "StartYear", 0),
    OPT_INT("SingleMission", "EndYear", 0),
    OPT_TEXT("Campaign", "CampaignName", "St. Mihiel Operation"),
    OPT_TEXT("Campaign", "PlayerService", "USAS"),
    OPT_TEXT("Campaign", "PlayerUnit", "94th Aero Squadron"),
    OPT_TEXT("Campaign", "Difficulty", "NORMAL"),
    OPT_TEXT("Campaign", "Length", "NORMAL"),
    OPT_TEXT("Campaign", "AircraftSupply", "NORMAL"),
    OPT_TEXT("Campaign", "WeaponSupply", "NORMAL"),
    OPT_BOOL("Campaign", "LoadCampaign", 0),
    OPT_TEXT("Campaign", "CampaignSavename", "DefaultCampaignSave"),
    OPT_INT("Multiplayer", "Connection", 0),
    OPT_INT("Multiplayer", "PlayerColor", 0),
    OPT_INT("Multiplayer", "SessionType", 0),
    OPT_INT("Multiplayer", "GameType", 0),
    OPT_TEXT("Multiplayer", "Password", "HostSecret"),
    OPT_INT("Multiplayer", "MaxPlayers", 8),
    OPT_TEXT("Multiplayer", "IPAddress", "127.0.0.1"),
    OPT_TEXT("DogfightHost", "MissionMap", "VARNVERDUN"),
    OPT_INT("DogfightHost", "MissionYear", 1918),
    OPT_INT("DogfightHost", "Loadout", 0),
    OPT_TEXT("DogfightHost", "StartTime", "10:30:00"),
    OPT_INT("DogfightHost", "StartTimeDeviation", 240),
    OPT_INT("DogfightHost", "RespawnTime", 60),
    OPT_FLOAT("DogfightHost", "RespawnDistance", 4000.0f),
    OPT_FLOAT("DogfightHost", "MinHeight", 1000.0f),
    OPT_FLOAT("DogfightHost", "MaxHeight", 5000.0f),
    OPT_FLOAT("DogfightHost", "HeightDeviation", 500.0f),
    OPT_FLOAT("DogfightHost", "ContrailAlt", 7000.0f),
    OPT_INT("DogfightHost", "ScreenshotsDelay", 60),
    OPT_INT("DogfightHost", "StartYear", 0),
    OPT_INT("DogfightHost", "EndYear", 0),
    OPT_TEXT("DogfightHost", "WeatherType", "SCATTERED"),
    OPT_TEXT("DogfightPlayer", "AircraftType", "SPAD13"),
    OPT_TEXT("DogfightPlayer", "TextureSet", "DefaultTextureSet"),
    OPT_TEXT("DogfightPlayer", "PlayerService", "USAS"),
    OPT_TEXT("DogfightPlayer", "Squadron", "DefaultTextureSet"),
    OPT_TEXT("CoopMission", "MissionMap", "VARNVERDUN"),
    OPT_INT("CoopMission", "MissionYear", 1918),
    OPT_FLOAT("CoopMission", "ContrailAlt", 7000.0f),
    OPT_TEXT("CoopMission", "Service1", "USAS"),
    OPT_TEXT("CoopMission", "Service2", "GERMANY"),
    OPT_TEXT("CoopMission", "Mission1", "SWEEP"),
    OPT_TEXT("CoopMission", "AircraftType1", "SPAD13"),
    OPT_TEXT("CoopMission", "AircraftType2", "SPAD13"),
    OPT_TEXT("CoopMission", "AircraftType3", "FokkerD7"),
    OPT_TEXT("CoopMission", "AircraftType4", "FokkerD7"),
    OPT_INT("CoopMission", "ScreenshotsDelay", 60),
    OPT_INT("CoopMission", "StartYear", 0),
    OPT_INT("CoopMission", "EndYear", 0),
    OPT_TEXT("CoopMission", "WeatherType", "SCATTERED"),
};

const char* const kGameplayKeys[kGameplayOptionCount] = {
    "EnemySkill", "FlightModel", "WeaponEffectiveness", "Avionics", "Targeting", "HUDDisplay",
    "Landing",    "Collision",   "Blackout",            "AmmoUsage", "FuelUsage"};

}  // namespace

const DefaultOption* DefaultOptions(size_t* count) {
    if (count) *count = sizeof kOptions / sizeof kOptions[0];
    return kOptions;
}

int WriteDefaultOptions(IniFile* options) {
    if (!options) return 0;
    char text[kPathSize];
    for (const DefaultOption& option : kOptions) {
        switch (option.type) {
        case OptionType::Integer:
            options->GetInt(option.section, option.key, option.integer);
            break;
        case OptionType::Float:
            options->GetFloat(option.section, option.key, option.real);
            break;
        case OptionType::Text:
            options->GetString(option.section, option.key, option.text, text, sizeof text, 0);
            break;
        case OptionType::Boolean:
            options->GetBool(option.section, option.key, option.integer);
            break;
        }
    }
    if (options->Save()) return 1;
    LogError("...unable to save default option .ini file!");
    return 0;
}

void FillGameplayOptions(IniFile* options, unsigned char* vector) {
    if (!vector) return;
    for (int i = 0; i < kGameplayOptionCount; ++i) {
        const int value = options ? options->GetInt("GameplayOptions", kGameplayKeys[i], 0) : 0;
        vector[i] = static_cast<unsigned char>(value & 0xFF);
    }
}
