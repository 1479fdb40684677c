// The process-wide state of the host that the window code shares with the
// entry, the start-up sequence and the main loop. One instance, living from
// process start to exit; the registry pointer lives in the service access
// layer (ShellGetRegistry).
#pragma once

#include "varn/app.h"

struct HostState {
    void* mainWindow = nullptr;  // the main window, once created and published
    void* instance = nullptr;    // the module instance handle given to the entry
    int closing = 0;             // 1 right before the main window is destroyed
    int monitorCount = 0;        // display monitors counted at bring-up
    VarnGuid applicationGuid = {};  // copied in when the main window is created
};

// The identifier handed to modules through "APP":
// {5D7BB2C9-7F05-4478-9FCA-E2544BAE4252}.
extern const VarnGuid kApplicationGuid;

HostState& TheHostState();
