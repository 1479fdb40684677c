// "SPC": the speech system (flight module set).
#pragma once

#include "sdk.h"

class ISpeechSystem {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_SPC;

    // 0: names the directory the speech files are read from; called right after the flight set is loaded.
    virtual void spcSetDirectory(const char* directory) = 0;
};
