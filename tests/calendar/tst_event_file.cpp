// SPDX-License-Identifier: GPL-3.0-or-later
// The event file: record bytes, the four date patterns, the order of the day's events and
// writes that never lose what is already registered.
#include "calendar/event_file.h"
#include "calendar/month_strip.h"
#include "common/file_io.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace vz::calendar;
using vz::test::sj;
using vz::test::TempDir;

namespace {

std::string record(std::string_view key, std::string_view text)
{
    const EventRecordBytes r = buildEventRecord(key, text);
    return {r.data(), r.size()};
}

std::string eventsOn(const std::string &path, int y, int m, int d)
{
    std::string line;
    EXPECT_EQ(showDayEvents(path, y, m, d, line), EventIo::Ok);
    return line;
}

} // namespace

TEST(EventFile, RecordBytesAreTrimmedZeroFilledAndCut)
{
    const std::string r = record("  0000/12/06 ", sj("  誕生日　"));
    ASSERT_EQ(r.size(), 120u);
    EXPECT_EQ(r.substr(0, 12), std::string("0000/12/06\0\0", 12));
    // A full-width blank is text, not a blank to trim.
    EXPECT_EQ(r.substr(12, 9), sj("誕生日　") + '\0');
    EXPECT_EQ(r.substr(21), std::string(99, '\0'));

    // Keys are cut to 11 bytes, texts to 90 without splitting a character.
    std::string longText;
    for (int i = 0; i < 50; ++i)
        longText += sj("あ");
    const std::string cut = record("2026/12/06xyz", "x" + longText);
    EXPECT_EQ(cut.substr(0, 12), std::string("2026/12/06x\0", 12));
    EXPECT_EQ(cut.substr(12).find('\0'), 89u);

    // Blanks only: an empty text.
    EXPECT_EQ(record("0000/00/06", "   ").substr(12), std::string(108, '\0'));
}

TEST(EventFile, PatternsMatchTheirDays)
{
    TempDir dir;
    const std::string path = dir.file("JA1ABC.pln");
    dir.write("JA1ABC.pln", record("0000/12/06", "yearly") + record("2026/12/06", "once") +
                                record("0000/00/06", "monthly") + record("0000/99/01", "sunday") +
                                record("26/12/06", "never") + record("", "empty key") +
                                std::string(50, 'x'));
    EXPECT_EQ(eventsOn(path, 2026, 12, 6), sj("yearly； once； monthly； sunday")); // a Sunday
    EXPECT_EQ(eventsOn(path, 2027, 12, 6), sj("yearly； monthly"));
    EXPECT_EQ(eventsOn(path, 2026, 11, 6), sj("monthly"));
    EXPECT_EQ(eventsOn(path, 2026, 12, 13), sj("sunday"));
    EXPECT_EQ(eventsOn(path, 2026, 12, 7), "");

    const DayPatterns p = dayPatterns(999, 1, 2);
    EXPECT_EQ(p.oneTime, "999/01/02");
    EXPECT_EQ(p.weekly, "0000/99/04"); // 2 January 999, a Wednesday
}

TEST(EventFile, HolidayComesFirstThenEventsInFileOrder)
{
    TempDir dir;
    const std::string path = dir.file("JA1ABC.pln");
    ASSERT_EQ(appendEvent(path, "0000/11/03", sj("誕生会")), EventIo::Ok);
    ASSERT_EQ(appendEvent(path, "0000/00/03", sj("ゴミ")), EventIo::Ok);
    std::string line;
    ASSERT_EQ(dayInfoLine(monthStrip({2026, 11, 3}), path, line), EventIo::Ok);
    EXPECT_EQ(line, sj("文化の日； 誕生会； ゴミ"));

    // A selected 31st in November looks up the 30th.
    ASSERT_EQ(appendEvent(path, "0000/11/30", "end"), EventIo::Ok);
    ASSERT_EQ(dayInfoLine(monthStrip({2026, 11, 31}), path, line), EventIo::Ok);
    EXPECT_EQ(line, "end");

    // No file: the holiday name alone.
    ASSERT_EQ(dayInfoLine(monthStrip({2026, 11, 3}), dir.file("NONE.pln"), line), EventIo::Ok);
    EXPECT_EQ(line, sj("文化の日"));
}

TEST(EventFile, AppendKeepsWhatIsThereAndReportsFailures)
{
    TempDir dir;
    const std::string path = dir.file("JA1ABC.pln");
    ASSERT_EQ(appendEvent(path, "0000/12/06", "a"), EventIo::Ok);
    EXPECT_EQ(dir.read("JA1ABC.pln"), record("0000/12/06", "a"));

    // A torn tail left by a crash is replaced, so the new record stays aligned.
    dir.write("JA1ABC.pln", record("0000/12/06", "a") + std::string(30, 'z'));
    ASSERT_EQ(appendEvent(path, "0000/12/06", "b"), EventIo::Ok);
    EXPECT_EQ(dir.read("JA1ABC.pln"), record("0000/12/06", "a") + record("0000/12/06", "b"));
    EXPECT_EQ(eventsOn(path, 2026, 12, 6), sj("a； b"));

    // A file that cannot be created or written is reported.
    EXPECT_EQ(appendEvent(dir.file("missing/JA1ABC.pln"), "0000/12/06", "c"), EventIo::Failed);
    ASSERT_EQ(::mkdir(dir.file("JA2XYZ.pln").c_str(), 0755), 0);
    EXPECT_EQ(appendEvent(dir.file("JA2XYZ.pln"), "0000/12/06", "c"), EventIo::Failed);
    std::string line;
    EXPECT_EQ(showDayEvents(dir.file("JA2XYZ.pln"), 2026, 12, 6, line), EventIo::Failed);
}

// An append whose write fails (a full disk, here a file-size limit) reports it and leaves the
// file byte for byte as it was, a torn tail included; an event file that is a FIFO or a link to
// a device is never read nor written, and the reason is given.
TEST(EventFile, FailedAppendsAndSpecialFilesLeaveEverythingAsItWas)
{
    TempDir dir;
    const std::string path = dir.file("JA1ABC.pln");
    const struct
    {
        const char *what;
        std::string before;
    } cases[] = {
        {"whole records", record("0000/12/06", "a") + record("0000/12/07", "b")},
        {"a torn tail", record("0000/12/06", "a") + std::string(30, 'z')},
    };
    std::signal(SIGXFSZ, SIG_IGN);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        dir.write("JA1ABC.pln", c.before);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = c.before.size() / kEventRecordSize * kEventRecordSize + 50;
        setrlimit(RLIMIT_FSIZE, &small);
        const EventIo io = appendEvent(path, "0000/12/08", "c");
        setrlimit(RLIMIT_FSIZE, &old);
        EXPECT_EQ(io, EventIo::Failed);
        EXPECT_EQ(dir.read("JA1ABC.pln"), c.before);
    }

    ASSERT_EQ(::mkfifo(dir.file("JA2FIFO.pln").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/zero", dir.file("JA3ZERO.pln"));
    for (const char *name : {"JA2FIFO.pln", "JA3ZERO.pln"}) {
        SCOPED_TRACE(name);
        EventSchedule events;
        vz::files::ReadProblem why{};
        EXPECT_EQ(events.load(dir.file(name), &why), EventIo::Failed);
        EXPECT_EQ(why, vz::files::ReadProblem::NotRegular);
        EXPECT_EQ(appendEvent(dir.file(name), "0000/12/06", "c"), EventIo::Failed);
    }
    struct stat st
    {
    };
    ASSERT_EQ(::lstat(dir.file("JA2FIFO.pln").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("JA3ZERO.pln")));
}
