// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog awards: the award table as lines, per prefecture and per place.
#include "cli/commands.h"

#include "awards/award_fixtures.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace vz;
using namespace vz::test;

TEST(AwardsCommand, PrintsPrefecturesAndPlacesExactly)
{
    TempDir dir;
    writeLog(dir, sharedLog());
    writeMasters(dir);
    const auto run = [&](cli::Args extra, std::string &out) {
        cli::Args args{dir.dataDir(), "JA1ZZZ"};
        args.insert(args.end(), extra.begin(), extra.end());
        std::ostringstream o;
        std::ostringstream e;
        const int status = cli::runAwards(args, o, e);
        out = o.str();
        return status;
    };
    std::string out;
    ASSERT_EQ(run({}, out), 0);
    std::istringstream lines(out);
    std::vector<std::string> all;
    for (std::string line; std::getline(lines, line);)
        all.push_back(line);
    ASSERT_EQ(all.size(), 49u);
    EXPECT_EQ(all[0], "01\t北海道\t1\t0\t1");
    EXPECT_EQ(all[9], "10\t東京都\t3\t2\t2");
    EXPECT_EQ(all[10], "11\t神奈川県\t0\t0\t1");
    EXPECT_EQ(all[46], "47\t沖縄県\t0\t0\t0");
    EXPECT_EQ(all[47], "total\t\t4\t2\t4");
    EXPECT_EQ(all[48], "not counted\t\t2");

    ASSERT_EQ(run({"--prefecture", "10"}, out), 0);
    EXPECT_EQ(out, "1001\t東京都区部\t1\t1\t1\n"
                   "1002\t八王子市\t1\t1\t4\n"
                   "1099\tマスタに無し\t1\t0\t5\n");
    ASSERT_EQ(run({"--ward", "--prefecture", "11"}, out), 0);
    EXPECT_EQ(out, "110101\t横浜市鶴見区\t0\t0\t0\n110102\t横浜市神奈川区\t0\t0\t0\n");
    ASSERT_EQ(run({"--jcg", "--prefecture", "01"}, out), 0);
    EXPECT_EQ(out, "01006\t亀田郡\t0\t0\t0\n");

    // A mark set in the settings file.
    dir.write("JA1ZZZ.ini", sj("[アワード]\r\n受領確認マーク=A\r\n"));
    ASSERT_EQ(run({"--jcg", "--prefecture", "11"}, out), 0);
    EXPECT_EQ(out, "11001\t足柄上郡\t1\t1\t6\n");

    for (const cli::Args &bad : std::vector<cli::Args>{{"--ward", "--jcg"},
                                                       {"--prefecture", "48"},
                                                       {"--prefecture", "0"},
                                                       {"--prefecture"},
                                                       {"--city"}})
        EXPECT_EQ(run(bad, out), 2) << bad.front();
    // A user with no log yet has nothing to count: all zeros, and done.
    cli::Args missing{dir.dataDir(), "JA9NONE"};
    std::ostringstream o;
    std::ostringstream e;
    EXPECT_EQ(cli::runAwards(missing, o, e), 0) << e.str();
    EXPECT_NE(o.str().find("01\t北海道\t0\t0\t1\n"), std::string::npos) << o.str();
    EXPECT_NE(o.str().find("total\t\t0\t0\t4\n"), std::string::npos) << o.str();
}
