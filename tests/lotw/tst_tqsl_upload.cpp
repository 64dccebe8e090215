// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog lotw-upload against a stand-in for tqsl (a shell script that records how it was run
// and ends with the status it is told), since only LoTW itself gives 2 and 11.
#include "cli/commands.h"
#include "log/log_file.h"
#include "lotw/sent_list.h"
#include "lotw/tqsl_settings.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vz;

namespace {

constexpr const char *kStandIn = R"SH(#!/bin/sh
here=$(dirname "$0")
printf '%s\n' "$@" > "$here/args"
for last; do :; done
cp "$last" "$here/given.adi"
[ -f "$here/sleep" ] && sleep "$(cat "$here/sleep")"
cat "$here/lines" 2>/dev/null
exit "$(cat "$here/status")"
)SH";

struct UploadRun
{
    int status;
    std::string out;
    std::string err;
};

class TqslUpload : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        m_bin = dir.path() + "/bin";
        std::filesystem::create_directory(m_bin);
        std::ofstream(m_bin + "/tqsl") << kStandIn;
        std::filesystem::permissions(m_bin + "/tqsl", std::filesystem::perms::owner_all);
        ::setenv("PATH", (m_bin + ":" + m_oldPath).c_str(), 1);
        dir.installPrefixTable();
        log = dir.file("JA1ZZZ.DAT");
        dir.write("JA1ZZZ.DAT", "");
    }
    void TearDown() override { ::setenv("PATH", m_oldPath.c_str(), 1); }

    void add(const char *call, const char *date, const char *time, const char *freq,
             const char *mode)
    {
        log::FieldTexts t;
        t[0] = call;
        t[3] = date;
        t[4] = time;
        t[12] = freq;
        t[13] = mode;
        const std::int32_t next = log::recordCount(log) + 1;
        ASSERT_EQ(log::appendRecord(log, next, log::buildRecord(t, false, true)),
                  log::IoResult::Ok);
    }
    void answer(int status, const std::string &lines = "")
    {
        std::ofstream(m_bin + "/status") << status;
        std::ofstream(m_bin + "/lines") << lines;
    }
    std::string standIn(const char *name) const
    {
        std::ifstream in(m_bin + "/" + name);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    UploadRun upload(cli::Args extra = {})
    {
        cli::Args args{dir.dataDir(), "JA1ZZZ", "--location", "Home"};
        args.insert(args.end(), extra.begin(), extra.end());
        std::ostringstream out, err;
        const int status = cli::runLotwUpload(args, out, err);
        return {status, out.str(), err.str()};
    }
    std::string sentList() const { return dir.read("JA1ZZZ_LoTW.txt"); }

    test::TempDir dir;
    std::string log;
    std::string m_bin;
    std::string m_oldPath;
};

} // namespace

// Every exit status TQSL documents: its message, TQSL's lines under it, and whether the
// contacts count as sent. 8 with "Signing aborted" is what the real tqsl gives without a
// certificate: nothing was signed, so nothing is marked.
TEST_F(TqslUpload, ExitStatusesDecideMessageAndMarks)
{
    add("W1AW", "26/03/01", "01:30", "7.074", "FT8");
    add("JA2AAA", "26/03/02", "08:30", "14.025", "CW"); // JST: 23:30 UTC the day before
    struct Case
    {
        int status;
        std::string lines;
        bool marked;
        int exit;
        const char *message;
    };
    const std::string aborted = "There are no valid callsign certificates for callsign JA1ZZZ\n"
                                "Signing aborted.\nFinal Status: No QSOs written(8)\n";
    const Case cases[] = {
        {2, "Final Status: Rejected by LoTW(2)\n", false, 1, "LoTW が受け付けませんでした"},
        {11, "Final Status: Connection failed(11)\n", false, 1, "LoTW に接続できませんでした"},
        {10, "The selected station location could not be found\n", false, 1,
         "「Home」が TQSL にない"},
        {8, aborted, false, 1, "署名を中止しました"},
        {4, "Final Status: Error(4)\n", false, 1, "終了状態 4"},
        {9, "Final Status: Some QSOs were duplicates(9)\n", true, 0,
         "一部の交信だけを送信しました"},
        {8, "Final Status: No QSOs written(8)\n", true, 0, "新しく送る交信はありませんでした"},
        {0, "Final Status: Success(0)\n", true, 0, "2 件の交信を送信しました"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.status);
        std::filesystem::remove(dir.file("JA1ZZZ_LoTW.txt"));
        answer(c.status, c.lines);
        const UploadRun r = upload();
        EXPECT_EQ(r.status, c.exit);
        const std::string said = c.exit == 0 ? r.out : r.err;
        EXPECT_NE(said.find(c.message), std::string::npos) << said;
        const std::string lastLine = c.lines.substr(c.lines.rfind('\n', c.lines.size() - 2) + 1);
        EXPECT_NE(said.find("  tqsl: " + lastLine.substr(0, lastLine.size() - 1)),
                  std::string::npos)
            << said;
        EXPECT_EQ(dir.read("JA1ZZZ_LoTW.txt").find("W1AW\t20260301\t0130\t40m\tFT8") !=
                      std::string::npos,
                  c.marked)
            << (c.marked ? "not marked" : "marked");
    }
    EXPECT_NE(sentList().find("JA2AAA\t20260301\t2330\t20m\tCW"), std::string::npos);
    const std::string args = standIn("args");
    EXPECT_TRUE(args.starts_with("-d\n-q\n-a\ncompliant\n-l\nHome\n-u\n/")) << args;
}

