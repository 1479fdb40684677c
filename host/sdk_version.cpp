// The SDK version and record sizes the host was built with, exported by name
// from the program (VarnSdkValue) so that a module's access layer can compare
// them with its own when it attaches; the registry is not involved.
#include "shell/sdk_check.h"

extern "C" VARN_EXPORT int32_t VARN_CDECL VarnSdkValue(const char* name) { return SdkOwnValue(name); }
