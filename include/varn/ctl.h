// "CTL": the control map (base module set). It maps the player's keys and
// controls to command ids and calls the callbacks registered for them.
#pragma once

#include "sdk.h"

// Called with the command id and two values whose meaning depends on the
// command (the comm menu ignores them).
typedef void(VARN_CDECL* CommandCallback)(int command, int value1, int value2);

class IControlMap {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_CTL;

    // 0: names the directory the control files are read from.
    virtual void ctlSetDirectory(const char* directory) = 0;
    // 1: from now on `callback` is called whenever command `command` is given.
    virtual void ctlRegisterCommandCallback(int command, CommandCallback callback) = 0;
    // 2: withdraws a pair registered with ctlRegisterCommandCallback.
    virtual void ctlUnregisterCommandCallback(int command, CommandCallback callback) = 0;
};
