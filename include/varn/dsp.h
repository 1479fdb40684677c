// "DSP": the display manager (menu module set). Optional for the host: the
// activation notifier skips it when it is not registered.
#pragma once

#include "sdk.h"

class IDisplayManager {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_DSP;

    // 0: the application became active (1) or inactive (0).
    virtual void dspSetActive(int active) = 0;
};
