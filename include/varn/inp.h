// "INP": the input manager (base module set). Optional for the host: the
// activation notifier skips it when it is not registered.
#pragma once

#include "sdk.h"

class IInputManager {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_INP;

    // 0: the application became active (1) or inactive (0).
    virtual void inpSetActive(int active) = 0;
};
