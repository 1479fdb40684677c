// A module DLL without InitDLL and ExitDLL: the loader must load and unload
// it without them.
#include "varn/sdk.h"

extern "C" VARN_EXPORT int32_t PlainModuleValue() { return 7; }
