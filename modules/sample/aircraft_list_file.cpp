#include "aircraft_list_file.h"

#include "varn/obj.h"

#include <cstring>

namespace sample {

namespace {

int32_t Int32At(const std::string& bytes, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])); };
    return static_cast<int32_t>(byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24);
}

}  // namespace

bool ReadAircraftList(const std::string& bytes, std::vector<ListedAircraft>* types) {
    types->clear();
    const size_t recordSize = sizeof(AircraftListFileRecord);
    if (bytes.size() < 4) return false;
    const int32_t count = Int32At(bytes, 0);
    if (count < 0 || (bytes.size() - 4) % recordSize != 0 || (bytes.size() - 4) / recordSize != static_cast<size_t>(count))
        return false;
    for (size_t at = 4; at < bytes.size(); at += recordSize) {
        const char* name = bytes.data() + at + offsetof(AircraftListFileRecord, name);
        ListedAircraft type;
        type.name.assign(name, strnlen(name, sizeof(AircraftListFileRecord::name)));
        type.low = Int32At(bytes, at + offsetof(AircraftListFileRecord, low));
        type.high = Int32At(bytes, at + offsetof(AircraftListFileRecord, high));
        type.flags = Int32At(bytes, at + offsetof(AircraftListFileRecord, flags));
        types->push_back(type);
    }
    return true;
}

}  // namespace sample
