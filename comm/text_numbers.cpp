// Text, integer, float and angle values, number lists and colours.
#include "comm/text_values.h"

#include "comm/value_text.h"
#include "files/strings.h"
#include "ini/ini_file.h"

#include <new>

using valuetext::ParseDouble;
using valuetext::ParseFloat;
using valuetext::ParseInt;
using valuetext::Split;

namespace {

const double kDegreesToRadians = 0.017453292519943295;
const double kRadiansToDegrees = 57.29577951308232;

// The fields of a key's text, read into a 260-byte buffer.
struct Fields {
    Fields(IniFile& ini, const char* section, const char* key, int max) {
        valuetext::Read(ini, section, key, text, sizeof text);
        count = Split(text, at, max);
    }
    char text[kValueTextSize];
    const char* at[4];
    int count;
};

int32_t ClampByte(int32_t value) { return value < 0 ? 0 : (value > 255 ? 255 : value); }

// 0..1; anything not above 0 (NaN included) gives 0.
float ClampUnit(float value) { return !(value > 0.0f) ? 0.0f : (value >= 1.0f ? 1.0f : value); }

// Up to max comma-separated values clamped to 0..1; the number of fields.
int ReadUnitFields(IniFile& ini, const char* section, const char* key, float* out, int max) {
    Fields fields(ini, section, key, max);
    for (int i = 0; i < fields.count; ++i) out[i] = ClampUnit(ParseFloat(fields.at[i]));
    return fields.count;
}

template <class Number, class Triple>
void ReadTriple(IniFile& ini, const char* section, const char* key, Triple* out, Number (*parse)(const char*)) {
    Fields fields(ini, section, key, 3);
    out->x = out->y = out->z = 0;
    if (fields.count < 2) return;
    out->x = parse(fields.at[0]);
    out->y = parse(fields.at[1]);
    if (fields.count == 3) out->z = parse(fields.at[2]);
}

template <class Number, class Pair>
void ReadPair(IniFile& ini, const char* section, const char* key, Pair* out, Number (*parse)(const char*)) {
    Fields fields(ini, section, key, 2);
    out->x = out->y = 0;
    if (fields.count < 2) return;
    out->x = parse(fields.at[0]);
    out->y = parse(fields.at[1]);
}

}  // namespace

char* ReadText(IniFile& ini, const char* section, const char* key, int caseMode) {
    char text[kValueTextSize] = "";
    ini.GetString(section, key, "", text, sizeof text, caseMode);
    return text[0] ? DuplicateString(text) : nullptr;
}

void ReadIntPair(IniFile& ini, const char* section, const char* key, IntPair* out) {
    Fields fields(ini, section, key, 2);
    *out = IntPair{0, 0};
    if (fields.count < 2) return;
    *out = IntPair{ParseInt(fields.at[0]), ParseInt(fields.at[1])};
}

bool WriteIntPair(IniFile& ini, const char* section, const char* key, const IntPair& value) {
    return valuetext::Write(ini, section, key, "%d,%d", value.a, value.b);
}

void ReadIntQuad(IniFile& ini, const char* section, const char* key, IntQuad* out) {
    Fields fields(ini, section, key, 4);
    *out = IntQuad{0, 0, 0, 0};
    if (fields.count < 4) return;
    *out = IntQuad{ParseInt(fields.at[0]), ParseInt(fields.at[1]), ParseInt(fields.at[2]), ParseInt(fields.at[3])};
}

bool WriteIntQuad(IniFile& ini, const char* section, const char* key, const IntQuad& value) {
    return valuetext::Write(ini, section, key, "%d,%d,%d,%d", value.a, value.b, value.c, value.d);
}

void ReadRgbTriple(IniFile& ini, const char* section, const char* key, RgbTriple* out) {
    Fields fields(ini, section, key, 3);
    *out = RgbTriple{0, 0, 0};
    if (fields.count < 3) return;
    out->red = static_cast<uint8_t>(ClampByte(ParseInt(fields.at[0])));
    out->green = static_cast<uint8_t>(ClampByte(ParseInt(fields.at[1])));
    out->blue = static_cast<uint8_t>(ClampByte(ParseInt(fields.at[2])));
}

