// The fuzzing entry of configuration documents, shared by the libFuzzer target
// and the test that replays the seed corpus.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Loads the bytes as a configuration file and as a file included by another,
// saves both documents, and checks that a saved document reads back to the
// same text. Returns an empty text, or what went wrong.
std::string FuzzIniLoad(const uint8_t* data, size_t size);
