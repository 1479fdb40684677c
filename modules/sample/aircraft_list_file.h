// Reading "AircraftList.dat", the usable aircraft types of a network session
// that the hosting player writes and every joining player receives: an int32
// count, then that many 204-byte records (little-endian).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sample {

struct ListedAircraft {
    std::string name;  // the name field up to its first zero byte (at most 64 bytes)
    int32_t low;
    int32_t high;
    int32_t flags;
};

// The records of the file's bytes. False, and no types, unless the bytes are
// exactly a count of 0 or more and that many records.
bool ReadAircraftList(const std::string& bytes, std::vector<ListedAircraft>* types);

}  // namespace sample
