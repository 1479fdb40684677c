// The process-wide state of the host that the window code shares with the
// entry, the start-up sequence and the main loop: what changes while the game
// runs (what startup.ini says is in host/startup_settings.h). One instance,
// living from process start to exit; the registry pointer lives in the service
// access layer (ShellGetRegistry).
#pragma once

#include "files/paths.h"
#include "varn/app.h"

struct HostState {
    void* mainWindow = nullptr;  // the main window, once created and published
    void* instance = nullptr;    // the module instance handle given to the entry
    int closing = 0;             // 1 right before the main window is destroyed
    int monitorCount = 0;        // display monitors counted at bring-up
    VarnGuid applicationGuid = {};  // copied in when the main window is created

    // The screen the menu system opens on its next run: [Startup]
    // StartupScreen at first, then the multiplayer launch and the mission
    // system after every flight.
    char nextScreen[kPathSize] = {};
    // 1 while the start-up sequence holds the menu text catalog open; the
    // first menu set then does not open it again.
    int menuTextCatalogOpen = 0;
};

// The identifier handed to modules through "APP":
// {5D7BB2C9-7F05-4478-9FCA-E2544BAE4252}.
extern const VarnGuid kApplicationGuid;

HostState& TheHostState();
