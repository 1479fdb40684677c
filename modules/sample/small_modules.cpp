// The smallest modules of the sample game, one DLL each, built from this file
// with one define naming which (SAMPLE_OWNER names its log owner):
//   SAMPLE_TERRAIN  TerrainEngine.dll  "TER"  logs its init and exit, ignores its directory
//   SAMPLE_DISPLAY  DirectDraw.dll     "DSP"  keeps the active flag
//   SAMPLE_SPEECH   SpeechSystem.dll   "SPC"  ignores its directory
//   none            the modules the sample needs nothing from (view manager,
//                   particles, environment, world, messages, fader): they attach
//                   and detach their service access layer and publish nothing.
#include "module_support.h"
#include "shell/log.h"

namespace {

#if defined(SAMPLE_TERRAIN)
class TerrainEngine final : public ITerrainEngine {
public:
    void terInit() override { LogInfo("terrain: ready"); }
    void terExit() override { LogInfo("terrain: shut down"); }
    void terSetDirectory(const char*) override {}
};
TerrainEngine g_object;
const sample::Published kPublished[] = {{VARN_ID_TER, static_cast<ITerrainEngine*>(&g_object)}};
#elif defined(SAMPLE_DISPLAY)
class DisplayManager final : public IDisplayManager {
public:
    void dspSetActive(int active) override { m_active = active; }

private:
    int m_active = 0;
};
DisplayManager g_object;
const sample::Published kPublished[] = {{VARN_ID_DSP, static_cast<IDisplayManager*>(&g_object)}};
#elif defined(SAMPLE_SPEECH)
class SpeechSystem final : public ISpeechSystem {
public:
    void spcSetDirectory(const char*) override {}
};
SpeechSystem g_object;
const sample::Published kPublished[] = {{VARN_ID_SPC, static_cast<ISpeechSystem*>(&g_object)}};
#else
const sample::Published kPublished[] = {{nullptr, nullptr}};  // nothing
#endif

}  // namespace

SAMPLE_MODULE_ENTRY_POINTS(SAMPLE_OWNER, kPublished, nullptr, nullptr)
