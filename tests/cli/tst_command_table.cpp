// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog as a whole, through its entry point: what each command answers with and the exit
// status it ends with, and the special-prefix table in the ADIF commands.
#include "cli/commands.h"

#include "common/file_io.h"
#include "log/log_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>
#include <sys/stat.h>

using namespace vz;
using vz::test::sj;

namespace {

struct Outcome
{
    int status;
    std::string out;
    std::string err;
};

Outcome vezolog(const cli::Args &args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::runVezolog(args, out, err);
    return {status, out.str(), err.str()};
}

void append(const std::string &log, std::int32_t n, const char *call, const char *date,
            const char *start, const char *end, bool qsl)
{
    log::FieldTexts t;
    t[static_cast<std::size_t>(log::Field::Callsign)] = call;
    t[static_cast<std::size_t>(log::Field::QsoDate)] = date;
    t[static_cast<std::size_t>(log::Field::StartTime)] = start;
    t[static_cast<std::size_t>(log::Field::EndTime)] = end;
    ASSERT_EQ(log::appendRecord(log, n, log::buildRecord(t, qsl, true)), log::IoResult::Ok);
}

// The ADIF record of `adi` that holds `call`.
std::string adifRecordOf(const std::string &adi, const std::string &call)
{
    const std::size_t at = adi.find(call);
    if (at == std::string::npos)
        return {};
    const std::size_t before = adi.rfind("<EO", at); // the end of the header or of a record
    const std::size_t begin = before == std::string::npos ? 0 : before;
    return adi.substr(begin, adi.find("<EOR>", at) - begin);
}

} // namespace

// The shipped table files 7K1 under area 1: its contacts are kept in Japanese time in the log and
// written in UTC to ADIF, and read back from UTC. An overseas station is in UTC both ways.
TEST(CommandTable, AdifCommandsDecideTheTimesByTheSpecialPrefixTable)
{
    test::TempDir dir;
    dir.installPrefixTable();
    append(dir.file("JA1ZZZ.DAT"), 1, "7K1XYZ", "26/01/01", "08:30", "09:10", false);
    append(dir.file("JA1ZZZ.DAT"), 2, "W1AW", "26/01/01", "08:30", "09:10", false);

    const std::string adiPath = dir.path() + "/out.adi";
    const Outcome exported = vezolog({"export-adif", dir.dataDir(), "JA1ZZZ", "-o", adiPath});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string adi = dir.read("../out.adi");
    const std::string japan = adifRecordOf(adi, "7K1XYZ");
    EXPECT_NE(japan.find("<QSO_DATE:8>20251231 <TIME_ON:4>2330 "), std::string::npos) << japan;
    EXPECT_NE(japan.find("<QSO_DATE_OFF:8>20260101 <TIME_OFF:4>0010"), std::string::npos) << japan;
    const std::string abroad = adifRecordOf(adi, "W1AW");
    EXPECT_NE(abroad.find("<QSO_DATE:8>20260101 <TIME_ON:4>0830"), std::string::npos) << abroad;

    dir.write("JA2NEW.DAT", "");
    dir.write("in.adi", "<CALL:6>7K1ABC<QSO_DATE:8>20251231<TIME_ON:4>2330<TIME_OFF:4>0010<EOR>\n"
                        "<CALL:4>K1AB<QSO_DATE:8>20251231<TIME_ON:4>2330<TIME_OFF:4>0010<EOR>\n");
    const Outcome imported = vezolog({"import-adif", dir.dataDir(), "JA2NEW", dir.file("in.adi")});
    ASSERT_EQ(imported.status, 0) << imported.err;
    log::QsoRecord r;
    ASSERT_EQ(log::readRecord(dir.file("JA2NEW.DAT"), 1, r), log::IoResult::Ok);
    EXPECT_EQ(r.field(log::Field::QsoDate), "26/01/01");
    EXPECT_EQ(r.field(log::Field::StartTime), "08:30");
    EXPECT_EQ(r.field(log::Field::EndTime), "09:10");
    ASSERT_EQ(log::readRecord(dir.file("JA2NEW.DAT"), 2, r), log::IoResult::Ok);
    EXPECT_EQ(r.field(log::Field::QsoDate), "25/12/31");
    EXPECT_EQ(r.field(log::Field::StartTime), "23:30");

    // The exported file brings the very records back.
    dir.write("JA3NEW.DAT", "");
    ASSERT_EQ(vezolog({"import-adif", dir.dataDir(), "JA3NEW", adiPath}).status, 0);
    EXPECT_EQ(dir.read("JA3NEW.DAT"), dir.read("JA1ZZZ.DAT"));
}

