// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog calendar: one month as the calendar strip shows it, one line per day (UTF-8,
// tab-separated): the date, the weekday, the day's colour and its day information line.
#include "cli/commands.h"

#include "calendar/month_strip.h"
#include "common/data_dir.h"
#include "common/file_io.h"
#include "common/sjis.h"
#include "common/whole_number.h"

#include <array>
#include <cstdio>
#include <optional>
#include <ostream>

namespace vz::cli {

namespace {

constexpr const char *kUsage = "usage: vezolog calendar DATADIR CALLSIGN YEAR MONTH\n"
                               "       YEAR 1 to 9999, MONTH 1 to 12\n";

constexpr std::array<const char *, 7> kWeekdays = {"土", "日", "月", "火", "水", "木", "金"};

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
    const std::optional<long long> year = parseWholeNumber(args[2], 1, 9999);
    const std::optional<long long> month = parseWholeNumber(args[3], 1, 12);
    if (!year || !month) {
        err << kUsage;
        return 2;
    }
    app::AppState user;
    if (const int status = enterCommand(needsOf("calendar"), args[0], args[1], user, err))
        return status;
    const std::string &eventPath = user.eventPath;
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

    const int y = static_cast<int>(*year);
    const int m = static_cast<int>(*month);
    calendar::CalendarDate date{y, m, 1};
    const int length = calendar::monthLength(y, m);
    for (int day = 1; day <= length; ++day) {
        date.day = day;
        const calendar::MonthStrip strip = calendar::monthStrip(date);
        std::string line;
        calendar::dayInfoLine(strip, events, line);
        char when[48];
        std::snprintf(when, sizeof when, "%04d-%02d-%02d", y, m, day);
        out << when << '\t' << kWeekdays[static_cast<std::size_t>(calendar::weekdayCode(y, m, day))]
            << '\t' << colourName(strip.colour[static_cast<std::size_t>(day - 1)]) << '\t'
            << sjis::toUtf8(line) << '\n';
    }
    return 0;
}

} // namespace vz::cli
