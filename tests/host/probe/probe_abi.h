// The interfaces between the probe modules of the two C++ ABIs: the gcc-built
// probe's holder ("HLD", published by the object manager's copy) and the
// interface the MSVC-ABI probe publishes ("ABI"), whose operations take every
// kind of argument the SDK headers use. Freestanding: the MSVC-ABI probe is
// built without any C or C++ library.
#pragma once

#include "varn/sdk.h"

#define PROBE_ID_HOLDER "HLD"
#define PROBE_ID_ABI "ABI"

// Called back by abiCall with its value and context.
typedef int32_t(VARN_CDECL* AbiProbeCallback)(int32_t value, void* context);

class IAbiProbe {
public:
    // 0: a - b + c * d - e, from five stack arguments (the callee pops them on 32-bit Windows).
    virtual int32_t abiMix(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) = 0;
    // 1: x * factor, a float in and out.
    virtual float abiScale(float x, int32_t factor) = 0;
    // 2: copies text into out (size bytes, always terminated); its length.
    virtual int32_t abiCopy(const char* text, char* out, int32_t size) = 0;
    // 3: callback(value + 1, context), once.
    virtual int32_t abiCall(AbiProbeCallback callback, int32_t value, void* context) = 0;
};

// The gcc-built probe's holder: takes an id for another module and lets go
// later; CallAbiProbe calls every operation of the IAbiProbe under id and
// journals what came back.
class IProbeHolder {
public:
    virtual void Hold(const char* id) = 0;
    virtual void ReleaseHeld() = 0;
    virtual void CallAbiProbe(const char* id) = 0;
};
