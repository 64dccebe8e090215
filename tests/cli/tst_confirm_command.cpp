// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog confirm: the summary, the exit status, the report and the settings kept after the
// first use of a mark; vezolog awards --confirmed-by over a log with all three marks.
#include "cli/commands.h"

#include "app/user_settings.h"
#include "log/log_file.h"

#include "awards/award_fixtures.h"
#include "support/command_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace vz;
using vz::test::sj;

namespace {

using test::CommandRun;
using test::runCommand;

void appendContact(const std::string &log, std::int32_t n, const char *call, const char *time,
                   const std::string &mark)
{
    log::FieldTexts t;
    t[0] = call;
    t[3] = "26/01/01";
    t[4] = time;
    t[12] = "14.074";
    t[13] = "FT8";
    t[15] = mark;
    log::appendRecord(log, n, log::buildRecord(t, false, true));
}

} // namespace

TEST(ConfirmCommand, MarksContactsSummarisesAndKeepsTheMarks)
{
    test::TempDir dir;
    dir.installPrefixTable();
    const std::string log = dir.file("JA1ZZZ.DAT");
    appendContact(log, 1, "W1AW", "12:00", "OLD");
    appendContact(log, 2, "K1ABC", "13:00", "");
    const std::string report = std::string("ARRL Logbook of the World Status Report\n"
                                           "<PROGRAMID:4>LoTW\n<EOH>\n") +
                               "<APP_LoTW_OWNCALL:6>JA1ZZZ<CALL:4>W1AW<BAND:3>20M<MODE:3>FT8"
                               "<QSO_DATE:8>20260101<TIME_ON:6>120500<QSL_RCVD:1>Y<EOR>\n"
                               "<APP_LoTW_OWNCALL:6>JA1ZZZ<CALL:5>K1ABC<BAND:3>20M<MODE:3>FT8"
                               "<QSO_DATE:8>20260101<TIME_ON:6>130000<QSL_RCVD:1>Y<EOR>\n"
                               "<APP_LoTW_OWNCALL:6>JA1ZZZ<CALL:5>ZZ9ZZ<BAND:3>20M<MODE:3>FT8"
                               "<QSO_DATE:8>20260101<TIME_ON:6>120500<QSL_RCVD:1>Y<EOR>\n";
    dir.write("lotwreport.adi", report);
    const std::string file = dir.file("lotwreport.adi");
    const std::string reportOut = dir.path() + "/report.txt";

    CommandRun r = runCommand(cli::runConfirm, {dir.dataDir(), "JA1ZZZ", file, "--dry-run"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("確認 2 件 (新たに付ける予定 1 件)"), std::string::npos) << r.err;
    // "L" is in "OLD" already, and the mark has never been used.
    EXPECT_NE(r.err.find("「L」"), std::string::npos) << r.err;
    EXPECT_EQ(dir.read("JA1ZZZ.ini").find("LoTW"), std::string::npos);

    r = runCommand(cli::runConfirm, {dir.dataDir(), "JA1ZZZ", file, "--report", reportOut});
    EXPECT_EQ(r.status, 0) << r.err;
    // "OLD" holds "L" already: that contact counts as confirmed, as the warning said.
    EXPECT_NE(r.err.find("確認 2 件 (新たに 1 件), 確認済み 1 件, ログに無い 1 件"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("ログに無い:\n  3 件目 ZZ9ZZ 2026-01-01 12:05Z 20m FT8: ログに無い交信"),
              std::string::npos)
        << r.err;
    EXPECT_NE(dir.read("../report.txt").find("ログに無い (全件):"), std::string::npos);
    log::QsoRecord rec;
    log::readRecord(log, 1, rec);
    EXPECT_EQ(rec.field(log::Field::UserMark), "OLD");
    log::readRecord(log, 2, rec);
    EXPECT_EQ(rec.field(log::Field::UserMark), "L");
    EXPECT_NE(dir.read("JA1ZZZ.ini").find(sj("LoTW確認マーク=L")), std::string::npos);
    EXPECT_EQ(app::readUserSettings(dir.file("JA1ZZZ.ini")).settings.lotwMarkInFile, true);

    // Again: already confirmed, no warning now that the mark is in the settings.
    r = runCommand(cli::runConfirm, {dir.dataDir(), "JA1ZZZ", file});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("確認 2 件 (新たに 0 件), 確認済み 2 件"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("注意"), std::string::npos) << r.err;

    // A file without a single confirmation field, a missing file, bad arguments.
    dir.write("plain.adi", "<CALL:4>W1AW<QSO_DATE:8>20260101<TIME_ON:4>1200<EOR>\n");
    EXPECT_EQ(runCommand(cli::runConfirm, {dir.dataDir(), "JA1ZZZ", dir.file("plain.adi")}).status,
              1);
    EXPECT_EQ(runCommand(cli::runConfirm, {dir.dataDir(), "JA1ZZZ", dir.file("none.adi")}).status,
              1);
    EXPECT_EQ(runCommand(cli::runConfirm, {dir.dataDir(), "JA1ZZZ", file, "--bogus"}).status, 2);
}

// Award progress by the confirmations chosen, over a log with a card, a LoTW and an eQSL
// confirmation, each for another city.
TEST(AwardsCommand, ConfirmedByChoosesTheMarks)
{
    test::TempDir dir;
    test::writeLog(dir, {{"JA1AAA", "100101", sj("受")},
                         {"JA1BBB", "1002", "L"},
                         {"JA1CCC", "1101", "E"},
                         {"JA1DDD", "0101", "X"}});
    test::writeMasters(dir);
    const auto confirmedTotal = [&](cli::Args extra) {
        cli::Args args{dir.dataDir(), "JA1ZZZ"};
        args.insert(args.end(), extra.begin(), extra.end());
        const CommandRun r = runCommand(cli::runAwards, args);
        EXPECT_EQ(r.status, 0) << r.err;
        const std::size_t at = r.out.find("total\t\t");
        return at == std::string::npos ? std::string()
                                       : r.out.substr(at, r.out.find('\n', at) - at);
    };
    // worked, confirmed, total
    EXPECT_EQ(confirmedTotal({}), "total\t\t4\t1\t4");
    EXPECT_EQ(confirmedTotal({"--confirmed-by", "card"}), "total\t\t4\t1\t4");
    EXPECT_EQ(confirmedTotal({"--confirmed-by", "lotw"}), "total\t\t4\t1\t4");
    EXPECT_EQ(confirmedTotal({"--confirmed-by", "card,lotw"}), "total\t\t4\t2\t4");
    EXPECT_EQ(confirmedTotal({"--confirmed-by", "eqsl,lotw,card"}), "total\t\t4\t3\t4");
    // Marks set in the settings file count as they are set.
    dir.write("JA1ZZZ.ini", sj("[アワード]\r\nLoTW確認マーク=X\r\n"));
    EXPECT_EQ(confirmedTotal({"--confirmed-by", "lotw"}), "total\t\t4\t1\t4");
    for (const char *bad : {"", "card,", "paper", "lotw,lotw"})
        EXPECT_EQ(
            runCommand(cli::runAwards, {dir.dataDir(), "JA1ZZZ", "--confirmed-by", bad}).status, 2)
            << bad;
}
