// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/clock.h"

#include <cstdio>
#include <ctime>

namespace vz::calendar {

namespace {

DateTimeParts partsOf(const std::tm &t)
{
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_wday};
}

std::string dateLine(char mark, const DateTimeParts &p)
{
    char text[32];
    // The year modulo 100 stays two digits for every year of the common era.
    std::snprintf(text, sizeof text, "%c %02d/%02d/%02d", mark, ((p.year % 100) + 100) % 100,
                  p.month, p.day);
    return text;
}

std::string timeLine(const DateTimeParts &p)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", p.hour, p.minute, p.second);
    return text;
}

} // namespace

ClockSnapshot SystemClock::now() const
{
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    std::tm utc{};
    ::localtime_r(&t, &local);
    ::gmtime_r(&t, &utc);
    return {partsOf(local), partsOf(utc)};
}

ClockSnapshot takeClockSnapshot(const Clock &clock)
{
    return clock.now();
}

ClockLines clockLines(const ClockSnapshot &at)
{
    return {dateLine('J', at.local), timeLine(at.local), dateLine('G', at.utc), timeLine(at.utc)};
}

} // namespace vz::calendar
