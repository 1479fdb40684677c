// Times of day and calendar dates: read, normalised and written.
//
// The normalisations carry whole minutes, hours, days, months and years from
// one field into the next. They work in 64-bit arithmetic and in one step
// (divisions, and day counts on the calendar), so that no value of a file can
// overflow a field or keep the reader busy.
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

// Days from 1 January of year 1 to 1 January of the given year (negative
// before it): years of 0 and below have 365 days, leap years follow IsLeapYear.
int64_t DaysBeforeYear(int64_t year) {
    if (year <= 1) return 365 * (year - 1);
    if (year <= 1582) return 365 * (year - 1) + (year - 1) / 4;
    auto gregorianLeaps = [](int64_t last) { return last / 4 - last / 100 + last / 400; };
    return DaysBeforeYear(1582) + 365 * (year - 1582) + gregorianLeaps(year - 1) - gregorianLeaps(1581);
}

// The year that holds the given day (counted as DaysBeforeYear counts).
int64_t YearOfDay(int64_t days) {
    int64_t year;
    if (days < 0)
        year = 1 + FloorDiv(days, 365);
    else if (days < DaysBeforeYear(1582))
        year = 1 + days * 4 / 1461;
    else
        year = 1582 + (days - DaysBeforeYear(1582)) * 400 / 146097;
    while (DaysBeforeYear(year) > days) --year;
    while (DaysBeforeYear(year + 1) <= days) ++year;
    return year;
}

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
    // Months carry into years; then the day, counted from the first of that
    // month, is placed on the calendar. This is the month-by-month walk of
    // the day into range, done in one step.
    const int64_t year = date->year + FloorDiv(static_cast<int64_t>(date->month) - 1, 12);
    const int64_t month = FloorMod(static_cast<int64_t>(date->month) - 1, 12) + 1;
    int64_t day = DaysBeforeYear(year) + date->day - 1;
    for (int m = 1; m < month; ++m) day += MonthLength(year, m);
    const int64_t newYear = YearOfDay(day);
    // A date beyond the years a 32-bit year holds stops at the first or last
    // day of that range: month and day of the real year could name a day the
    // stopped year does not have (29 February).
    if (newYear != Saturate(newYear)) {
        const bool after = newYear > 0;
        *date = CalendarDate();
        date->year = Saturate(newYear);
        date->month = after ? 12 : 1;
        date->day = after ? 31 : 1;
        return;
    }
    day -= DaysBeforeYear(newYear);
    int newMonth = 1;
    while (day >= MonthLength(newYear, newMonth)) day -= MonthLength(newYear, newMonth++);
    date->year = static_cast<int32_t>(newYear);
    date->month = newMonth;
    date->day = static_cast<int32_t>(day + 1);
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
