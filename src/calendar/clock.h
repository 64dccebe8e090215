// SPDX-License-Identifier: GPL-3.0-or-later
// One reading of the system clock as Japanese (local) and UTC date and time, so that midnight,
// automatic dates and the calendar can be tested with a fixed time.
#pragma once

#include <string>

namespace vz::calendar {

struct DateTimeParts
{
    int year = 0; // four digits
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0; // 0 Sunday
};

struct ClockSnapshot
{
    DateTimeParts local; // JST on a Japanese system
    DateTimeParts utc;
};

class Clock
{
public:
    virtual ~Clock() = default;
    virtual ClockSnapshot now() const = 0;
};

class SystemClock final : public Clock
{
public:
    ClockSnapshot now() const override;
};

// A clock that always reads the same time (tests).
class FixedClock final : public Clock
{
public:
    explicit FixedClock(ClockSnapshot at) : m_at(at) {}
    ClockSnapshot now() const override { return m_at; }
    void set(ClockSnapshot at) { m_at = at; }

private:
    ClockSnapshot m_at;
};

// Reads `clock` once: both halves describe the same instant. Every date or time that the
// program fills in comes from here, so the clock lines, the calendar and new contacts agree.
ClockSnapshot takeClockSnapshot(const Clock &clock);

// The four lines under the clock faces: "J 26/12/06", "09:05:01", "G 26/12/06", "00:05:01".
// The date lines show the year of the century.
struct ClockLines
{
    std::string localDate;
    std::string localTime;
    std::string utcDate;
    std::string utcTime;
};
ClockLines clockLines(const ClockSnapshot &at);

} // namespace vz::calendar
