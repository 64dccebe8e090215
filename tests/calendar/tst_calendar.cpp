// SPDX-License-Identifier: GPL-3.0-or-later
// The month strip: weekdays, colours, holiday names, the moves between months and the lines
// under the clock faces.
#include "calendar/clock.h"
#include "calendar/clock_offset.h"
#include "calendar/holidays.h"
#include "calendar/month_strip.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

using namespace vz::calendar;
using vz::test::sj;

namespace {

// One letter per day: k black, r red, b blue.
std::string colours(int year, int month)
{
    const MonthHolidays h = monthHolidays(year, month);
    std::string out;
    for (int d = 0; d < h.length; ++d)
        out += h.colour[static_cast<std::size_t>(d)] == DayColour::Red    ? 'r'
               : h.colour[static_cast<std::size_t>(d)] == DayColour::Blue ? 'b'
                                                                          : 'k';
    return out;
}

std::string nameOn(int year, int month, int day)
{
    return monthHolidays(year, month).name[static_cast<std::size_t>(day - 1)];
}

} // namespace

TEST(Holidays, MonthsColouredAsTheStripShowsThem)
{
    struct Case
    {
        int year, month;
        const char *colours;
    };
    const Case cases[] = {
        // The 1st is a Monday and a table holiday; the 8th is the second Monday.
        {2024, 1,
         "rkkkkbr"
         "rkkkkbr"
         "kkkkkbr"
         "kkkkkbr"
         "kkk"},
        // 3rd on a Monday; 23rd a Sunday, so the 24th is a substitute holiday.
        {2025, 11,
         "br"
         "rkkkkbr"
         "kkkkkbr"
         "kkkkkbr"
         "rkkkkbr"},
        // The vernal equinox on Saturday 21 March shows red, not blue.
        {2026, 3,
         "rkkkkkb"
         "rkkkkkb"
         "rkkkkkr"
         "rkkkkkb"
         "rkk"},
        // 3 May 2025 is a Saturday: red. The substitute for Sunday 4 May falls on 5 May,
        // itself a holiday, and goes no further: 6 May stays black.
        {2025, 5,
         "kkrrr"
         "kkkkbr"
         "kkkkkbr"
         "kkkkkbr"
         "kkkkkb"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(colours(c.year, c.month), c.colours) << c.year << "/" << c.month;
}

TEST(Holidays, NamesFollowTheTablesAndTheMondayCount)
{
    struct Case
    {
        int year, month, day;
        const char *name;
    };
    const Case cases[] = {
        {2024, 1, 1, "元旦"},
        {2024, 1, 8, "成人の日"},
        {2024, 1, 15, ""},
        {2025, 11, 3, "文化の日"},
        {2025, 11, 23, "勤労感謝の日"},
        {2025, 11, 24, ""},
        {2026, 3, 21, "春分の日"},
        {2026, 3, 20, ""},
        {2024, 3, 20, "春分の日"},
        {2024, 3, 21, ""},
        {2027, 3, 21, "春分の日"},
        {2025, 3, 20, "春分の日"},
        {2025, 7, 21, "海の日"},
        {2025, 7, 14, ""},
        {2025, 9, 15, "敬老の日"},
        {2025, 10, 13, "体育の日"},
        {2025, 2, 11, "建国記念の日"},
        {2025, 4, 29, "みどりの日"},
        {2025, 5, 4, "国民の休日"},
        {2025, 12, 23, "天皇誕生日"},
        {2025, 5, 6, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(nameOn(c.year, c.month, c.day), sj(c.name))
            << c.year << "/" << c.month << "/" << c.day;
    for (int year = 1990; year <= 2040; ++year)
        EXPECT_EQ(nameOn(year, 9, 23), sj("秋分の日")) << year;
}

TEST(Holidays, WeekdaysAndMonthLengthsAgreeWithTheGregorianCalendar)
{
    using namespace std::chrono;
    for (int y = 1; y <= 2400; y += (y < 1590 ? 37 : 1)) {
        for (int m = 1; m <= 12; ++m) {
            const year_month ym{year{y}, month{static_cast<unsigned>(m)}};
            ASSERT_EQ(monthLength(y, m), static_cast<int>(unsigned((ym / last).day())))
                << y << "/" << m;
            const weekday w{sys_days{ym / 1}};
            // 1 Sunday .. 6 Friday, 0 Saturday.
            ASSERT_EQ(weekdayCode(y, m, 1), static_cast<int>((w.c_encoding() + 1) % 7))
                << y << "/" << m;
        }
    }
    EXPECT_EQ(monthLength(2024, 2), 29);
    EXPECT_EQ(monthLength(2025, 2), 28);
    EXPECT_EQ(weekdayCode(2025, 3, 1), 0); // a Saturday
    EXPECT_EQ(weekdayNumber(2025, 3, 1), 7);
}

TEST(MonthStrip, MovesWrapAndStopAtYearOne)
{
    CalendarDate d{2026, 1, 6};
    EXPECT_TRUE(previousMonth(d));
    EXPECT_EQ((std::array{d.year, d.month, d.day}), (std::array{2025, 12, 6}));
    d = {2026, 12, 6};
    EXPECT_TRUE(nextMonth(d));
    EXPECT_EQ((std::array{d.year, d.month}), (std::array{2027, 1}));
    EXPECT_TRUE(nextYear(d));
    EXPECT_TRUE(previousYear(d));
    EXPECT_EQ(d.year, 2027);

    d = {1, 1, 5};
    EXPECT_FALSE(previousMonth(d));
    EXPECT_FALSE(previousYear(d));
    EXPECT_EQ((std::array{d.year, d.month, d.day}), (std::array{1, 1, 5}));
    d = {1, 3, 5};
    EXPECT_TRUE(previousMonth(d));
    EXPECT_EQ(monthStrip(d).monthLabel, "1 Feb");
}

TEST(MonthStrip, LabelsAndTheMarkedDay)
{
    CalendarDate d{2026, 12, 6};
    MonthStrip s = monthStrip(d);
    EXPECT_EQ(s.monthLabel, "2026 Dec");
    EXPECT_EQ(s.selectedLine, sj("2026/12/06 の予定"));
    EXPECT_EQ(s.markedDay, 6);

    ASSERT_TRUE(previousMonth(d));
    s = monthStrip(d);
    EXPECT_EQ(s.markedDay, 6);
    EXPECT_EQ(s.selectedLine, sj("2026/11/06 の予定"));

    // The 31st in a 28-day month: mark, name and line use the 28th; the 31st comes back.
    d = {2025, 1, 31};
    ASSERT_TRUE(nextMonth(d));
    s = monthStrip(d);
    EXPECT_EQ(s.length, 28);
    EXPECT_EQ(s.markedDay, 28);
    EXPECT_EQ(s.selectedLine, sj("2025/02/28 の予定"));
    ASSERT_TRUE(nextMonth(d));
    EXPECT_EQ(monthStrip(d).markedDay, 31);

    // 23 December in the year 999 keeps all digits of the year.
    EXPECT_EQ(monthStrip({999, 12, 23}).selectedLine, sj("999/12/23 の予定"));
    EXPECT_EQ(monthStrip({999, 12, 23}).holidayName, sj("天皇誕生日"));
}

TEST(MonthStrip, BlankCellsSelectNothing)
{
    CalendarDate d{2025, 2, 10};
    EXPECT_FALSE(selectDayCell(d, 28)); // the 29th does not exist in 2025
    EXPECT_FALSE(selectDayCell(d, 30));
    EXPECT_EQ(d.day, 10);
    EXPECT_TRUE(selectDayCell(d, 27));
    EXPECT_EQ(d.day, 28);
}

TEST(Clock, LinesShowTheYearOfTheCenturyAndBothHalvesOfOneInstant)
{
    const ClockSnapshot at{{2026, 12, 6, 9, 5, 1, 0}, {2026, 12, 6, 0, 5, 1, 0}};
    FixedClock clock(at);
    const ClockLines lines = clockLines(takeClockSnapshot(clock));
    EXPECT_EQ(lines.localDate, "J 26/12/06");
    EXPECT_EQ(lines.localTime, "09:05:01");
    EXPECT_EQ(lines.utcDate, "G 26/12/06");
    EXPECT_EQ(lines.utcTime, "00:05:01");
    EXPECT_EQ(clockLines({{2000, 1, 1, 0, 0, 1, 0}, {1999, 12, 31, 15, 0, 1, 0}}).utcDate,
              "G 99/12/31");
    EXPECT_EQ(clockLines({{2000, 1, 1, 0, 0, 1, 0}, {}}).localDate, "J 00/01/01");
}

// The offset of the local clock from UTC, read from the system clock under several time zones
// (POSIX rules, so no zone database is needed) and across a year's end.
TEST(Clock, LocalOffsetFollowsTheTimeZone)
{
    const char *saved = std::getenv("TZ");
    const std::string kept = saved ? saved : "";
    const struct
    {
        const char *tz;
        const char *text;
    } cases[] = {{"UTC0", "UTC+0:00"},
                 {"JST-9", "UTC+9:00"},
                 {"IST-5:30", "UTC+5:30"},
                 {"EST5", "UTC-5:00"},
                 {"NST3:30", "UTC-3:30"}};
    for (const auto &c : cases) {
        ::setenv("TZ", c.tz, 1);
        ::tzset();
        EXPECT_EQ(offsetText(localOffsetMinutes(SystemClock().now())), c.text) << c.tz;
    }
    if (saved)
        ::setenv("TZ", kept.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
    EXPECT_EQ(localOffsetMinutes({{2027, 1, 1, 8, 0, 0, 5}, {2026, 12, 31, 23, 0, 0, 4}}), 540);
    EXPECT_EQ(localOffsetMinutes({{2024, 2, 28, 20, 0, 0, 3}, {2024, 2, 29, 1, 0, 0, 4}}), -300);
}
