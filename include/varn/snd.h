// "SND": the sound manager (base module set). Volumes are the integers of the
// player's [SoundOptions], handed over before each menu run and each flight.
#pragma once

#include "sdk.h"

class ISoundManager {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_SND;

    // 0: names the directory the sound files are read from.
    virtual void sndSetDirectory(const char* directory) = 0;
    // 1: sets the volume of sound effects.
    virtual void sndSetSoundVolume(int volume) = 0;
    // 2: sets the volume of streamed sound: the music in the menus, speech in flight.
    virtual void sndSetStreamVolume(int volume) = 0;
};
