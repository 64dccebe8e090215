// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar's own rules for month lengths, weekdays and the Japanese public holidays.
// They are fixed: a table of dates (the vernal equinox moving by the year modulo 4), four
// Monday holidays, and a substitute day after a table holiday on a Sunday. No year
// thresholds apply, so the calendar shows the same holidays in every year.
#pragma once

#include <array>
#include <string>

namespace vz::calendar {

// Gregorian leap year.
bool isLeapYear(int year);
// 28 to 31; February decided for `year`.
int monthLength(int year, int month);

// The calendar's weekday number: 1 Sunday, 2 Monday ... 6 Friday, 0 Saturday. `year` >= 1.
int weekdayCode(int year, int month, int day);
// The event file's weekday number: 1 Sunday ... 7 Saturday.
int weekdayNumber(int year, int month, int day);

enum class DayColour { Black, Red, Blue };

// The colour and holiday name of every day of one month, as the strip shows it.
struct MonthHolidays
{
    int length = 0;
    std::array<DayColour, 31> colour{}; // index day - 1; Black beyond `length`
    std::array<std::string, 31> name{}; // Shift_JIS; empty for a plain day or a substitute day
};
MonthHolidays monthHolidays(int year, int month);

} // namespace vz::calendar
