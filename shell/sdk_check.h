// The SDK version and the sizes of the shared records as this deliverable was
// compiled, and the check a module's access layer makes against the host's.
#pragma once

#include "varn/sdk.h"

// This deliverable's value for a name of VarnSdkValue ("Version", "IniFile",
// ...); -1 for a name it does not know.
int32_t SdkOwnValue(const char* name);

// Asks the host program's VarnSdkValue (when it exports one) for the version
// and for every record size and logs one error line per difference. A host
// that exports none is not checked. The number of differences.
int ShellCheckHostSdk(const char* ownerName);
