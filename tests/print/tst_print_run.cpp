// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/print_run.h"

#include "app/app_state.h"
#include "app/session.h"
#include "app/user_settings.h"
#include "common/data_dir.h"
#include "common/file_io.h"
#include "log/log_file.h"
#include "print/card_layouts.h"

#include "support/recording_canvas.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vz;
using namespace vz::print;
using vz::test::RecordingJob;

namespace {

// Five contacts; the cards of records 2 and 4 are pending.
struct PrintFixture
{
    test::TempDir dir;
    app::AppState state;

    PrintFixture()
    {
        dir.installPrefixTable();
        app::initDataDir(state, dir.path());
        state.currentCall = "JA1ABC";
        app::buildUserPaths(state);
        state.prefixTable.setPath(state.prefixPath);
        state.settings.cardNo = "8";
        std::int32_t n = 1;
        for (const char *call : {"JA1AAA", "JA2BBB", "W1AW", "JA4DDD", "JA5EEE"}) {
            log::QsoRecord r;
            r.setField(log::Field::Callsign, call);
            r.setField(log::Field::Frequency, "7.050");
            r.setQslFlag(n == 2 || n == 4);
            EXPECT_EQ(log::appendRecord(state.logPath, n++, r), log::IoResult::Ok);
        }
    }

    PrintOutcome print(PrintRange range, RecordingJob &job)
    {
        const CardDrawing draw = [](CardCanvas &c, const DotScale &s, const CardText &card,
                                    long long number) {
            drawPostcard(c, s, card, number, PostcardOptions{});
        };
        return runPrint(state, range, draw, job);
    }
    bool pending(std::int32_t n)
    {
        log::QsoRecord r;
        log::readRecord(state.logPath, n, r);
        return r.qslPending();
    }
};

} // namespace

TEST(PrintRun, RangeOfOnePrintsOnePageAndAdvancesTheNumber)
{
    PrintFixture f;
    RecordingJob job;
    const PrintOutcome out = f.print({2, 3, false}, job);
    EXPECT_EQ(out.result, PrintResult::Ok);
    EXPECT_EQ(job.jobs, 1);
    EXPECT_EQ(job.pages, 1);
    EXPECT_EQ(job.ended, 1);
    EXPECT_NE(job.drawn.find("W1AW"), nullptr);
    EXPECT_NE(job.drawn.find("8"), nullptr);
    EXPECT_EQ(f.state.settings.cardNo, "9");
    EXPECT_EQ(f.state.cardNumber, 8);
    EXPECT_EQ(f.state.currentArea, 10);

    RecordingJob none;
    EXPECT_EQ(f.print({4, 3, false}, none).printed, 0);
    EXPECT_EQ(none.jobs, 0);
    EXPECT_EQ(none.ended, 0);
    EXPECT_EQ(f.state.settings.cardNo, "9");
}

TEST(PrintRun, BatchPrintsThePendingCardsOnce)
{
    PrintFixture f;
    RecordingJob job;
    const PrintOutcome out = f.print({0, 5, true}, job);
    EXPECT_EQ(out.printed, 2);
    EXPECT_EQ(job.pages, 2);
    EXPECT_NE(job.drawn.find("JA2BBB"), nullptr);
    EXPECT_EQ(job.drawn.find("JA2BBB")->page, 1);
    EXPECT_EQ(job.drawn.find("JA4DDD")->page, 2);
    EXPECT_FALSE(f.pending(2));
    EXPECT_FALSE(f.pending(4));
    EXPECT_EQ(f.state.settings.cardNo, "10");

    RecordingJob again;
    EXPECT_EQ(f.print({0, 5, true}, again).printed, 0);
    EXPECT_EQ(again.jobs, 0);

    // A range prints every record in it, pending or not; past the end an empty card.
    RecordingJob range;
    EXPECT_EQ(f.print({3, 6, false}, range).printed, 3);
    EXPECT_EQ(f.state.settings.cardNo, "13");
}

