// "CLK": the frame clock. Each update records the time since the base moment
// and since the previous update; modules read these instead of the OS timer.
#pragma once

#include "sdk.h"

class IClock {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_CLK;

    virtual void clkReset() = 0;                    // 0: base = now, then an update
    virtual void clkSetStep(int32_t value) = 0;     // 1: stores the step value
    virtual int32_t clkGetTimeMs() = 0;             // 2: time of the latest update, ms since base
    virtual float clkGetTime() = 0;                 // 3: the same in seconds
    virtual void clkUpdate() = 0;                   // 4: records now as the latest update
    virtual int32_t clkGetDeltaMs() = 0;            // 5: ms between the two latest updates
    virtual float clkGetDelta() = 0;                // 6: the same in seconds
    virtual float clkGetRate() = 0;                 // 7: 1 / delta in seconds, or -1 for a zero delta
    virtual void clkWait(uint32_t milliseconds) = 0;  // 8: waits until that long after the latest update
    // 9: fixed-step mode on with step ms when both are non-zero, else off.
    virtual void clkSetFixedStep(int32_t enable, uint32_t step) = 0;
};
