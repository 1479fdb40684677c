#include "fuzz/text_values/text_values_fuzz_entry.h"

#include "comm/text_values.h"
#include "files/strings.h"
#include "ini/ini_file.h"

#include <cstdio>
#include <vector>

namespace {

// The keys the input's lines are given to, in order: one value for the
// single-key readers, a font section's keys and a look-up table's.
const char* const kKeys[] = {"V",           "TextFontName", "TextSize",    "TextBold",     "TextItalic",
                             "TextUnderline", "TextStrikeOut", "TextShadow", "ShadowColor", "ShadowOffset",
                             "TextOutline", "OutlineColor", "OutlineSize", "TNumData",     "TDeltaX",
                             "TStartX",     "TData"};
const int kTableKey = 13;
// Tables of any size are sound, but the fuzzer's memory limit is not: keep them small.
const int kMaxTableCount = 4096;

bool InUnit(float value) { return value >= 0.0f && value <= 1.0f; }

std::string Check(bool condition, const char* what) { return condition ? "" : what; }

// Writes a value, reads it back with reader and compares with equal.
template <class T, class Read, class Write, class Equal>
std::string RoundTrip(IniFile& ini, const T& value, Read read, Write write, Equal equal, const char* what) {
    if (!write(ini, "W", "K", value)) return std::string("cannot write ") + what;
    T again{};
    read(ini, "W", "K", &again);
    return Check(equal(value, again), what);
}

std::string CheckSingleKeyReaders(IniFile& ini) {
    std::string problem;
    auto note = [&problem](const std::string& found) {
        if (problem.empty()) problem = found;
    };
    IntPair pair;
    ReadIntPair(ini, "S", "V", &pair);
    note(RoundTrip(ini, pair, ReadIntPair, WriteIntPair,
                   [](const IntPair& a, const IntPair& b) { return a.a == b.a && a.b == b.b; }, "int pair"));
    IntQuad quad;
    ReadIntQuad(ini, "S", "V", &quad);
    note(RoundTrip(ini, quad, ReadIntQuad, WriteIntQuad,
                   [](const IntQuad& a, const IntQuad& b) { return a.a == b.a && a.b == b.b && a.c == b.c && a.d == b.d; },
                   "int quad"));
    RgbTriple rgb;
    ReadRgbTriple(ini, "S", "V", &rgb);
    note(RoundTrip(ini, rgb, ReadRgbTriple, WriteRgbTriple,
                   [](const RgbTriple& a, const RgbTriple& b) { return a.red == b.red && a.green == b.green && a.blue == b.blue; },
                   "RGB triple"));
    FloatPair floats;
    ReadFloatPair(ini, "S", "V", &floats);
    WriteFloatPair(ini, "W", "F", floats);
    DoubleTriple doubles;
    ReadDoubleTriple(ini, "S", "V", &doubles);
    WriteDoubleTriple(ini, "W", "D", doubles);
    AngleTriple angles;
    ReadAngleTriple(ini, "S", "V", &angles);
    WriteAngleTriple(ini, "W", "A", angles);

    ColorRGBA color = {0.5f, 0.5f, 0.5f, 0.5f};
    if (ReadColorRGBA(ini, "S", "V", &color))
        note(Check(InUnit(color.red) && InUnit(color.green) && InUnit(color.blue) && InUnit(color.alpha), "colour range"));
    EffectColor effect = {0.5f, 0.5f, 0.5f};
    if (ReadEffectColor(ini, "S", "V", &effect))
        note(Check(InUnit(effect.red) && InUnit(effect.green) && InUnit(effect.blue), "effect colour range"));
    float list[8];
    ReadNumberList(ini, "S", "V", 8, list);

    TimeOfDay time;
    ReadTimeOfDay(ini, "S", "V", &time);
    note(Check(time.hours >= 0 && time.hours < 24 && time.minutes >= 0 && time.minutes < 60 && time.seconds >= 0 &&
                   time.seconds < 60,
               "time range"));
    note(RoundTrip(ini, time, ReadTimeOfDay, WriteTimeOfDay,
                   [](const TimeOfDay& a, const TimeOfDay& b) {
                       return a.hours == b.hours && a.minutes == b.minutes && a.seconds == b.seconds && b.dayCarry == 0;
                   },
                   "time"));
    CalendarDate date;
    ReadCalendarDate(ini, "S", "V", &date);
    const int february = IsLeapYear(date.year) ? 29 : 28;
    const int lengths[12] = {31, february, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    note(Check(date.month >= 1 && date.month <= 12 && date.day >= 1 && date.day <= lengths[date.month - 1], "date range"));
    note(RoundTrip(ini, date, ReadCalendarDate, WriteCalendarDate,
                   [](const CalendarDate& a, const CalendarDate& b) {
                       return a.year == b.year && a.month == b.month && a.day == b.day;
                   },
                   "date"));
    char* text = ReadText(ini, "S", "V", 1);
    FreeString(&text);
    return problem;
}

}  // namespace

std::string FuzzTextValues(const uint8_t* data, size_t size) {
    IniFile ini("", 0, 1, static_cast<int>(size) + 8192);
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    for (int k = 0; k < static_cast<int>(sizeof kKeys / sizeof kKeys[0]) && start <= input.size(); ++k) {
        size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        std::string value = input.substr(start, end - start);
        start = end + 1;
        if (k == kTableKey) value = std::to_string(atoi(value.c_str()) % kMaxTableCount);
        ini.SetString("S", kKeys[k], value.c_str());
    }

    std::string problem = CheckSingleKeyReaders(ini);
    if (!problem.empty()) return problem;

    TextAttributes font = {};
    if (ReadTextAttributes(ini, "S", &font)) {
        if (font.styleFlags & ~(kTextBold | kTextItalic | kTextUnderline | kTextStrikeOut | kTextShadow | kTextOutline))
            return "unknown style flags";
    } else if (font.styleFlags != 0) {
        return "style flags without a text size";
    }
    LookupTable1D table;
    bool made = ReadLookupTable1D(ini, "S", "T", &table);
    if (made != (table.count > 0 && table.values)) return "look-up table result";
    ReleaseLookupTable1D(&table);

    IniFile copy("", 0, 1, static_cast<int>(size) * 2 + 8192);
    if (!CopySection(ini, copy, "S")) return "cannot copy the section";
    return "";
}
