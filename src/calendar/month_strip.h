// SPDX-License-Identifier: GPL-3.0-or-later
// The one-line month calendar: the displayed year and month with the selected day, the moves
// between months and years, and what the strip shows for them (31 day cells with their
// colours, the year-and-month label, the selected-date line, the day's holiday name).
#pragma once

#include "calendar/clock.h"
#include "calendar/event_file.h"
#include "calendar/holidays.h"

#include <array>
#include <string>

namespace vz::calendar {

constexpr int kDayCells = 31;

struct CalendarDate
{
    int year = 1;
    int month = 1;
    int day = 1; // kept when moving to a shorter month
};

CalendarDate todayOf(const ClockSnapshot &at);

// Moves by a year or a month. The calendar starts at year 1: a move below it does nothing
// and returns false.
bool previousYear(CalendarDate &date);
bool nextYear(CalendarDate &date);
bool previousMonth(CalendarDate &date);
bool nextMonth(CalendarDate &date);

struct MonthStrip
{
    int year = 0;
    int month = 0;
    int length = 0; // days in the month; cells beyond it are blank
    std::array<DayColour, kDayCells> colour{};
    // The day the mark, the holiday name and the events are for: the selected day, or the
    // month's last day when the selected day lies beyond it.
    int markedDay = 0;
    std::string monthLabel;   // "2026 Dec"
    std::string selectedLine; // Shift_JIS "2026/12/06 の予定"
    std::string holidayName;  // Shift_JIS; empty on a plain day
};
MonthStrip monthStrip(const CalendarDate &date);

// The day information line of the strip's marked day: its holiday name, then the user's events
// of that day from `eventPath`. On Failed the line holds the holiday name only.
EventIo dayInfoLine(const MonthStrip &strip, const std::string &eventPath, std::string &line);
// The same from events read once beforehand, for many days.
void dayInfoLine(const MonthStrip &strip, const EventSchedule &events, std::string &line);

// A click on day cell `cell` (0..30): selects its day and returns true, or returns false for a
// blank cell after the month's end.
bool selectDayCell(CalendarDate &date, int cell);

} // namespace vz::calendar
