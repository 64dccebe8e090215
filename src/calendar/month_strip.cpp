// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/month_strip.h"

#include "common/sjis.h"

#include <algorithm>
#include <cstdio>

namespace vz::calendar {

namespace {

constexpr std::array<const char *, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

} // namespace

CalendarDate todayOf(const ClockSnapshot &at)
{
    return {at.local.year, at.local.month, at.local.day};
}

bool previousYear(CalendarDate &date)
{
    if (date.year <= 1)
        return false;
    --date.year;
    return true;
}

bool nextYear(CalendarDate &date)
{
    ++date.year;
    return true;
}

bool previousMonth(CalendarDate &date)
{
    if (date.month > 1) {
        --date.month;
        return true;
    }
    if (date.year <= 1)
        return false;
    --date.year;
    date.month = 12;
    return true;
}

bool nextMonth(CalendarDate &date)
{
    if (date.month < 12) {
        ++date.month;
    } else {
        ++date.year;
        date.month = 1;
    }
    return true;
}

MonthStrip monthStrip(const CalendarDate &date)
{
    const MonthHolidays holidays = monthHolidays(date.year, date.month);
    MonthStrip strip;
    strip.year = date.year;
    strip.month = date.month;
    strip.length = holidays.length;
    strip.colour = holidays.colour;
    strip.markedDay = std::clamp(date.day, 1, holidays.length);

    strip.monthLabel =
        std::to_string(date.year) + " " + kMonthNames[static_cast<std::size_t>(date.month - 1)];
    char line[48];
    std::snprintf(line, sizeof line, "%02d/%02d/%02d", date.year, date.month, strip.markedDay);
    strip.selectedLine = line + sjis::fromUtf8(" の予定").value_or(std::string());
    strip.holidayName = holidays.name[static_cast<std::size_t>(strip.markedDay - 1)];
    return strip;
}

EventIo dayInfoLine(const MonthStrip &strip, const std::string &eventPath, std::string &line)
{
    line = strip.holidayName;
    return showDayEvents(eventPath, strip.year, strip.month, strip.markedDay, line);
}

void dayInfoLine(const MonthStrip &strip, const EventSchedule &events, std::string &line)
{
    line = strip.holidayName;
    events.appendDayEvents(strip.year, strip.month, strip.markedDay, line);
}

bool selectDayCell(CalendarDate &date, int cell)
{
    if (cell < 0 || cell >= monthLength(date.year, date.month))
        return false;
    date.day = cell + 1;
    return true;
}

} // namespace vz::calendar
