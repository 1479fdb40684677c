// Readers and writers of compound values in configuration documents: points,
// rectangles, colours, vectors, angle triples, number lists, times of day,
// calendar dates, the text attributes of a font section and one-dimensional
// look-up tables. Values are comma-separated numbers in one key's text.
//
// Every reader takes the document, a section name and a key name (the keyed
// groups take a section or a key prefix instead). Missing keys and malformed
// texts give zero results; only the colour, number-list, text-attribute and
// look-up-table readers answer with a result. Integers convert like atoi
// (saturating at the 32-bit range), floats like strtod.
#pragma once

#include "varn/gfx.h"

#include <cstdint>

class IniFile;

struct IntPair {
    int32_t a;
    int32_t b;
};

struct IntQuad {
    int32_t a;
    int32_t b;
    int32_t c;
    int32_t d;
};

// The layout of the platform's RGBTRIPLE: blue first.
struct RgbTriple {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
};
static_assert(sizeof(RgbTriple) == 3, "RGB triple layout");

struct FloatPair {
    float x;
    float y;
};

struct FloatTriple {
    float x;
    float y;
    float z;
};

struct DoublePair {
    double x;
    double y;
};

struct DoubleTriple {
    double x;
    double y;
    double z;
};

// Radians. The text holds degrees in the order component 2, component 1,
// component 3.
struct AngleTriple {
    float component1;
    float component2;
    float component3;
};

struct TimeOfDay {
    int32_t hours;
    int32_t minutes;
    int32_t seconds;
    int32_t dayCarry;  // whole days the normalisation moved the time by
};

// A new date is year 0, month 1, day 1.
struct CalendarDate {
    int32_t year = 0;
    int32_t month = 1;
    int32_t day = 1;
};

// y = values[(x - StartX) / DeltaX], sampled every DeltaX from StartX.
struct LookupTable1D {
    int32_t count = 0;
    float deltaX = 0.0f;
    float reciprocalDeltaX = 0.0f;
    float startX = 0.0f;
    float* values = nullptr;  // count floats, through the service access layer
};

// Text values are read into buffers of this size (number lists: kListTextSize).
const int kValueTextSize = 260;
const int kListTextSize = 4096;
// A copied key value is read into a buffer of this size.
const int kCopyValueSize = 61440;

// ---- Text ---------------------------------------------------------------------
// caseMode: 0 as stored, 1 upper case, 2 lower case.
char* ReadText(IniFile& ini, const char* section, const char* key, int caseMode);  // owned (FreeString); null when empty

// ---- Numbers ------------------------------------------------------------------
void ReadIntPair(IniFile& ini, const char* section, const char* key, IntPair* out);
bool WriteIntPair(IniFile& ini, const char* section, const char* key, const IntPair& value);
void ReadIntQuad(IniFile& ini, const char* section, const char* key, IntQuad* out);
bool WriteIntQuad(IniFile& ini, const char* section, const char* key, const IntQuad& value);
void ReadRgbTriple(IniFile& ini, const char* section, const char* key, RgbTriple* out);
bool WriteRgbTriple(IniFile& ini, const char* section, const char* key, const RgbTriple& value);
void ReadFloatPair(IniFile& ini, const char* section, const char* key, FloatPair* out);
bool WriteFloatPair(IniFile& ini, const char* section, const char* key, const FloatPair& value);
void ReadDoublePair(IniFile& ini, const char* section, const char* key, DoublePair* out);
bool WriteDoublePair(IniFile& ini, const char* section, const char* key, const DoublePair& value);
void ReadFloatTriple(IniFile& ini, const char* section, const char* key, FloatTriple* out);
bool WriteFloatTriple(IniFile& ini, const char* section, const char* key, const FloatTriple& value);
void ReadDoubleTriple(IniFile& ini, const char* section, const char* key, DoubleTriple* out);
bool WriteDoubleTriple(IniFile& ini, const char* section, const char* key, const DoubleTriple& value);
void ReadAngleTriple(IniFile& ini, const char* section, const char* key, AngleTriple* out);
bool WriteAngleTriple(IniFile& ini, const char* section, const char* key, const AngleTriple& value);
// Sets all `count` places to 0, then parses up to `count` numbers; true when
// `count` were found. False with nothing touched for count <= 0.
bool ReadNumberList(IniFile& ini, const char* section, const char* key, int count, float* out);

// ---- Colours ------------------------------------------------------------------
// r,g,b or r,g,b,a, each clamped to 0..1 (alpha 1 when absent); false with the
// colour unchanged when the text has fewer than two commas.
bool ReadColorRGBA(IniFile& ini, const char* section, const char* key, ColorRGBA* out);
// r,g,b clamped to 0..1; false with the colour unchanged as above.
bool ReadEffectColor(IniFile& ini, const char* section, const char* key, EffectColor* out);

// ---- Time and date ------------------------------------------------------------
// h:m or h:m:s, normalised into 0..23:0..59:0..59 with the whole days moved into dayCarry.
void ReadTimeOfDay(IniFile& ini, const char* section, const char* key, TimeOfDay* out);
bool WriteTimeOfDay(IniFile& ini, const char* section, const char* key, const TimeOfDay& value);
// m/d/y, m/y or y, normalised into a real date.
void ReadCalendarDate(IniFile& ini, const char* section, const char* key, CalendarDate* out);
bool WriteCalendarDate(IniFile& ini, const char* section, const char* key, const CalendarDate& value);
// The normalisations by themselves (the readers apply them).
void NormalizeTimeOfDay(TimeOfDay* time);
void NormalizeCalendarDate(CalendarDate* date);
bool IsLeapYear(int64_t year);

// ---- Keyed groups ---------------------------------------------------------------
// The font keys of one section (TextFontName, TextSize, TextBold, ...); false
// when TextSize is 0 or below (the font name is still read).
bool ReadTextAttributes(IniFile& ini, const char* section, TextAttributes* out);
// The keys prefix + "NumData", "DeltaX", "StartX" and "Data"; false with the
// table untouched when NumData is 0 or below, false with count 0 when there
// is no memory for the values.
bool ReadLookupTable1D(IniFile& ini, const char* section, const char* prefix, LookupTable1D* table);
void ReleaseLookupTable1D(LookupTable1D* table);
// Writes every key of the section of source, with its value, into the same
// section of target; false when a key could not be stored.
bool CopySection(IniFile& source, IniFile& target, const char* section);
