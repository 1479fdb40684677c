// "DBG": the debug system. Diagnostic output is switched off; only the output
// level is kept.
#pragma once

#include "sdk.h"

class IDebugSystem {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_DBG;

    virtual void dbgReserved0() = 0;                                       // 0: does nothing
    virtual void dbgReserved1(int32_t a, int32_t b, int32_t c, int32_t d) = 0;  // 1: does nothing
    virtual void dbgReserved2(int32_t a, int32_t b, int32_t c) = 0;        // 2: does nothing
    virtual void dbgSetLevel(int32_t level) = 0;                           // 3: stores the output level
    virtual void dbgReserved4(int32_t value) = 0;                          // 4: does nothing
};
