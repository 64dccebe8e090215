// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include "log/log_file.h"

#include "support/command_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace vz;
using vz::test::sj;

namespace {

using test::CommandRun;
using test::runCommand;

struct LogFixture
{
    test::TempDir dir;
    LogFixture()
    {
        dir.installPrefixTable();
        const std::string log = dir.file("JA1ABC.DAT");
        std::int32_t n = 1;
        for (const char *call : {"JA1AAA", "7K1BBB", "W1AW", "JA3CCC"}) {
            log::FieldTexts t;
            t[0] = call;
            t[5] = sj("千代田区");
            t[19] = "12:00";
            log::appendRecord(log, n, log::buildRecord(t, false, true));
            ++n;
        }
        log::markDeleted(log, 4, false);
        dir.write("JA1ABC.DAT", dir.read("JA1ABC.DAT") + "partial");
    }
};

} // namespace

TEST(Vezolog, InfoCountsRecordsAreasAndDeleted)
{
    LogFixture f;
    const CommandRun r = runCommand(cli::runInfo, {f.dir.dataDir(), "JA1ABC"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("records\t4\n"), std::string::npos);
    EXPECT_NE(r.out.find("NextRecordNo\t5\n"), std::string::npos);
    EXPECT_NE(r.out.find("area 1\t2\n"), std::string::npos); // 7K1 through the prefix table
    EXPECT_NE(r.out.find("area 10\t1\n"), std::string::npos);
    EXPECT_NE(r.out.find("area 3\t0\n"), std::string::npos);
    EXPECT_NE(r.out.find("deleted\t1\n"), std::string::npos);
}

TEST(Vezolog, DumpPrintsEveryRecordAsUtf8Columns)
{
    LogFixture f;
    const CommandRun r = runCommand(cli::runDump, {f.dir.dataDir(), "JA1ABC"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::string first;
    std::getline(lines, first);
    EXPECT_EQ(first,
              "1\tJA1AAA\t-\t-\t-\t-\t千代田区\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t12:00\t0");
    int count = 1;
    for (std::string line; std::getline(lines, line);)
        ++count;
    EXPECT_EQ(count, 4);
}

TEST(Vezolog, ClearErrorsForMissingDirectoryLogOrBadCallsign)
{
    LogFixture f;
    CommandRun r = runCommand(cli::runInfo, {"/nonexistent", "JA1ABC"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("no data directory"), std::string::npos);
    r = runCommand(cli::runDump, {f.dir.dataDir(), "JA9ZZZ"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("no log for JA9ZZZ"), std::string::npos);
    r = runCommand(cli::runInfo, {f.dir.dataDir(), "../JA1ABC"});
    EXPECT_NE(r.status, 0);
    r = runCommand(cli::runInfo, {f.dir.dataDir()});
    EXPECT_EQ(r.status, 2);
}