bool WriteRgbTriple(IniFile& ini, const char* section, const char* key, const RgbTriple& value) {
    return valuetext::Write(ini, section, key, "%d,%d,%d", value.red, value.green, value.blue);
}

void ReadFloatPair(IniFile& ini, const char* section, const char* key, FloatPair* out) {
    ReadPair(ini, section, key, out, &ParseFloat);
}

bool WriteFloatPair(IniFile& ini, const char* section, const char* key, const FloatPair& value) {
    return valuetext::Write(ini, section, key, "%f,%f", static_cast<double>(value.x), static_cast<double>(value.y));
}

void ReadDoublePair(IniFile& ini, const char* section, const char* key, DoublePair* out) {
    ReadPair(ini, section, key, out, &ParseDouble);
}

bool WriteDoublePair(IniFile& ini, const char* section, const char* key, const DoublePair& value) {
    return valuetext::Write(ini, section, key, "%f,%f", value.x, value.y);
}

void ReadFloatTriple(IniFile& ini, const char* section, const char* key, FloatTriple* out) {
    ReadTriple(ini, section, key, out, &ParseFloat);
}

bool WriteFloatTriple(IniFile& ini, const char* section, const char* key, const FloatTriple& value) {
    return valuetext::Write(ini, section, key, "%f,%f,%f", static_cast<double>(value.x), static_cast<double>(value.y),
                            static_cast<double>(value.z));
}

void ReadDoubleTriple(IniFile& ini, const char* section, const char* key, DoubleTriple* out) {
    ReadTriple(ini, section, key, out, &ParseDouble);
}

bool WriteDoubleTriple(IniFile& ini, const char* section, const char* key, const DoubleTriple& value) {
    return valuetext::Write(ini, section, key, "%f,%f,%f", value.x, value.y, value.z);
}

void ReadAngleTriple(IniFile& ini, const char* section, const char* key, AngleTriple* out) {
    DoubleTriple degrees;
    ReadDoubleTriple(ini, section, key, &degrees);
    out->component2 = static_cast<float>(degrees.x * kDegreesToRadians);
    out->component1 = static_cast<float>(degrees.y * kDegreesToRadians);
    out->component3 = static_cast<float>(degrees.z * kDegreesToRadians);
}

bool WriteAngleTriple(IniFile& ini, const char* section, const char* key, const AngleTriple& value) {
    return valuetext::Write(ini, section, key, "%f,%f,%f", value.component2 * kRadiansToDegrees,
                            value.component1 * kRadiansToDegrees, value.component3 * kRadiansToDegrees);
}

bool ReadNumberList(IniFile& ini, const char* section, const char* key, int count, float* out) {
    if (count <= 0 || !out) return false;
    for (int i = 0; i < count; ++i) out[i] = 0.0f;
    char* text = new (std::nothrow) char[kListTextSize];
    if (!text) return false;
    valuetext::Read(ini, section, key, text, kListTextSize);
    int found = 0;
    for (const char* position = text; position && found < count;) {
        out[found++] = ParseFloat(position);
        position = FindChar(position, ',');
        if (position) ++position;
    }
    delete[] text;
    return found == count;
}

bool ReadColorRGBA(IniFile& ini, const char* section, const char* key, ColorRGBA* out) {
    float unit[4];
    const int count = ReadUnitFields(ini, section, key, unit, 4);
    if (count < 3) return false;
    *out = ColorRGBA{unit[0], unit[1], unit[2], count == 4 ? unit[3] : 1.0f};
    return true;
}

bool ReadEffectColor(IniFile& ini, const char* section, const char* key, EffectColor* out) {
    float unit[3];
    if (ReadUnitFields(ini, section, key, unit, 3) < 3) return false;
    *out = EffectColor{unit[0], unit[1], unit[2]};
    return true;
}
