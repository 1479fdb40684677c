// "DSP": the display manager (menu module set). Optional for the host: the
// activation notifier skips it when it is not registered.
#pragma once

class IDisplayManager {
public:
    // 0: the application became active (1) or inactive (0).
    virtual void dspSetActive(int active) = 0;
};
