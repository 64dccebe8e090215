// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog calendar: one month as the calendar strip shows it, one line per day (UTF-8,
// tab-separated): the date, the weekday, the day's colour and its day information line.
#include "cli/commands.h"

#include "calendar/month_strip.h"
#include "common/callsign.h"
#include "common/data_dir.h"
#include "common/file_io.h"
#include "common/sjis.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <optional>
#include <ostream>

namespace vz::cli {

namespace {

constexpr const char *kUsage = "usage: vezolog calendar DATADIR CALLSIGN YEAR MONTH\n"
                               "       YEAR 1 to 9999, MONTH 1 to 12\n";

constexpr std::array<const char *, 7> kWeekdays = {"土", "日", "月", "火", "水", "木", "金"};

std::optional<int> parseNumber(const std::string &text, int low, int high)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low ||
        value > high)
        return std::nullopt;
    return value;
}

const char *colourName(calendar::DayColour colour)
{
    switch (colour) {
    case calendar::DayColour::Red:
        return "red";
    case calendar::DayColour::Blue:
        return "blue";
    case calendar::DayColour::Black:
        break;
    }
    return "black";
}

} // namespace

const char *calendarUsage()
{
    return kUsage;
}

int runCalendar(const Args &args, std::ostream &out, std::ostream &err)
{
    if (args.size() != 4) {
        err << kUsage;
        return 2;
    }
    const std::optional<int> year = parseNumber(args[2], 1, 9999);
    const std::optional<int> month = parseNumber(args[3], 1, 12);
    if (!isValidOwnCallsign(args[1]) || !year || !month) {
        err << kUsage;
        return 2;
    }
    if (!isDataDirectory(args[0], err))
        return 1;
    const std::string eventPath = DataDir(args[0]).path(args[1] + ".pln");
    // Read once for the whole month: a large schedule is not read again for every day.
    calendar::EventSchedule events;
    files::ReadProblem why = files::ReadProblem::None;
    if (events.load(eventPath, &why) != calendar::EventIo::Ok) {
        err << "vezolog: cannot read " << eventPath;
        if (why != files::ReadProblem::None)
            err << ": " << files::readProblemText(why);
        err << "\n";
        return 1;
    }

    calendar::CalendarDate date{*year, *month, 1};
    const int length = calendar::monthLength(*year, *month);
    for (int day = 1; day <= length; ++day) {
        date.day = day;
        const calendar::MonthStrip strip = calendar::monthStrip(date);
        std::string line;
        calendar::dayInfoLine(strip, events, line);
        char when[48];
        std::snprintf(when, sizeof when, "%04d-%02d-%02d", *year, *month, day);
        out << when << '\t'
            << kWeekdays[static_cast<std::size_t>(calendar::weekdayCode(*year, *month, day))]
            << '\t' << colourName(strip.colour[static_cast<std::size_t>(day - 1)]) << '\t'
            << sjis::toUtf8(line) << '\n';
    }
    return 0;
}

} // namespace vz::cli
