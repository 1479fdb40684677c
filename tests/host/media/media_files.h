// Test media written by hand: a short uncompressed AVI (bgr24 frames, no audio)
// and an audio-only WAV of silence.
#pragma once

#include <string>

namespace mediatest {

// frames frames of width x height at framesPerSecond; each frame a flat colour.
std::string UncompressedAvi(int width, int height, int frames, int framesPerSecond);
// milliseconds of 8 kHz 8-bit mono silence.
std::string SilentWav(int milliseconds);

}  // namespace mediatest
