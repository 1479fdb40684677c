// "MMG": the mission manager, the last DLL of the base module set. The host
// configures it once at start; the multiplayer launch asks it to start the
// network layer and names the multiplayer mode to run.
#pragma once

#include "sdk.h"

// Multiplayer modes named to mmgSetMultiplayerMode.
inline constexpr const char kMultiplayerModeMission[] = "MpMission";
inline constexpr const char kMultiplayerModeDogfight[] = "MpDogfight";

class IMissionManager {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_MMG;

    // 0: initialises the mission manager from its init file; called after every directory and the network layer are set.
    virtual void mmgInit(const char* initFile) = 0;
    // 1: shuts the mission manager down; called by the base-module teardown.
    virtual void mmgExit() = 0;
    // 2: names the mission control directory (the mission manager's own files).
    virtual void mmgSetMissionControlDirectory(const char* directory) = 0;
    // 3: names the multiplayer mode to run, kMultiplayerModeMission or kMultiplayerModeDogfight.
    virtual void mmgSetMultiplayerMode(const char* mode) = 0;
    // 4: names the directory of the player's missions.
    virtual void mmgSetMissionsDirectory(const char* directory) = 0;
    // 5: names the directory of the campaigns.
    virtual void mmgSetCampaignsDirectory(const char* directory) = 0;
    // 6: names the network layer DLL, which the mission manager (never the host) loads.
    virtual void mmgSetNetworkLayer(const char* dllName) = 0;
    // 7: brings up the network layer; afterwards "NET" must be registered (the launch uses it without a test).
    virtual void mmgStartNetwork() = 0;
    // 8: names the directory of the pilot data.
    virtual void mmgSetPilotDataDirectory(const char* directory) = 0;
    // 9: names the pilot list file; called after mmgInit.
    virtual void mmgSetPilotListFile(const char* path) = 0;
};
