// The SDK values of this deliverable and the attach-time comparison with the
// host's: a module built against another SDK, or with another layout of the
// options document, says so in the log instead of corrupting memory.
#include "shell/sdk_check.h"

#include "files/strings.h"
#include "ini/ini_file.h"
#include "platform/platform.h"
#include "shell_base/log.h"
#include "varn/varn.h"

#include <iterator>

namespace {

struct SdkValue {
    const char* name;
    int32_t value;
};

const SdkValue kValues[] = {
    {"Version", VARN_SDK_VERSION},
    {"IniFile", sizeof(IniFile)},
    {"SessionDescription", sizeof(SessionDescription)},
    {"GameplayOptionsBlock", sizeof(GameplayOptionsBlock)},
    {"QueryReportingSetup", sizeof(QueryReportingSetup)},
    {"CursorListRecord", sizeof(CursorListRecord)},
    {"MissionRecord", sizeof(MissionRecord)},
    {"FlightSlotArray", sizeof(FlightSlotArray)},
    {"TextAttributes", sizeof(TextAttributes)},
    {"AircraftRecord", sizeof(AircraftRecord)},
    {"VarnGuid", sizeof(VarnGuid)},
};

}  // namespace

int32_t SdkOwnValue(const char* name) {
    for (const SdkValue& entry : kValues)
        if (name && StringsEqual(name, entry.name, true)) return entry.value;
    return -1;
}

int ShellCheckHostSdk(const char* ownerName) {
    auto hostValue = reinterpret_cast<SdkValueFunction>(plat::LibrarySymbol(plat::LibraryProgram(), VARN_SDK_VALUE_NAME));
    if (!hostValue) return 0;
    int differences = 0;
    int32_t hostVersion = hostValue("Version");
    if (hostVersion != VARN_SDK_VERSION) {
        LogError("Module %s was built with SDK version %d, the host has version %d", ownerName, VARN_SDK_VERSION,
                 static_cast<int>(hostVersion));
        ++differences;
    }
    for (const SdkValue* entry = kValues + 1; entry != std::end(kValues); ++entry) {
        int32_t host = hostValue(entry->name);
        if (host == entry->value) continue;
        LogError("Module %s has a %s of %d bytes, the host one of %d: it must be rebuilt with the host's SDK",
                 ownerName, entry->name, static_cast<int>(entry->value), static_cast<int>(host));
        ++differences;
    }
    return differences;
}
