// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/clock.h"

#include <ctime>

namespace vz::calendar {

namespace {

DateTimeParts partsOf(const std::tm &t)
{
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_wday};
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

} // namespace vz::calendar
