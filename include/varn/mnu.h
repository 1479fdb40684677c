// "MNU": the menu system, loaded with the menu module set around each menu run.
// The host holds it from the end of the set's load to the start of its unload.
#pragma once

#include "sdk.h"

class IMenuSystem {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_MNU;

    // 0: runs the menus from `menuDirectory` with `initFile`, opening the screen named `nextScreen`; 0 = the player chose to fly, nonzero = quit the game.
    virtual int mnuRun(const char* menuDirectory, const char* initFile, const char* nextScreen) = 0;
    // 1: hands over the host's version text before each run; 0 = go on and run, nonzero = do not run, leave the main loop.
    virtual int mnuSetVersion(const char* version) = 0;
};