// One rule for every command: 0 done (an empty result too), 1 a file that could not be read or
// written or an input without any ADIF record, 2 bad arguments; nothing written on 1 or 2.
TEST(CommandTable, ExitStatusOfEveryCommand)
{
    test::TempDir dir;
    dir.installPrefixTable();
    for (std::int32_t n = 1; n <= 33; ++n)
        append(dir.file("JA1ABC.DAT"), n, n % 2 ? "JA1AAA" : "7K1BBB", "26/01/01", "08:30", "",
               false);
    dir.write("EMPTY.DAT", "");
    dir.write("empty.adi", "");
    std::string noise(4096, '\0');
    std::mt19937 random(20);
    for (char &c : noise)
        c = static_cast<char>(random() & 0xFF);
    dir.write("noise.adi", noise);
    const std::string D = dir.dataDir();
    const std::string out = dir.path() + "/out";
    const std::string bad = dir.path() + "/no/such/folder/out";
    // The log's own contacts, as a file to import: every one of them is in the log already.
    ASSERT_EQ(vezolog({"export-adif", D, "JA1ABC", "-o", dir.path() + "/own.adi"}).status, 0);

    struct Case
    {
        cli::Args args;
        int status;
        std::string said; // on the stream the status belongs to (stdout for 0, else stderr)
    };
    std::vector<Case> cases{
        {{}, 2, "Usage: vezolog"},
        {{"--help"}, 0, "Usage: vezolog COMMAND"},
        {{"--version"}, 0, std::string("vezolog ") + VEZO_PROJECT_VERSION + "\n"},
        {{"frobnicate", D, "JA1ABC"}, 2, "unknown command"},
        {{"info", "--help"}, 0, "usage: vezolog info"},
        {{"dump", D, "JA1ABC", "--help"}, 0, "usage: vezolog dump"},
        {{"search", "--help"}, 0, "usage: vezolog search"},
        {{"calendar", "--help"}, 0, "usage: vezolog calendar"},
        {{"export-adif", "--help"}, 0, "usage: vezolog export-adif"},
        {{"import-adif", "--help"}, 0, "usage: vezolog import-adif"},
        {{"print", "--help"}, 0, "usage: vezolog print"},

        {{"info", D, "JA1ABC"}, 0, "area 1\t33\n"},
        {{"info", D}, 2, "usage:"},
        {{"info", D, "ja1abc/1"}, 2, "not a callsign"},
        {{"info", dir.path() + "/nowhere", "JA1ABC"}, 1, "no data directory"},
        {{"dump", D, "JA9NONE"}, 1, "no log for JA9NONE"},
        {{"search", D, "JA1ABC", "--item", "call", "W1AW"}, 0, ""},
        {{"search", D, "JA1ABC", "--area", "11"}, 2, "usage:"},
        {{"calendar", D, "JA1ABC", "2026", "13"}, 2, "usage:"},
        {{"calendar", D, "JA1ABC", "2026", "5"}, 0, "2026-05-05"},

        {{"export-adif", D, "JA1ABC", "--from", "40", "--to", "50", "-o", out}, 2, "範囲外"},
        {{"export-adif", D, "JA1ABC", "--from", "34", "-o", out}, 2, "範囲外"},
        {{"export-adif", D, "JA1ABC", "--from", "5", "--to", "3", "-o", out}, 2, "--from 5"},
        {{"export-adif", D, "JA1ABC", "--from", "0", "-o", out}, 2, "usage:"},
        {{"export-adif", D, "JA1ABC", "-o", bad}, 1, "書き込めません"},
        {{"export-adif", D, "EMPTY", "--to", "1", "-o", out}, 2, "範囲外"},
        {{"import-adif", D, "JA1ABC", dir.file("empty.adi")}, 1, "レコードがありません"},
        {{"import-adif", D, "JA1ABC", dir.file("noise.adi")}, 1, "レコードがありません"},
        {{"import-adif", D, "JA1ABC", dir.file("noise.adi"), "--strict"},
         1,
         "レコードがありません"},
        {{"import-adif", D, "JA1ABC", dir.file("noise.adi"), "--dry-run"},
         1,
         "レコードがありません"},
        {{"import-adif", D, "JA1ABC", dir.file("none.adi")}, 1, "読めません"},
        {{"import-adif", D, "JA1ABC", dir.path() + "/own.adi", "--quick"}, 2, "usage:"},
        {{"import-adif", D, "JA1ABC", dir.path() + "/own.adi"}, 0, ""},

        {{"print", "postcard", D, "JA1ABC", "--from", "5", "--to", "3", "--pdf", out}, 2, "--to 3"},
        {{"print", "postcard", D, "JA1ABC", "--from", "40", "--to", "50", "--pdf", out},
         2,
         "範囲外"},
        {{"print", "blank", D, "JA1ABC", "--count", "0", "--pdf", out}, 2, "usage:"},
        {{"print", "postcard", D, "JA1ABC", "--unissued", "--pdf", bad}, 0, ""},

        {{"awards", "--help"}, 0, "usage: vezolog awards"},
        {{"awards", D, "JA1ABC"}, 0, "total\t\t"},
        {{"awards", D, "JA1ABC", "--prefecture", "48"}, 2, "not a prefecture"},
        {{"rig", "--help"}, 0, "usage: vezolog rig"},
        {{"rig", D, "JA1ABC", "--model", "1"}, 0, "145.000\tFM\n"},
        {{"rig", D, "JA1ABC", "--model", "99999"}, 2, "Hamlib knows no radio model 99999"},
        {{"rig", D, "JA1ABC", "--model", "99999999999"}, 2, "usage:"},
        {{"rig", D, "JA1ABC"}, 1, "no radio is set for JA1ABC"},
    };

    // The same mistakes end the same way in every command, checked in one order: the callsign
    // (2, also when the folder is missing too), the folder (1), the log where the command reads
    // one (1), and a settings file that is there and cannot be read where the command uses the
    // settings (1; elsewhere it does not matter).
    struct Command
    {
        cli::Args before; // the command and what comes before DATADIR
        cli::Args after;  // what comes after CALLSIGN
        bool readsLog;
        bool usesSettings;
    };
    const std::vector<Command> commands{
        {{"info"}, {}, true, false},
        {{"dump"}, {}, true, false},
        {{"search"}, {"--item", "call", "W1AW"}, true, false},
        {{"calendar"}, {"2026", "5"}, false, false},
        {{"awards"}, {}, false, true}, // a user with no log yet has nothing counted
        {{"export-adif"}, {"-o", out}, true, true},
        {{"import-adif"}, {dir.path() + "/own.adi"}, true, true},
        {{"rig"}, {"--model", "1"}, false, true},
        {{"print", "postcard"}, {"--unissued", "--pdf", out}, true, true},
        {{"print", "test"}, {"--pdf", out}, false, true},
    };
    dir.write("JA2BAD.DAT", ""); // an empty log whose settings file cannot be read
    ASSERT_EQ(::mkdir(dir.file("JA2BAD.ini").c_str(), 0700), 0);
    const std::string nowhere = dir.path() + "/nowhere";
    std::vector<Case> everyCommand;
    for (const Command &c : commands) {
        const auto with = [&](const std::string &folder, const std::string &call) {
            cli::Args args = c.before;
            args.insert(args.end(), {folder, call});
            args.insert(args.end(), c.after.begin(), c.after.end());
            return args;
        };
        everyCommand.push_back({with(nowhere, "ja1abc/1"), 2, "not a callsign"});
        everyCommand.push_back({with(nowhere, "JA1ABC"), 1, "no data directory: " + nowhere});
        if (c.readsLog)
            everyCommand.push_back({with(D, "JA9NONE"), 1, "no log for JA9NONE"});
        if (c.usesSettings)
            everyCommand.push_back({with(D, "JA2BAD"), 1, "cannot read " + dir.file("JA2BAD.ini")});
        else
            everyCommand.push_back({with(D, "JA2BAD"), 0, ""});
    }
    cases.insert(cases.end(), everyCommand.begin(), everyCommand.end());
    const std::string log = dir.read("JA1ABC.DAT");
    for (const Case &c : cases) {
        std::string shown;
        for (const std::string &a : c.args)
            shown += a + " ";
        SCOPED_TRACE(shown);
        const Outcome r = vezolog(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE((c.status == 0 ? r.out : r.err).find(c.said), std::string::npos)
            << r.out << r.err;
        if (c.status != 0) {
            EXPECT_EQ(r.out, "");
            EXPECT_FALSE(files::exists(out));
        }
        EXPECT_EQ(dir.read("JA1ABC.DAT"), log);
        std::remove(out.c_str());
    }

    // The empty log exported: a file without records, and done.
    const Outcome empty = vezolog({"export-adif", D, "EMPTY", "-o", out});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_NE(files::readAll(out).value_or("").find("<EOH>"), std::string::npos);
    ASSERT_EQ(std::remove(out.c_str()), 0);

    // A special-prefix table that exists and cannot be read is not taken for an empty one.
    ASSERT_EQ(std::remove(dir.file("PreFix.CFG").c_str()), 0);
    ASSERT_EQ(::mkdir(dir.file("PreFix.CFG").c_str(), 0700), 0);
    for (const char *command : {"info", "export-adif", "import-adif"}) {
        SCOPED_TRACE(command);
        cli::Args args{command, D, "JA1ABC"};
        if (args[0] == "export-adif")
            args.insert(args.end(), {"-o", out});
        if (args[0] == "import-adif")
            args.push_back(dir.path() + "/own.adi");
        const Outcome r = vezolog(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("cannot read " + dir.file("PreFix.CFG")), std::string::npos) << r.err;
        EXPECT_FALSE(files::exists(out));
    }
    // Without a table every callsign is taken as it reads, as in the window.
    ASSERT_EQ(::rmdir(dir.file("PreFix.CFG").c_str()), 0);
    EXPECT_NE(vezolog({"info", D, "JA1ABC"}).out.find("area 1\t17\n"), std::string::npos);
}