TEST(PrintRun, DeletedRecordsGetNoCardNoNumberAndKeepTheirFlag)
{
    // Record 4 (pending) is deleted: batch and range both leave it out and count it.
    const struct
    {
        PrintRange range;
        int printed;
        const char *nextNumber;
    } cases[] = {
        {{0, 5, true}, 1, "9"},   // batch: record 2 only
        {{2, 5, false}, 2, "10"}, // range 3..5: records 3 and 5
        {{3, 4, false}, 0, "8"},  // range of the deleted record alone
    };
    for (const auto &c : cases) {
        PrintFixture f;
        ASSERT_EQ(log::markDeleted(f.state.logPath, 4, true), log::IoResult::Ok);
        RecordingJob job;
        const PrintOutcome out = f.print(c.range, job);
        SCOPED_TRACE(c.nextNumber);
        EXPECT_EQ(out.result, PrintResult::Ok);
        EXPECT_EQ(out.printed, c.printed);
        EXPECT_EQ(out.skippedDeleted, 1);
        EXPECT_EQ(job.pages, c.printed);
        EXPECT_EQ(job.drawn.find("-"), nullptr);
        EXPECT_EQ(f.state.settings.cardNo, c.nextNumber);
        EXPECT_TRUE(f.pending(4));
    }
}

TEST(PrintRun, TestPrintAndBlankCardsChangeNothing)
{
    PrintFixture f;
    const std::string before = f.dir.read("JA1ABC.DAT");
    RecordingJob job;
    const CardDrawing draw = [](CardCanvas &c, const DotScale &s, const CardText &card,
                                long long number) {
        drawVerticalCard(c, s, card, number, CommercialOptions{},
                         defaultLayout(CardKind::Vertical));
    };
    EXPECT_EQ(runTestPrint(f.state.cardNumber, draw, job).printed, 1);
    EXPECT_NE(job.drawn.find("JX1XXX/2/AM"), nullptr);
    EXPECT_NE(job.drawn.find("0"), nullptr);
    EXPECT_EQ(f.dir.read("JA1ABC.DAT"), before);
    EXPECT_EQ(f.state.settings.cardNo, "8");

    RecordingJob blank;
    EXPECT_EQ(printBlankCards(3, blank).printed, 3);
    EXPECT_EQ(blank.jobs, 1);
    EXPECT_EQ(blank.pages, 3);
    RecordingJob zero;
    EXPECT_EQ(printBlankCards(0, zero).printed, 0);
    EXPECT_EQ(zero.jobs + zero.ended, 0);
}

TEST(PrintRun, FailuresKeepFlagsAndNumbersTrue)
{
    PrintFixture f;
    // A card number that is not a whole number prints as 1 and goes on from there.
    f.state.settings.cardNo = "12a";
    RecordingJob refused;
    refused.refuse = true;
    const PrintOutcome out = f.print({0, 5, true}, refused);
    EXPECT_EQ(out.result, PrintResult::PrinterFailed);
    EXPECT_EQ(out.printerMessage, "printer offline");
    EXPECT_TRUE(f.pending(2));
    EXPECT_EQ(f.state.settings.cardNo, "12a");

    RecordingJob job;
    f.print({1, 2, false}, job);
    EXPECT_NE(job.drawn.find("1"), nullptr);
    EXPECT_EQ(f.state.settings.cardNo, "2");

    ::unlink(f.state.logPath.c_str());
    RecordingJob missing;
    EXPECT_EQ(f.print({0, 5, false}, missing).result, PrintResult::NoLog);
    EXPECT_EQ(missing.jobs, 0);
}

