// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog calendar: a month, day by day, as the strip shows it.
#include "calendar/event_file.h"
#include "cli/commands.h"

#include "support/command_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

using namespace vz;
using vz::test::sj;

namespace {

using test::CommandRun;

CommandRun calendarOf(const cli::Args &args)
{
    return test::runCommand(cli::runCalendar, args);
}

std::string lineOf(const std::string &out, int day)
{
    std::istringstream in(out);
    std::string line;
    for (int i = 0; i < day; ++i)
        std::getline(in, line);
    return line;
}

} // namespace

TEST(CalendarCommand, PrintsEveryDayWithColourAndDayInformation)
{
    test::TempDir dir;
    ASSERT_EQ(calendar::appendEvent(dir.file("JA1ABC.pln"), "0000/01/08", sj("誕生日")),
              calendar::EventIo::Ok);
    ASSERT_EQ(calendar::appendEvent(dir.file("JA1ABC.pln"), "0000/99/04", sj("ゴミ")),
              calendar::EventIo::Ok);
    const CommandRun r = calendarOf({dir.dataDir(), "JA1ABC", "2024", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 31);
    EXPECT_EQ(lineOf(r.out, 1), "2024-01-01\t月\tred\t元旦");
    EXPECT_EQ(lineOf(r.out, 3), "2024-01-03\t水\tblack\tゴミ");
    EXPECT_EQ(lineOf(r.out, 6), "2024-01-06\t土\tblue\t");
    EXPECT_EQ(lineOf(r.out, 7), "2024-01-07\t日\tred\t");
    EXPECT_EQ(lineOf(r.out, 8), "2024-01-08\t月\tred\t成人の日； 誕生日");
    EXPECT_EQ(lineOf(r.out, 31), "2024-01-31\t水\tblack\tゴミ");

    // Another user's events do not show; a leap February has 29 lines.
    const CommandRun other = calendarOf({dir.dataDir(), "JA2XYZ", "2024", "2"});
    ASSERT_EQ(other.status, 0);
    EXPECT_EQ(std::count(other.out.begin(), other.out.end(), '\n'), 29);
    EXPECT_EQ(lineOf(other.out, 11), "2024-02-11\t日\tred\t建国記念の日");
}

TEST(CalendarCommand, RefusesBadArguments)
{
    test::TempDir dir;
    const cli::Args bad[] = {
        {dir.dataDir(), "JA1ABC", "2024"},   {dir.dataDir(), "JA1ABC", "2024", "13"},
        {dir.dataDir(), "JA1ABC", "0", "1"}, {dir.dataDir(), "JA1ABC", "2024x", "1"},
        {dir.dataDir(), "JA1ABC", "", "1"},  {dir.dataDir(), "JA1ABC", "10000", "1"},
    };
    for (const cli::Args &args : bad) {
        const CommandRun r = calendarOf(args);
        EXPECT_EQ(r.status, 2) << args.size();
        EXPECT_NE(r.err.find("usage: vezolog calendar"), std::string::npos);
        EXPECT_TRUE(r.out.empty());
    }
    const CommandRun call = calendarOf({dir.dataDir(), "ja-1", "2024", "1"});
    EXPECT_EQ(call.status, 2);
    EXPECT_NE(call.err.find("not a callsign"), std::string::npos) << call.err;
    EXPECT_EQ(calendarOf({dir.path() + "/nowhere", "JA1ABC", "2024", "1"}).status, 1);
}

namespace {

// The bytes this process has read so far, as the kernel counts them.
std::uint64_t bytesReadSoFar()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return 0;
}

} // namespace

// A month is drawn from one reading of the event file, however many days it shows; an event
// file that is a FIFO fails at once with the reason instead of waiting for a writer.
TEST(CalendarCommand, ReadsTheEventFileOncePerMonth)
{
    test::TempDir dir;
    std::string events;
    for (int i = 0; i < 20000; ++i) {
        const calendar::EventRecordBytes r =
            calendar::buildEventRecord("2020/01/01", "an event of another year");
        events.append(r.data(), r.size());
    }
    dir.write("JA1ABC.pln", events);
    const std::uint64_t before = bytesReadSoFar();
    const CommandRun r = calendarOf({dir.dataDir(), "JA1ABC", "2024", "1"});
    const std::uint64_t read = bytesReadSoFar() - before;
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_GE(read, events.size());
    EXPECT_LT(read, 2 * events.size());

    ASSERT_EQ(::mkfifo(dir.file("JA2XYZ.pln").c_str(), 0644), 0);
    const CommandRun fifo = calendarOf({dir.dataDir(), "JA2XYZ", "2024", "1"});
    EXPECT_EQ(fifo.status, 1);
    EXPECT_NE(fifo.err.find("通常のファイルではありません"), std::string::npos) << fifo.err;
}
