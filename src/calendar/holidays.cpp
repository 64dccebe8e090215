// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/holidays.h"

#include "common/sjis.h"

#include <string_view>

namespace vz::calendar {

namespace {

constexpr std::array<int, 12> kMonthDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

struct FixedHoliday
{
    int monthDay; // month * 100 + day; 0 stands for the vernal equinox of the year
    std::string_view name;
};

constexpr std::array<FixedHoliday, 11> kFixedHolidays = {{
    {101, "元旦"},
    {211, "建国記念の日"},
    {0, "春分の日"},
    {429, "みどりの日"},
    {503, "憲法記念日"},
    {504, "国民の休日"},
    {505, "こどもの日"},
    {923, "秋分の日"},
    {1103, "文化の日"},
    {1123, "勤労感謝の日"},
    {1223, "天皇誕生日"},
}};

struct MondayHoliday
{
    int month;
    int nthMonday;
    std::string_view name;
};

constexpr std::array<MondayHoliday, 4> kMondayHolidays = {{
    {1, 2, "成人の日"},
    {7, 3, "海の日"},
    {9, 3, "敬老の日"},
    {10, 2, "体育の日"},
}};

int vernalEquinox(int year)
{
    const int r = ((year % 4) + 4) % 4;
    return r == 2 || r == 3 ? 321 : 320;
}

const FixedHoliday *fixedHolidayOn(int year, int monthDay)
{
    for (const FixedHoliday &h : kFixedHolidays) {
        const int date = h.monthDay == 0 ? vernalEquinox(year) : h.monthDay;
        if (date == monthDay)
            return &h;
    }
    return nullptr;
}

std::string sj(std::string_view utf8)
{
    return sjis::fromUtf8(utf8).value_or(std::string());
}

} // namespace

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int monthLength(int year, int month)
{
    if (month < 1 || month > 12)
        return 0;
    if (month == 2 && isLeapYear(year))
        return 29;
    return kMonthDays[static_cast<std::size_t>(month - 1)];
}

int weekdayCode(int year, int month, int day)
{
    const int y = year - 1;
    long f = static_cast<long>(year) + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month; ++m)
        f += monthLength(year, m);
    return static_cast<int>((day + f % 7) % 7);
}

int weekdayNumber(int year, int month, int day)
{
    const int code = weekdayCode(year, month, day);
    return code == 0 ? 7 : code;
}

MonthHolidays monthHolidays(int year, int month)
{
    MonthHolidays out;
    out.length = monthLength(year, month);
    int mondays = 0;
    bool substitute = false;
    for (int d = 1; d <= out.length; ++d) {
        const auto i = static_cast<std::size_t>(d - 1);
        const int w = weekdayCode(year, month, d);
        DayColour colour = DayColour::Black;
        if (w == 2)
            ++mondays;
        if (w == 1)
            colour = DayColour::Red;
        if (w == 0)
            colour = DayColour::Blue;
        if (substitute) {
            colour = DayColour::Red;
            substitute = false;
        }
        if (const FixedHoliday *h = fixedHolidayOn(year, month * 100 + d)) {
            colour = DayColour::Red;
            out.name[i] = sj(h->name);
            if (w == 1)
                substitute = true;
        }
        if (w == 2) {
            for (const MondayHoliday &h : kMondayHolidays) {
                if (h.month == month && h.nthMonday == mondays) {
                    colour = DayColour::Red;
                    out.name[i] = sj(h.name);
                }
            }
        }
        out.colour[i] = colour;
    }
    return out;
}

} // namespace vz::calendar
