// The compound value readers and writers on one in-memory document: the
// reading rules and their edge cases as one table, then the writers' formats
// and the keyed groups.
#include "comm/text_values.h"

#include "files/strings.h"
#include "ini/ini_file.h"
#include "shell_base/log_capture.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <functional>
#include <string>

namespace {

std::string Text(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Text(const char* format, ...) {
    char text[2048];
    va_list values;
    va_start(values, format);
    vsnprintf(text, sizeof text, format, values);
    va_end(values);
    return text;
}

// Each reader's result for the key "V", as text (a false or true result as 0 or 1).
using Reader = std::function<std::string(IniFile&)>;
const float kPi = 3.14159265358979323846f;

const Reader kIntPair = [](IniFile& ini) { IntPair v; ReadIntPair(ini, "S", "V", &v); return Text("%d %d", v.a, v.b); };
const Reader kIntQuad = [](IniFile& ini) {
    IntQuad v;
    ReadIntQuad(ini, "S", "V", &v);
    return Text("%d %d %d %d", v.a, v.b, v.c, v.d);
};
const Reader kRgb = [](IniFile& ini) { RgbTriple v; ReadRgbTriple(ini, "S", "V", &v); return Text("r%d g%d b%d", v.red, v.green, v.blue); };
const Reader kFloatTriple = [](IniFile& ini) { FloatTriple v; ReadFloatTriple(ini, "S", "V", &v); return Text("%g %g %g", v.x, v.y, v.z); };
const Reader kDoublePair = [](IniFile& ini) { DoublePair v; ReadDoublePair(ini, "S", "V", &v); return Text("%.17g %.17g", v.x, v.y); };
const Reader kAngles = [](IniFile& ini) {
    AngleTriple v;
    ReadAngleTriple(ini, "S", "V", &v);
    const bool exact = v.component2 == kPi / 2 && v.component3 == kPi / 4;
    return Text("%g %g %g%s", v.component1, v.component2, v.component3, exact ? " exact" : "");
};
const Reader kList3 = [](IniFile& ini) {
    float v[3] = {9, 9, 9};
    int found = ReadNumberList(ini, "S", "V", 3, v);
    return Text("%g %g %g %d", v[0], v[1], v[2], found);
};
const Reader kColor = [](IniFile& ini) {
    ColorRGBA v = {9, 9, 9, 9};
    int read = ReadColorRGBA(ini, "S", "V", &v);
    return Text("%g %g %g %g %d", v.red, v.green, v.blue, v.alpha, read);
};
const Reader kEffect = [](IniFile& ini) {
    EffectColor v = {9, 9, 9};
    int read = ReadEffectColor(ini, "S", "V", &v);
    return Text("%g %g %g %d", v.red, v.green, v.blue, read);
};
const Reader kTime = [](IniFile& ini) {
    TimeOfDay v;
    ReadTimeOfDay(ini, "S", "V", &v);
    return Text("%02d:%02d:%02d %+d", v.hours, v.minutes, v.seconds, v.dayCarry);
};
const Reader kDate = [](IniFile& ini) { CalendarDate v; ReadCalendarDate(ini, "S", "V", &v); return Text("%d-%02d-%02d", v.year, v.month, v.day); };
const Reader kTextUpper = [](IniFile& ini) {
    char* text = ReadText(ini, "S", "V", 1);
    std::string out = text ? text : "(absent)";
    FreeString(&text);
    return out;
};

struct ReadCase {
    const char* value;
    const Reader* reader;
    const char* expected;
};

const ReadCase kReadCases[] = {
    {"10, 20", &kIntPair, "10 20"},
    {"10", &kIntPair, "0 0"},
    {"1,2,3", &kIntPair, "1 2"},
    {"99999999999,-99999999999", &kIntPair, "2147483647 -2147483648"},
    {"1,2,3", &kIntQuad, "0 0 0 0"},
    {"1,2,3,4x", &kIntQuad, "1 2 3 4"},
    {"300,-5,128", &kRgb, "r255 g0 b128"},
    {"1,2", &kRgb, "r0 g0 b0"},
    {"1.5,2.5", &kFloatTriple, "1.5 2.5 0"},
    {"1.5", &kFloatTriple, "0 0 0"},
    {"0.1,1e300", &kDoublePair, "0.10000000000000001 1.0000000000000001e+300"},
    {"90,0,45", &kAngles, "0 1.5708 0.785398 exact"},
    {"1,2", &kList3, "1 2 0 0"},
    {"1,2,3,4", &kList3, "1 2 3 1"},
    {"1,0.5,0", &kColor, "1 0.5 0 1 1"},
    {"2,-1,0.5,3", &kColor, "1 0 0.5 1 1"},
    {"0.5,0.5", &kColor, "9 9 9 9 0"},
    {"nan,0.25,1", &kColor, "0 0.25 1 1 1"},
    {"-1,0.5,7", &kEffect, "0 0.5 1 1"},
    {"1,1", &kEffect, "9 9 9 0"},
    {"25:61:70", &kTime, "02:02:10 +1"},
    {"-1:00", &kTime, "23:00:00 -1"},
    {"12", &kTime, "00:00:00 +0"},
    {"-2147483648:-2147483648:-2147483648", &kTime, "10:37:52 -90994649"},
    {"13/1/2007", &kDate, "2008-01-01"},
    {"3/0/2007", &kDate, "2007-02-28"},
    {"2/29/1900", &kDate, "1900-03-01"},
    {"2/29/1500", &kDate, "1500-02-29"},
    {"9/31/2007", &kDate, "2007-10-01"},    // September has 30 days, October 31
    {"10/0/2007", &kDate, "2007-09-30"},
    {"11/31/2007", &kDate, "2007-12-01"},
    {"12/32/1499", &kDate, "1500-01-01"},   // the Julian leap years before 1582 are the years divisible by 4
    {"3/0/1500", &kDate, "1500-02-29"},
    {"1/0/1500", &kDate, "1499-12-31"},
    {"2/29/2000", &kDate, "2000-02-29"},
    {"2/29/0", &kDate, "0-03-01"},
    {"14/2006", &kDate, "2007-02-01"},
    {"1998", &kDate, "1998-01-01"},
    {"1/-365/2001", &kDate, "2000-01-01"},
    {"1/1000001/2000", &kDate, "4737-11-28"},
    {"1/1/2147483647/", &kDate, "2147483647-01-01"},
    {"12/2147483647/2147483647", &kDate, "2147483647-12-31"},  // beyond the last year: its last day
    {"831//6267744647", &kDate, "2147483647-12-31"},           // not 29 February of a common year
    {"1/-2147483647/-2147483647", &kDate, "-2147483648-01-01"},
    {"MiXed", &kTextUpper, "MIXED"},
    {"", &kTextUpper, "(absent)"},
};

class TextValues : public ::testing::Test {
protected:
    IniFile ini{"", 0, 1, IniFile::kDefaultExtra};
};

TEST_F(TextValues, ReadersFollowTheirRules) {
    for (const ReadCase& c : kReadCases) {
        ASSERT_TRUE(ini.SetString("S", "V", c.value));
        EXPECT_EQ(c.expected, (*c.reader)(ini)) << c.value;
    }
    ini.DeleteKey("S", "V");
    EXPECT_EQ("0 0", kIntPair(ini));
    EXPECT_EQ("00:00:00 +0", kTime(ini));
    EXPECT_EQ("0-01-01", kDate(ini));
    float untouched = 7.0f;
    EXPECT_FALSE(ReadNumberList(ini, "S", "V", 0, &untouched));
    EXPECT_EQ(7.0f, untouched);
    // A text longer than the 259 characters read is cut there.
    ASSERT_TRUE(ini.SetString("S", "V", (std::string(257, '0') + "1,2,3").c_str()));
    EXPECT_EQ("1 0 0", kFloatTriple(ini));
}

TEST_F(TextValues, WritersUseTheirFormats) {
    ASSERT_TRUE(ini.SetString("S", "V", "300,-5,128"));
    RgbTriple rgb;
    ReadRgbTriple(ini, "S", "V", &rgb);
    AngleTriple angles = {0.0f, static_cast<float>(3.14159265358979323846 / 2), static_cast<float>(3.14159265358979323846 / 4)};
    CalendarDate date;
    date.year = 1998;
    date.month = 7;
    date.day = 4;
    const double huge = 1e308;
    ASSERT_TRUE(WriteRgbTriple(ini, "W", "Rgb", rgb));
    ASSERT_TRUE(WriteAngleTriple(ini, "W", "Angles", angles));
    ASSERT_TRUE(WriteCalendarDate(ini, "W", "Date", date));
    ASSERT_TRUE(WriteTimeOfDay(ini, "W", "Time", TimeOfDay{2, 2, 10, 1}));
    ASSERT_TRUE(WriteIntPair(ini, "W", "Pair", IntPair{-1, 2}));
    ASSERT_TRUE(WriteIntQuad(ini, "W", "Quad", IntQuad{1, 2, 3, 4}));
    ASSERT_TRUE(WriteFloatPair(ini, "W", "Floats", FloatPair{1.5f, -2.0f}));
    ASSERT_TRUE(WriteDoubleTriple(ini, "W", "Doubles", DoubleTriple{huge, huge, -huge}));
    const std::pair<const char*, std::string> expected[] = {
        {"Rgb", "255,0,128"},           {"Angles", "90.000003,0.000000,45.000001"},
        {"Date", "07/04/1998"},         {"Time", "02:02:10"},
        {"Pair", "-1,2"},               {"Quad", "1,2,3,4"},
        {"Floats", "1.500000,-2.000000"},
        {"Doubles", Text("%f,%f,%f", huge, huge, -huge)},  // written whole, though no reader takes all of it
    };
    for (const auto& e : expected) EXPECT_STREQ(e.second.c_str(), ini.FindKey("W", e.first)->text) << e.first;
}

TEST_F(TextValues, TextAttributesAndLookUpTables) {
    for (const char* line : {"TextFontName=Arial", "TextSize=0", "TextBold=TRUE"}) {
        std::string text = line;
        ini.SetString("Font", text.substr(0, text.find('=')).c_str(), text.substr(text.find('=') + 1).c_str());
    }
    TextAttributes font = {};
    EXPECT_FALSE(ReadTextAttributes(ini, "Font", &font));
    EXPECT_STREQ("Arial", font.fontName);
    EXPECT_EQ(0, font.styleFlags);

    ini.SetInt("Font", "TextSize", 12);
    ini.SetBool("Font", "TextShadow", 1);
    ini.SetBool("Font", "TextOutline", 1);
    ini.SetString("Font", "ShadowColor", "0.5,2,-1");
    EXPECT_TRUE(ReadTextAttributes(ini, "Font", &font));
    EXPECT_EQ(kTextBold | kTextShadow, font.styleFlags);  // shadow wins over outline
    EXPECT_EQ(1, font.effectSize);
    EXPECT_EQ(0.5f, font.effectColor.red);
    EXPECT_EQ(1.0f, font.effectColor.green);

    LookupTable1D table;
    EXPECT_FALSE(ReadLookupTable1D(ini, "T", "Lift", &table));
    ini.SetInt("T", "LiftNumData", 4);
    ini.SetFloat("T", "LiftDeltaX", 0.5f);
    ini.SetString("T", "LiftData", "1,2,3");
    EXPECT_TRUE(ReadLookupTable1D(ini, "T", "Lift", &table));
    ASSERT_EQ(4, table.count);
    EXPECT_EQ(2.0f, table.reciprocalDeltaX);
    EXPECT_EQ(3.0f, table.values[2]);
    EXPECT_EQ(0.0f, table.values[3]);
    ReleaseLookupTable1D(&table);
}

TEST_F(TextValues, CopySectionTakesEveryKeyWhole) {
    const std::string longName(300, 'K');
    const std::string longValue(5000, 'v');
    ini.SetString("S", longName.c_str(), longValue.c_str());
    ini.SetInt("S", "Count", 3);
    IniFile target("", 0, 1, IniFile::kDefaultExtra);
    ASSERT_TRUE(CopySection(ini, target, "S"));
    EXPECT_EQ(longValue, target.FindKey("S", longName.c_str())->text);
    EXPECT_EQ(2, target.KeyCount("S"));
    EXPECT_TRUE(CopySection(ini, target, "Missing"));
}

}  // namespace
