// "FLT": the flight engine, loaded with the flight module set around each flight.
// The host holds it from the end of the set's load to the start of its unload.
#pragma once

#include "sdk.h"

class IFlightEngine {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_FLT;

    // 0: flies one flight from `flightDirectory` with `initFile`; 0 = the flight ended normally, nonzero = leave the main loop.
    virtual int fltRun(const char* flightDirectory, const char* initFile) = 0;
    // 1: names the directory screenshots are written to; called right after the flight set is loaded.
    virtual void fltSetScreenShotDirectory(const char* directory) = 0;
    // 2: hands over the host's version text before each flight; 0 = go on and fly, nonzero = leave the main loop.
    virtual int fltSetVersion(const char* version) = 0;
};
