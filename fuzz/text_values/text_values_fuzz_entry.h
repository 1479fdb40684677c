// The compound value readers fed with arbitrary text, in memory: the input's
// lines become the values of a document's keys, every reader runs on them and
// what it read is written back and read again. The problem found, or "".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string FuzzTextValues(const uint8_t* data, size_t size);