// A log that cannot be written. The tests may run as root, whom permissions do not stop, so the
// run then happens in a child process that has dropped to an unprivileged user.
TEST(PrintRun, UnwritableFlagIsReportedAfterTheNumberIsKept)
{
    PrintFixture f;
    ::chmod(f.dir.path().c_str(), 0755);
    ::chmod(f.dir.dataDir().c_str(), 0777); // the settings file can be replaced
    ::chmod(f.state.logPath.c_str(), 0444);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        RecordingJob job;
        const PrintOutcome out = f.print({0, 5, true}, job);
        // Both cards were accepted: their numbers are kept, their flags stay set.
        const bool reported =
            out.result == PrintResult::FlagFailed && out.failedPath == f.state.logPath &&
            out.printed == 2 && job.ended == 1 && f.state.settings.cardNo == "10" &&
            app::readUserSettings(f.state.settingsPath).settings.cardNo == "10" && f.pending(2);
        ::_exit(reported ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "cannot drop to an unprivileged user here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// The job is handed over only after every card is drawn; the number and the flags change only
// when it was accepted, and the number is kept in the settings file at once (that key alone),
// so re-reading the file (中止 in the personal information) or a kill gives no number twice.
TEST(PrintRun, NumberAndFlagsChangeOnlyAfterTheJobIsAccepted)
{
    PrintFixture f;
    f.dir.write("JA1ABC.ini", "[x]\r\nkeep=1\r\n");
    f.state.settings.rig = "FT-991"; // typed in the personal information but not applied
    const std::string log = f.dir.read("JA1ABC.DAT");

    RecordingJob refused;
    refused.refuseAtEnd = true;
    const PrintOutcome out = f.print({0, 5, true}, refused);
    EXPECT_EQ(out.result, PrintResult::PrinterFailed);
    EXPECT_EQ(out.printed, 0);
    EXPECT_EQ(refused.pages, 2);
    EXPECT_EQ(f.dir.read("JA1ABC.DAT"), log);
    EXPECT_EQ(f.dir.read("JA1ABC.ini"), "[x]\r\nkeep=1\r\n");
    EXPECT_EQ(f.state.settings.cardNo, "8");
    EXPECT_EQ(f.state.cardNumber, 0);

    // A kill right after an accepted run: the child dies before anything else is saved.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RecordingJob job;
        f.print({0, 5, true}, job);
        ::raise(SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_FALSE(f.pending(2));
    EXPECT_FALSE(f.pending(4));
    const app::LoadedSettings reread = app::readUserSettings(f.state.settingsPath);
    EXPECT_EQ(reread.settings.cardNo, "10");
    EXPECT_EQ(reread.settings.rig, "");
    EXPECT_NE(f.dir.read("JA1ABC.ini").find("keep=1"), std::string::npos);
}

TEST(PrintRun, CardNumbersOutOfRangeAndUnreadableSettingsPrintNothing)
{
    const struct
    {
        const char *cardNo;
        PrintRange range;
        bool prints;
        const char *after;
    } cases[] = {
        {"9999998", {0, 5, true}, true, "10000000"},    // the two cards end at the limit
        {"9999999", {0, 5, true}, false, "9999999"},    // the second would pass it
        {"9999999", {1, 2, false}, true, "10000000"},   // one card: the last number
        {"10000000", {1, 2, false}, false, "10000000"}, // already past it
        {"9223372036854775807", {1, 2, false}, false, "9223372036854775807"},
        {"-1", {1, 2, false}, false, "-1"},
        {"0", {1, 2, false}, true, "1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cardNo);
        PrintFixture f;
        f.state.settings.cardNo = c.cardNo;
        const std::string log = f.dir.read("JA1ABC.DAT");
        RecordingJob job;
        const PrintOutcome out = f.print(c.range, job);
        EXPECT_EQ(out.result, c.prints ? PrintResult::Ok : PrintResult::CardNumberOutOfRange);
        EXPECT_EQ(job.ended, c.prints ? 1 : 0);
        EXPECT_EQ(job.abandoned, job.jobs - job.ended);
        EXPECT_EQ(f.state.settings.cardNo, c.after);
        if (!c.prints) {
            EXPECT_EQ(f.dir.read("JA1ABC.DAT"), log);
            EXPECT_FALSE(files::exists(f.state.settingsPath));
        }
    }

    // A settings file that cannot be read (a folder of that name) stops the run at once.
    PrintFixture f;
    ASSERT_EQ(::mkdir(f.state.settingsPath.c_str(), 0755), 0);
    RecordingJob job;
    const PrintOutcome out = f.print({0, 5, true}, job);
    EXPECT_EQ(out.result, PrintResult::SettingsFailed);
    EXPECT_EQ(out.failedPath, f.state.settingsPath);
    EXPECT_EQ(job.jobs, 0);
    EXPECT_TRUE(f.pending(2));
    EXPECT_EQ(f.state.settings.cardNo, "8");
}

// A job that fails half-way (a new page refused) or that the printer refuses at its end prints
// nothing, whichever run drew it: no page counts, no flag is cleared, the number stays.
TEST(PrintRun, AJobAbandonedOrRefusedPrintsNothing)
{
    enum Run { Cards, Blank, TestCard };
    const struct
    {
        const char *what;
        Run run;
        int failAtPage;
        bool refuseAtEnd;
        int abandoned;
    } cases[] = {
        {"cards, third page fails", Cards, 3, false, 1},
        {"cards, refused at the end", Cards, 0, true, 0},
        {"blank cards, second page fails", Blank, 2, false, 1},
        {"blank cards, refused at the end", Blank, 0, true, 0},
        {"test card, refused at the end", TestCard, 0, true, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        PrintFixture f;
        const std::string log = f.dir.read("JA1ABC.DAT");
        RecordingJob job;
        job.failAtPage = c.failAtPage;
        job.refuseAtEnd = c.refuseAtEnd;
        const CardDrawing draw = [](CardCanvas &, const DotScale &, const CardText &, long long) {};
        const PrintOutcome out = c.run == Cards   ? f.print({0, 5, false}, job)
                                 : c.run == Blank ? printBlankCards(4, job)
                                                  : runTestPrint(1, draw, job);
        EXPECT_EQ(out.result, PrintResult::PrinterFailed);
        EXPECT_EQ(out.printerMessage, "printer offline");
        EXPECT_EQ(out.printed, 0);
        EXPECT_EQ(job.abandoned, c.abandoned);
        EXPECT_EQ(job.ended, c.refuseAtEnd ? 1 : 0);
        if (c.failAtPage != 0) {
            EXPECT_EQ(job.pages, c.failAtPage); // nothing asked for past the failure
        }
        EXPECT_EQ(f.dir.read("JA1ABC.DAT"), log);
        EXPECT_EQ(f.state.settings.cardNo, "8");
        EXPECT_EQ(f.state.cardNumber, 0);
        EXPECT_FALSE(files::exists(f.state.settingsPath));
    }
}

// The records are read, under the log's lock, before anything is drawn: a log that cannot be
// read prints nothing, takes no card number and names the file.
TEST(PrintRun, ALogThatCannotBeReadPrintsNothing)
{
    PrintFixture f;
    const std::string away = f.state.logPath + ".away";
    ASSERT_EQ(::rename(f.state.logPath.c_str(), away.c_str()), 0);
    ASSERT_EQ(::mkdir(f.state.logPath.c_str(), 0755), 0);
    RecordingJob job;
    int drawnCards = 0;
    const CardDrawing draw = [&](CardCanvas &, const DotScale &, const CardText &, long long) {
        ++drawnCards;
    };
    const PrintOutcome out = runPrint(f.state, {0, 5, false}, draw, job);
    ASSERT_EQ(::rmdir(f.state.logPath.c_str()), 0);
    ASSERT_EQ(::rename(away.c_str(), f.state.logPath.c_str()), 0);
    EXPECT_NE(out.result, PrintResult::Ok);
    EXPECT_EQ(out.printed, 0);
    EXPECT_EQ(drawnCards, 0);
    EXPECT_EQ(job.ended, 0);
    EXPECT_EQ(f.state.settings.cardNo, "8");
    EXPECT_FALSE(files::exists(f.state.settingsPath));
    EXPECT_TRUE(f.pending(2));
}
