// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include "app/user_settings.h"
#include "log/log_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace vz;
using vz::test::sj;

namespace {

struct CommandRun
{
    int status;
    std::string err;
};

CommandRun run(int (*command)(const cli::Args &, std::ostream &, std::ostream &), cli::Args args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = command(args, out, err);
    return {status, err.str()};
}

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

    const std::string out = dir.file("part.adi");
    const CommandRun exported =
        run(cli::runExportAdif, {dir.dataDir(), "JA1ZZZ", "--from", "2", "--to", "3", "--charset",
                                 "shift_jis", "-o", out});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_NE(exported.err.find("出力 2 件"), std::string::npos) << exported.err;
    const std::string adi = dir.read("part.adi");
    EXPECT_NE(adi.find("<MY_CNTY:4>2501 <MY_STATE:2>25"), std::string::npos);
    EXPECT_NE(adi.find("<STATION_CALLSIGN:6>JA1ZZZ"), std::string::npos);
    EXPECT_EQ(adi.find("JA1AAA"), std::string::npos);

    dir.write("JA2NEW.DAT", "");
    const CommandRun dry = run(cli::runImportAdif, {dir.dataDir(), "JA2NEW", out, "--dry-run"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    EXPECT_NE(dry.err.find("取込予定 2 件"), std::string::npos) << dry.err;
    EXPECT_EQ(dir.read("JA2NEW.DAT").size(), 0u);
    const CommandRun imported = run(cli::runImportAdif, {dir.dataDir(), "JA2NEW", out});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_NE(imported.err.find("文字コード shift_jis"), std::string::npos) << imported.err;
    EXPECT_EQ(dir.read("JA2NEW.DAT"), dir.read("JA1ZZZ.DAT").substr(254, 2 * 254));
}

TEST(AdifCommands, UsageAndMissingFiles)
{
    test::TempDir dir;
    dir.write("JA1ZZZ.DAT", "");
    EXPECT_EQ(run(cli::runExportAdif, {dir.dataDir(), "JA1ZZZ"}).status, 2);
    EXPECT_EQ(run(cli::runExportAdif,
                  {dir.dataDir(), "JA1ZZZ", "--charset", "latin1", "-o", dir.file("x.adi")})
                  .status,
              2);
    EXPECT_EQ(run(cli::runImportAdif, {dir.dataDir(), "JA1ZZZ", "x.adi", "--fast"}).status, 2);
    const CommandRun missing =
        run(cli::runImportAdif, {dir.dataDir(), "JA1ZZZ", dir.file("no.adi")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("ADIFファイルが読めません"), std::string::npos);
    // An export that cannot be written says so and fails.
    const CommandRun unwritable =
        run(cli::runExportAdif, {dir.dataDir(), "JA1ZZZ", "-o", dir.path() + "/no/such/dir/x.adi"});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("書き込めません"), std::string::npos) << unwritable.err;
}