// Only what was not sent goes to TQSL; the list names contacts, not record numbers, so a
// reorganized log (same contacts, other numbers) sends nothing twice. Deleted contacts and
// those LoTW cannot take are left out, the latter listed.
TEST_F(TqslUpload, SendsOnlyUnsentContactsWhateverTheirNumbers)
{
    add("W1AW", "26/03/01", "01:30", "7.074", "FT8");
    add("K1ABC", "26/03/01", "02:00", "14.074", "FT8");
    answer(0);
    ASSERT_EQ(upload().status, 0);

    add("DL1XYZ", "26/03/03", "10:00", "21.074", "FT4");
    add("VK2AA", "26/03/03", "11:00", "", "SSB"); // no frequency: no band
    add("F5AA", "26/03/03", "12:00", "7.010", "CW");
    ASSERT_EQ(log::markDeleted(log, 5, false), log::IoResult::Ok);
    UploadRun r = upload();
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("送信する交信: 1 件 (送信済み 2 件)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("送れない交信 4: バンドがわかりません"), std::string::npos) << r.out;
    const std::string given = standIn("given.adi");
    EXPECT_NE(given.find("<CALL:6>DL1XYZ"), std::string::npos) << given;
    EXPECT_NE(given.find("<SUBMODE:3>FT4"), std::string::npos) << given;
    EXPECT_EQ(given.find("W1AW"), std::string::npos);
    EXPECT_EQ(given.find("F5AA"), std::string::npos);
    EXPECT_EQ(given.find("STATION_CALLSIGN"), std::string::npos); // TQSL's location says it

    // The records in another order, as after a reorganize: nothing new to send.
    const std::string bytes = dir.read("JA1ZZZ.DAT");
    dir.write("JA1ZZZ.DAT", bytes.substr(254 * 2, 254) + bytes.substr(0, 254 * 2));
    r = upload({"--dry-run"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("送信する交信: 0 件 (送信済み 3 件)"), std::string::npos) << r.out;
}

// A tqsl that waits (a password dialog) is stopped at the time limit; a missing tqsl says how
// to install it. Neither marks anything.
TEST_F(TqslUpload, TimeLimitAndMissingTqsl)
{
    add("W1AW", "26/03/01", "01:30", "7.074", "FT8");
    answer(0);
    std::ofstream(m_bin + "/sleep") << 30;
    const auto started = std::chrono::steady_clock::now();
    UploadRun r = upload({"--time-limit", "1"});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("1 秒で終わらないので止めました"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("JA1ZZZ_LoTW.txt")));

    ::setenv("PATH", dir.path().c_str(), 1);
    r = upload();
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("sudo apt install trustedqsl"), std::string::npos) << r.err;
    r = upload({"--dry-run"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("sudo apt install trustedqsl"), std::string::npos) << r.err;
}

// The list is merged with what another program added meanwhile and never holds a contact
// twice; the station locations come from TQSL's XML with its references undone.
TEST(SentList, MergesAndStationDataNames)
{
    test::TempDir dir;
    const std::string path = dir.file("JA1ZZZ_LoTW.txt");
    const lotw::SentKey a{"W1AW", "20260301", "0130", "40m", "FT8"};
    const lotw::SentKey b{"K1ABC/4", "20260301", "0200", "20m", "MFSK/FT4"};
    ASSERT_EQ(lotw::addSent(path, {a}), lotw::AddResult::Ok);
    ASSERT_EQ(lotw::addSent(path, {a, b}), lotw::AddResult::Ok);
    lotw::SentList list;
    ASSERT_EQ(list.load(path), lotw::SentList::Load::Ok);
    EXPECT_EQ(list.size(), 2u);
    EXPECT_TRUE(list.contains(b));
    EXPECT_EQ(lotw::sentListPath("/d/Data/JA1ZZZ.DAT"), "/d/Data/JA1ZZZ_LoTW.txt");

    dir.write("station_data", "<StationDataFile>\n <StationData name=\"Home &amp; Away\">\n"
                              "  <CALL>JA1ZZZ</CALL>\n </StationData>\n"
                              " <StationData name='Portable'><CALL>JA1ZZZ</CALL></StationData>\n"
                              "</StationDataFile>\n");
    EXPECT_EQ(lotw::stationLocations(dir.file("station_data")),
              (std::vector<std::string>{"Home & Away", "Portable"}));
    EXPECT_TRUE(lotw::stationLocations(dir.file("none")).empty());
}
