// Times of day and calendar dates: read, normalised and written.
//
// The normalisations carry whole minutes, hours, days, months and years from
// one field into the next. They work in 64-bit arithmetic and in whole steps
// (a division for the time, a year at a time for large day counts), so that
// no value of a file can overflow a field or keep the reader busy for long.
#include "comm/text_values.h"

#include "comm/value_text.h"
#include "files/strings.h"

#include <cstdint>

using valuetext::ParseInt;

namespace {

// Quotient rounded toward minus infinity, and the remainder that goes with it
// (always within 0 .. divisor - 1).
int64_t FloorDiv(int64_t value, int64_t divisor) {
    int64_t quotient = value / divisor;
    return (value % divisor < 0) ? quotient - 1 : quotient;
}

int64_t FloorMod(int64_t value, int64_t divisor) { return value - FloorDiv(value, divisor) * divisor; }

int32_t Saturate(int64_t value) {
    return value < INT32_MIN ? INT32_MIN : (value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value));
}

int MonthLength(int64_t year, int64_t month) {
    static const int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kLengths[month - 1];
}

// The date as 64-bit fields while it is normalised.
struct WideDate {
    int64_t year;
    int64_t month;
    int64_t day;

    void NormalizeMonth() {
        year += FloorDiv(month - 1, 12);
        month = FloorMod(month - 1, 12) + 1;
    }
    // Days of the twelve months from this month on (those before it when backwards).
    int64_t YearLength(bool backwards) const {
        int64_t februaryYear = backwards ? (month > 2 ? year : year - 1) : (month > 2 ? year + 1 : year);
        return IsLeapYear(februaryYear) ? 366 : 365;
    }
};

}  // namespace

bool IsLeapYear(int64_t year) {
    if (year <= 0) return false;
    if (year < 1582) return year % 4 == 0;
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

void NormalizeTimeOfDay(TimeOfDay* time) {
    int64_t seconds = time->seconds;
    int64_t minutes = time->minutes + FloorDiv(seconds, 60);
    int64_t hours = time->hours + FloorDiv(minutes, 60);
    time->seconds = static_cast<int32_t>(FloorMod(seconds, 60));
    time->minutes = static_cast<int32_t>(FloorMod(minutes, 60));
    time->hours = static_cast<int32_t>(FloorMod(hours, 24));
    time->dayCarry = static_cast<int32_t>(FloorDiv(hours, 24));  // within the 32-bit range: |hours| < 2^32
}

void NormalizeCalendarDate(CalendarDate* date) {
    WideDate wide{date->year, date->month, date->day};
    wide.NormalizeMonth();
    // Whole years first, then month by month.
    while (wide.day < 1 && wide.day + 366 < 1) {
        wide.day += wide.YearLength(true);
        wide.year -= 1;
    }
    while (wide.day > 366) {
        wide.day -= wide.YearLength(false);
        wide.year += 1;
    }
    while (wide.day < 1) {
        wide.month -= 1;
        wide.NormalizeMonth();
        wide.day += MonthLength(wide.year, wide.month);
    }
    while (wide.day > MonthLength(wide.year, wide.month)) {
        wide.day -= MonthLength(wide.year, wide.month);
        wide.month += 1;
        wide.NormalizeMonth();
    }
    // Only a year beyond the 32-bit range can remain out of range; it stops at the end.
    date->year = Saturate(wide.year);
    date->month = static_cast<int32_t>(wide.month);
    date->day = static_cast<int32_t>(wide.day);
}

void ReadTimeOfDay(IniFile& ini, const char* section, const char* key, TimeOfDay* out) {
    char text[kValueTextSize];
    valuetext::Read(ini, section, key, text, sizeof text);
    *out = TimeOfDay{0, 0, 0, 0};
    const char* firstColon = FindChar(text, ':');
    if (!firstColon) return;
    const char* secondColon = FindChar(firstColon + 1, ':');
    out->hours = ParseInt(text);
    out->minutes = ParseInt(firstColon + 1);
    out->seconds = secondColon ? ParseInt(secondColon + 1) : 0;
    NormalizeTimeOfDay(out);
}

bool WriteTimeOfDay(IniFile& ini, const char* section, const char* key, const TimeOfDay& value) {
    return valuetext::Write(ini, section, key, "%02d:%02d:%02d", value.hours, value.minutes, value.seconds);
}

void ReadCalendarDate(IniFile& ini, const char* section, const char* key, CalendarDate* out) {
    char text[kValueTextSize];
    valuetext::Read(ini, section, key, text, sizeof text);
    *out = CalendarDate();
    const char* firstSlash = FindChar(text, '/');
    const char* secondSlash = firstSlash ? FindChar(firstSlash + 1, '/') : nullptr;
    if (secondSlash) {
        out->month = ParseInt(text);
        out->day = ParseInt(firstSlash + 1);
        out->year = ParseInt(secondSlash + 1);
    } else if (firstSlash) {
        out->month = ParseInt(text);
        out->year = ParseInt(firstSlash + 1);
    } else {
        out->year = ParseInt(text);
    }
    NormalizeCalendarDate(out);
}

bool WriteCalendarDate(IniFile& ini, const char* section, const char* key, const CalendarDate& value) {
    return valuetext::Write(ini, section, key, "%02d/%02d/%04d", value.month, value.day, value.year);
}
