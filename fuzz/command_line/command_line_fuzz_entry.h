// The fuzzing entry of the command line, shared by the libFuzzer target and
// the test that replays the seed corpus.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Splits the bytes into arguments (at zero bytes), into a command-line text and
// a separator set (at the first byte 0x01), and asks every question of the
// command line made each way. Returns an empty text, or what went wrong: a
// text that overran its bound, an answer past the end of the buffer it was
// given, or token answers that disagree with each other.
std::string FuzzCommandLine(const uint8_t* data, size_t size);
