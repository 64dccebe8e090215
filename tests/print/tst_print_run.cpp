// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/print_run.h"

#include "app/app_state.h"
#include "app/session.h"
#include "log/log_file.h"
#include "print/card_layouts.h"

#include "support/recording_canvas.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

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
TEST(PrintRun, UnwritableFlagStopsTheRunAfterThatCard)
{
    PrintFixture f;
    ::chmod(f.dir.path().c_str(), 0755);
    ::chmod(f.dir.dataDir().c_str(), 0755);
    ::chmod(f.state.logPath.c_str(), 0444);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        RecordingJob job;
        const PrintOutcome out = f.print({0, 5, true}, job);
        const bool stoppedAfterOne = out.result == PrintResult::FlagFailed &&
                                     out.failedPath == f.state.logPath && out.printed == 1 &&
                                     job.ended == 1 && f.state.settings.cardNo == "9";
        ::_exit(stoppedAfterOne ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "cannot drop to an unprivileged user here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
