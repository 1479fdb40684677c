// DirectSound.dll: the sound manager ("SND"). The sample game is silent; the
// sound manager keeps its directory and the two volumes the host hands over
// before each menu run and each flight, and shows them to the menu.
#include "module_support.h"
#include "sample.h"
#include "shell/log.h"

namespace {

const char kOwner[] = "SOUND";

class SoundManager final : public ISampleSound {
public:
    void sndSetDirectory(const char*) override {}
    void sndSetSoundVolume(int volume) override { m_sound = volume; }
    void sndSetStreamVolume(int volume) override { m_stream = volume; }
    int sndGetSoundVolume() override { return m_sound; }
    int sndGetStreamVolume() override { return m_stream; }

private:
    int m_sound = 0;
    int m_stream = 0;
};

SoundManager g_sound;
const sample::Published kPublished[] = {{VARN_ID_SND, static_cast<ISoundManager*>(&g_sound)}};

}  // namespace

SAMPLE_MODULE_ENTRY_POINTS(kOwner, kPublished, nullptr, nullptr)
