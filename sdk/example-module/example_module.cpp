// The smallest useful module: it publishes one interface ("EXA"), uses one
// host service (the clock "CLK") from it, and reads the player's options
// through "OPT" with the INI library.
//
// A module exports InitDLL and ExitDLL. InitDLL attaches the module's copy of
// the service access layer, which takes the host services from the registry,
// then publishes the module's interfaces with the module handle as owner.
// ExitDLL withdraws them and detaches. Interfaces are abstract classes whose
// slot order is the contract: add new operations at the end only.
#include "ini/ini_file.h"
#include "shell/log.h"
#include "shell/shell.h"
#include "varn/varn.h"

namespace {

const char kOwner[] = "EXAMPLE";  // at most 7 characters

// The interface other modules hold with InterfaceHold<IExample>: the id it is
// published under (three upper-case letters) stands beside the type.
class IExample {
public:
    static constexpr const char kId[] = "EXA";

    // Seconds since the clock's base moment, as the host's clock tells it.
    virtual float exaGetTime() = 0;
};

class Example final : public IExample {
public:
    float exaGetTime() override {
        // Take the service for the call; it is given back at the end of the scope.
        InterfaceHold<IClock> clock(ShellGetRegistry());
        if (!clock) return 0;
        clock->clkUpdate();
        return clock->clkGetTime();
    }
};

Example g_example;

// A value of the player's options file: the document "OPT" lends is read with
// the INI library's access operations, then given back.
int SoundVolume() {
    InterfaceHold<IOptionsFile> options(ShellGetRegistry());
    if (!options) return -1;
    IniFile* document = nullptr;
    int volume = -1;
    if (options->optGetIniFile(&document)) {
        volume = document->GetInt("SoundOptions", "SoundVolume", -1);
        options->optReleaseIniFile(&document);
    }
    return volume;
}

}  // namespace

extern "C" VARN_EXPORT int32_t VARN_CDECL InitDLL(uintptr_t module, IInterfaceManager* registry) {
    ShellAttach(kOwner, registry);
    registry->RegisterInterface(IExample::kId, static_cast<IExample*>(&g_example), module);
    // Written when [Debug] LogFile is set.
    LogInfo("example: ready at %.1f s, sound volume %d", g_example.exaGetTime(), SoundVolume());
    return 1;
}

extern "C" VARN_EXPORT int32_t VARN_CDECL ExitDLL() {
    ShellGetRegistry()->UnregisterInterface(IExample::kId);
    return ShellDetach(kOwner);
}
