// The fixed-layout records keep their fields in the order of the binary
// contract on every target. The exact sizes and offsets of the product (32-bit
// pointers) are asserted by the SDK headers themselves and compiled in the
// win32 build; here the order is checked wherever pointers are wider too, and
// the file record is checked byte for byte.
#include "varn/varn.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace {

template <size_t... offsets>
constexpr bool Rising() {
    size_t list[] = {offsets...};
    for (size_t i = 1; i < sizeof...(offsets); ++i)
        if (list[i] <= list[i - 1]) return false;
    return true;
}

static_assert(Rising<offsetof(SessionDescription, reserved1), offsetof(SessionDescription, sessionName),
                     offsetof(SessionDescription, hostAddress), offsetof(SessionDescription, password),
                     offsetof(SessionDescription, passwordGiven), offsetof(SessionDescription, gameType),
                     offsetof(SessionDescription, maxPlayers), offsetof(SessionDescription, currentPlayers),
                     offsetof(SessionDescription, reserved2), offsetof(SessionDescription, gameplayOptions),
                     offsetof(SessionDescription, gameplayOptionsSize)>(),
              "session description fields in contract order");
static_assert(Rising<offsetof(QueryReportingSetup, gameName), offsetof(QueryReportingSetup, secretKey),
                     offsetof(QueryReportingSetup, first), offsetof(QueryReportingSetup, serverInfo),
                     offsetof(QueryReportingSetup, rules), offsetof(QueryReportingSetup, last)>(),
              "query reporting setup fields in contract order");
static_assert(Rising<offsetof(CursorListRecord, current), offsetof(CursorListRecord, head),
                     offsetof(CursorListRecord, tail), offsetof(CursorListRecord, count),
                     offsetof(CursorListRecord, currentIndex)>(),
              "list fields in contract order");
static_assert(Rising<offsetof(FlightSlotArray, count), offsetof(FlightSlotArray, currentIndex),
                     offsetof(FlightSlotArray, elements)>(),
              "flight slot array fields in contract order");

// The product's layouts once more, spelled out field by field where the
// headers assert only the key offsets.
static_assert(sizeof(void*) != 4 || offsetof(SessionDescription, hostAddress) == 8, "32-bit session description");
static_assert(sizeof(void*) != 4 || offsetof(SessionDescription, password) == 12, "32-bit session description");
static_assert(sizeof(void*) != 4 || offsetof(SessionDescription, maxPlayers) == 24, "32-bit session description");
static_assert(sizeof(void*) != 4 || offsetof(SessionDescription, reserved2) == 32, "32-bit session description");
static_assert(sizeof(void*) != 4 || offsetof(QueryReportingSetup, secretKey) == 4, "32-bit query setup");
static_assert(sizeof(void*) != 4 || offsetof(QueryReportingSetup, first) == 8, "32-bit query setup");
static_assert(sizeof(void*) != 4 || offsetof(QueryReportingSetup, last) == 20, "32-bit query setup");
static_assert(sizeof(void*) != 4 || offsetof(MissionRecord, missionMode) == 4, "32-bit mission record");
static_assert(sizeof(void*) != 4 || offsetof(MissionRecord, flags) == 8, "32-bit mission record");

uint32_t LittleEndianAt(const unsigned char* bytes, size_t offset) {
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

TEST(RecordLayouts, AircraftListFileRecordIsTheFileImage) {
    // A record written as it stands is the 204-byte file record: the two text
    // fields in full, then low, high and flags as little-endian int32.
    AircraftListFileRecord record;
    std::memset(&record, 0xAA, sizeof record);
    std::memset(record.name, 'N', sizeof record.name);
    std::memset(record.text, 'T', sizeof record.text);
    record.low = -2000;
    record.high = 0x01020304;
    record.flags = static_cast<int32_t>(0x80000001u);

    unsigned char image[sizeof record];
    std::memcpy(image, &record, sizeof record);
    ASSERT_EQ(sizeof image, 204u);
    EXPECT_EQ(image[0], 'N');
    EXPECT_EQ(image[63], 'N');
    EXPECT_EQ(image[64], 'T');
    EXPECT_EQ(image[191], 'T');
    EXPECT_EQ(LittleEndianAt(image, 192), static_cast<uint32_t>(-2000));
    EXPECT_EQ(LittleEndianAt(image, 196), 0x01020304u);
    EXPECT_EQ(LittleEndianAt(image, 200), 0x80000001u);
}

}  // namespace
