// "TER": the terrain engine (base module set), initialised once after loading
// and shut down by the base-module teardown.
#pragma once

#include "sdk.h"

class ITerrainEngine {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_TER;

    // 0: initialises the terrain engine; called once the directory is set.
    virtual void terInit() = 0;
    // 1: shuts the terrain engine down; called before objExit at teardown.
    virtual void terExit() = 0;
    // 2: names the directory the terrain files are read from.
    virtual void terSetDirectory(const char* directory) = 0;
};
