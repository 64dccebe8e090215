// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/clock_offset.h"

#include <cstdio>

namespace vz::calendar {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
long long daysFromCivil(int year, int month, int day)
{
    const long long y = year - (month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

long long minutesOf(const DateTimeParts &p)
{
    return daysFromCivil(p.year, p.month, p.day) * 1440 + p.hour * 60 + p.minute;
}

} // namespace

int localOffsetMinutes(const ClockSnapshot &at)
{
    return static_cast<int>(minutesOf(at.local) - minutesOf(at.utc));
}

std::string offsetText(int minutes)
{
    const int magnitude = minutes < 0 ? -minutes : minutes;
    char text[32];
    std::snprintf(text, sizeof text, "UTC%c%d:%02d", minutes < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return text;
}

} // namespace vz::calendar
