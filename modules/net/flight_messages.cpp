#include "flight_messages.h"

namespace netwire {

namespace {

const float kUnits = 10000.0f;

uint16_t EncodePosition(float value) {
    if (!(value >= kMinPosition)) value = kMinPosition;  // NaN too
    if (value > kMaxPosition) value = kMaxPosition;
    return static_cast<uint16_t>(static_cast<int16_t>(value * kUnits));
}

float DecodePosition(uint16_t bits) {
    const float value = static_cast<int16_t>(bits) / kUnits;
    return value < kMinPosition ? kMinPosition : value > kMaxPosition ? kMaxPosition : value;
}

void WriteState(Writer& writer, const AircraftWireState& state, bool withId) {
    if (withId) writer.U8(state.id);
    writer.U16(EncodePosition(state.x));
    writer.U16(EncodePosition(state.y));
    writer.U8(state.order);
}

void ReadState(Reader& reader, AircraftWireState* out) {
    out->x = DecodePosition(reader.U16());
    out->y = DecodePosition(reader.U16());
    out->order = reader.U8();
}

}  // namespace

Writer PlayerStateMessage(uint32_t sequence, uint64_t token, const AircraftWireState& state) {
    Writer writer(kPlayerState, sequence);
    writer.U64(token);
    WriteState(writer, state, false);
    return writer;
}

Writer FlightStatesMessage(uint32_t sequence, uint64_t token, const HashKey& answerKey, int place,
                           const AircraftWireState* aircraft, int count) {
    Writer writer(kFlightStates, sequence);
    if (count < 0 || count > kMaxPlaces) count = 0;
    writer.U64(token);
    writer.U8(static_cast<uint8_t>(place > 0 && place < kMaxPlaces ? place : 0));
    writer.U8(static_cast<uint8_t>(count));
    for (int i = 0; i < count; ++i) WriteState(writer, aircraft[i], true);
    writer.Seal(answerKey);
    return writer;
}

bool ReadPlayerState(Reader& reader, AircraftWireState* out) {
    out->id = 0;
    ReadState(reader, out);
    return reader.Ok();
}

bool ReadFlightStates(const char* data, size_t size, uint64_t token, const HashKey& answerKey, FlightStates* out) {
    if (!Unseal(data, &size, answerKey)) return false;
    Reader reader(data, size);
    if (!reader.Valid() || reader.Type() != kFlightStates) return false;
    const uint64_t sent = reader.U64();
    out->place = reader.U8();
    out->count = reader.U8();
    if (!reader.Ok() || sent != token || token == 0 || out->place >= kMaxPlaces || out->count > kMaxPlaces) return false;
    for (int i = 0; i < out->count; ++i) {
        out->aircraft[i].id = reader.U8();
        ReadState(reader, &out->aircraft[i]);
        if (out->aircraft[i].id >= kMaxPlaces) return false;
    }
    return reader.Ok();
}

}  // namespace netwire
