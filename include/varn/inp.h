// "INP": the input manager (base module set). Optional for the host: the
// activation notifier skips it when it is not registered.
#pragma once

class IInputManager {
public:
    // 0: the application became active (1) or inactive (0).
    virtual void inpSetActive(int active) = 0;
};
