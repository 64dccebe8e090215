// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include "app/user_settings.h"
#include "log/log_file.h"

#include "support/command_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace vz;
using vz::test::sj;

namespace {

using test::CommandRun;
using test::runCommand;

} // namespace

// The own JCC comes from the settings (the mobile one while operating mobile), the range limits
// the records, and the file imports into another user's empty log with a summary.
TEST(AdifCommands, ExportRangeWithOwnJccThenImport)
{
    test::TempDir dir;
    dir.installPrefixTable();
    const std::string log = dir.file("JA1ZZZ.DAT");
    std::int32_t n = 1;
    for (const char *call : {"JA1AAA", "JH3BBB", "W1AW", "JA6CCC"}) {
        log::FieldTexts t;
        t[0] = call;
        t[3] = "26/03/0" + std::to_string(n);
        t[4] = "12:00";
        t[9] = sj("鈴木");
        log::appendRecord(log, n, log::buildRecord(t, n % 2 == 0, true));
        ++n;
    }
    app::UserSettings settings;
    settings.fixedJcc = "100110";
    settings.mobileJcc = "2501";
    settings.mobileOperation = true;
    ASSERT_TRUE(app::writeUserSettings(dir.file("JA1ZZZ.ini"), settings, {}));

    const std::string out = dir.path() + "/part.adi"; // beside the data folder, not in it
    const CommandRun exported =
        runCommand(cli::runExportAdif, {dir.dataDir(), "JA1ZZZ", "--from", "2", "--to", "3",
                                        "--charset", "shift_jis", "-o", out});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_NE(exported.err.find("出力 2 件"), std::string::npos) << exported.err;
    const std::string adi = dir.read("../part.adi");
    EXPECT_NE(adi.find("<MY_CNTY:4>2501 <MY_STATE:2>25"), std::string::npos);
    EXPECT_NE(adi.find("<STATION_CALLSIGN:6>JA1ZZZ"), std::string::npos);
    EXPECT_EQ(adi.find("JA1AAA"), std::string::npos);

    dir.write("JA2NEW.DAT", "");
    const CommandRun dry =
        runCommand(cli::runImportAdif, {dir.dataDir(), "JA2NEW", out, "--dry-run"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    EXPECT_NE(dry.err.find("取込予定 2 件"), std::string::npos) << dry.err;
    EXPECT_EQ(dir.read("JA2NEW.DAT").size(), 0u);
    const CommandRun imported = runCommand(cli::runImportAdif, {dir.dataDir(), "JA2NEW", out});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_NE(imported.err.find("文字コード shift_jis"), std::string::npos) << imported.err;
    EXPECT_EQ(dir.read("JA2NEW.DAT"), dir.read("JA1ZZZ.DAT").substr(254, 2 * 254));
}

TEST(AdifCommands, UsageAndMissingFiles)
{
    test::TempDir dir;
    dir.write("JA1ZZZ.DAT", "");
    EXPECT_EQ(runCommand(cli::runExportAdif, {dir.dataDir(), "JA1ZZZ"}).status, 2);
    EXPECT_EQ(runCommand(cli::runExportAdif,
                         {dir.dataDir(), "JA1ZZZ", "--charset", "latin1", "-o", dir.file("x.adi")})
                  .status,
              2);
    EXPECT_EQ(runCommand(cli::runImportAdif, {dir.dataDir(), "JA1ZZZ", "x.adi", "--fast"}).status,
              2);
    const CommandRun missing =
        runCommand(cli::runImportAdif, {dir.dataDir(), "JA1ZZZ", dir.file("no.adi")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("ADIFファイルが読めません"), std::string::npos);
    // An export that cannot be written says so and fails.
    const CommandRun unwritable = runCommand(
        cli::runExportAdif, {dir.dataDir(), "JA1ZZZ", "-o", dir.path() + "/no/such/dir/x.adi"});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("書き込めません"), std::string::npos) << unwritable.err;
}

// The output never lands in the data folder (whatever its spelling, or through a link) nor on
// anything but a regular file; the log stays as it was and the summary claims no records.
TEST(AdifCommands, ExportRefusesTheDataFolderAndSpecialFiles)
{
    test::TempDir dir;
    dir.installPrefixTable();
    for (std::int32_t n = 1; n <= 3; ++n) {
        log::FieldTexts t;
        t[0] = "JA1AAA";
        t[3] = "26/03/01";
        t[4] = "12:0" + std::to_string(n);
        log::appendRecord(dir.file("JA1ZZZ.DAT"), n, log::buildRecord(t, false, true));
    }
    const std::string log = dir.read("JA1ZZZ.DAT");
    ASSERT_EQ(::mkfifo((dir.path() + "/fifo").c_str(), 0644), 0);
    ASSERT_EQ(::symlink(dir.dataDir().c_str(), (dir.path() + "/linked").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("JA1ZZZ.DAT").c_str(), (dir.path() + "/log.adi").c_str()), 0);
    const struct
    {
        std::string out;
        const char *says;
    } cases[] = {
        {dir.file("JA1ZZZ.DAT"), "データフォルダ"},
        {dir.path() + "/data/ja1zzz.dat", "データフォルダ"},
        {dir.file("new.adi"), "データフォルダ"},
        {dir.path() + "/linked/JA1ZZZ.DAT", "データフォルダ"},
        {dir.path() + "/log.adi", "データフォルダ"},
        {dir.path() + "/Data/../Data/x.adi", "データフォルダ"},
        {dir.path() + "/fifo", "通常のファイルではありません"},
        {dir.path(), "通常のファイルではありません"},
    };
    for (const auto &c : cases) {
        const CommandRun r = runCommand(cli::runExportAdif, {dir.dataDir(), "JA1ZZZ", "-o", c.out});
        EXPECT_EQ(r.status, 1) << c.out;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.out << ": " << r.err;
        EXPECT_EQ(r.err.find("出力 "), std::string::npos) << c.out << ": " << r.err;
        EXPECT_EQ(dir.read("JA1ZZZ.DAT"), log) << c.out;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("new.adi")));
    struct stat st
    {
    };
    ASSERT_EQ(::lstat((dir.path() + "/fifo").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    // Beside the data folder is fine.
    EXPECT_EQ(runCommand(cli::runExportAdif, {dir.dataDir(), "JA1ZZZ", "-o", dir.path() + "/x.adi"})
                  .status,
              0);
}

// A file cut off inside a contact (a length past its end, an element never closed) imports the
// contacts before it, names the one it did not log, and fails; so do a FIFO and a folder given
// as the file, which are never read.
TEST(AdifCommands, CutOffAndSpecialFilesFail)
{
    test::TempDir dir;
    dir.installPrefixTable();
    const std::string contact = "<QSO_DATE:8>20260101<TIME_ON:4>0000";
    dir.write("cut.adi",
              "<CALL:6>JA1AAA" + contact + "<EOR>\n<CALL:6>JA1AAB" + contact + "<NAME:10>Tar");
    dir.write("JA2NEW.DAT", "");
    const CommandRun cut =
        runCommand(cli::runImportAdif, {dir.dataDir(), "JA2NEW", dir.file("cut.adi")});
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(cut.err.find("取込 1 件"), std::string::npos) << cut.err;
    EXPECT_NE(cut.err.find("2 件目 JA1AAB: ファイルが途中で切れています"), std::string::npos)
        << cut.err;
    EXPECT_EQ(dir.read("JA2NEW.DAT").size(), 254u);

    ASSERT_EQ(::mkfifo(dir.file("fifo.adi").c_str(), 0644), 0);
    for (const std::string &special : {dir.file("fifo.adi"), dir.path()}) {
        const CommandRun r = runCommand(cli::runImportAdif, {dir.dataDir(), "JA2NEW", special});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("通常のファイルではありません"), std::string::npos) << r.err;
    }
}

// An import that refused any contact fails, in a dry run as well, and says how many; contacts
// already in the log do not. The report lists every contact; ADI is UTF-8 unless told.
TEST(AdifCommands, RefusalsFailReportsListAndAdiIsUtf8)
{
    test::TempDir dir;
    dir.installPrefixTable();
    dir.write("JA2NEW.DAT", "");
    const std::string good = "<CALL:6>JA1AAA<QSO_DATE:8>20260101<TIME_ON:4>0000<NAME:6>山田<EOR>\n";
    const std::string bad = "<CALL:6>JA1AAB<QSO_DATE:8>19491231<TIME_ON:4>0000<EOR>\n"
                            "<CALL:10>VP2E/K1ABC<QSO_DATE:8>20260101<TIME_ON:4>0000<EOR>\n";
    const std::string in = dir.path() + "/in.adi";
    const std::string goodOnly = dir.path() + "/good.adi";
    const std::string report = dir.path() + "/report.txt";
    std::FILE *f = std::fopen(in.c_str(), "wb");
    std::fputs((good + bad).c_str(), f);
    std::fclose(f);
    f = std::fopen(goodOnly.c_str(), "wb");
    std::fputs(good.c_str(), f);
    std::fclose(f);

    const CommandRun dry =
        runCommand(cli::runImportAdif, {dir.dataDir(), "JA2NEW", in, "--dry-run"});
    EXPECT_EQ(dry.status, 1);
    EXPECT_NE(dry.err.find("取込不可の交信が 2 件あります"), std::string::npos) << dry.err;
    EXPECT_EQ(dir.read("JA2NEW.DAT").size(), 0u);
    const CommandRun real =
        runCommand(cli::runImportAdif, {dir.dataDir(), "JA2NEW", in, "--report", report});
    EXPECT_EQ(real.status, 1);
    EXPECT_EQ(dir.read("JA2NEW.DAT").size(), 254u);
    const std::string listed = dir.read("../report.txt");
    EXPECT_NE(listed.find("2 件目 JA1AAB: 交信年月日 19491231 が 1950〜2049 年の範囲外です"),
              std::string::npos)
        << listed;
    EXPECT_NE(listed.find("3 件目 VP2E/K1ABC: 添え字 VP2E が3文字を超えています"),
              std::string::npos)
        << listed;
    EXPECT_EQ(runCommand(cli::runImportAdif, {dir.dataDir(), "JA2NEW", goodOnly}).status, 0);
    // The report is never written into the data folder.
    EXPECT_EQ(runCommand(cli::runImportAdif,
                         {dir.dataDir(), "JA2NEW", goodOnly, "--report", dir.file("r.txt")})
                  .status,
              1);

    const std::string out = dir.path() + "/out.adi";
    ASSERT_EQ(runCommand(cli::runExportAdif, {dir.dataDir(), "JA2NEW", "-o", out}).status, 0);
    EXPECT_NE(dir.read("../out.adi").find("<NAME:6>山田"), std::string::npos);
}
