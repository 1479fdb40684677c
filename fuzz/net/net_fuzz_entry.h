// The fuzzing entry of the sample network layer's datagrams, shared by the
// libFuzzer target and the test that replays the seed corpus.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Reads the bytes as a run of datagrams, each: a control byte (bits 0-1 the
// sender of four, bit 2 puts the right mark in, bit 3 the sender's valid
// token or cookie, bits 4-7 move the clock by that many 4-second steps), a
// 16-bit little-endian length and the datagram. Each goes to a hosting side
// with one admitted player, to every reader of the joining side (with that
// player's keys) and to the server-browser answer text. Returns
// an empty text, or the rule that was broken.
std::string FuzzNetDatagrams(const uint8_t* data, size_t size);
