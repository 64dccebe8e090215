// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include "app/user_settings.h"
#include "log/log_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace vz;

namespace {

struct PrintCommandFixture
{
    test::TempDir dir;
    PrintCommandFixture()
    {
        dir.installPrefixTable();
        for (std::int32_t n = 1; n <= 3; ++n) {
            log::QsoRecord r;
            r.setField(log::Field::Callsign, "JA1AAA");
            r.setQslFlag(n != 2);
            EXPECT_EQ(log::appendRecord(dir.file("JA1ABC.DAT"), n, r), log::IoResult::Ok);
        }
    }
    int run(cli::Args args, std::string *err = nullptr)
    {
        std::ostringstream out;
        std::ostringstream errors;
        const int status = cli::runPrintCommand(args, out, errors);
        if (err)
            *err = errors.str();
        return status;
    }
};

} // namespace

TEST(PrintCommand, UnissuedCardsGoToThePdfAndAreMarkedIssued)
{
    PrintCommandFixture f;
    const std::string pdf = f.dir.path() + "/cards.pdf";
    ASSERT_EQ(f.run({"postcard", f.dir.dataDir(), "JA1ABC", "--unissued", "--pdf", pdf}), 0);
    EXPECT_EQ(f.dir.read("../cards.pdf").substr(0, 5), "%PDF-");
    log::QsoRecord r;
    log::readRecord(f.dir.file("JA1ABC.DAT"), 3, r);
    EXPECT_FALSE(r.qslPending());
    EXPECT_EQ(app::readUserSettings(f.dir.file("JA1ABC.ini")).settings.cardNo, "3");

    std::string err;
    EXPECT_EQ(f.run({"postcard", f.dir.dataDir(), "JA1ABC", "--unissued", "--pdf", pdf}, &err), 0);
    EXPECT_NE(err.find("no card"), std::string::npos);
}

TEST(PrintCommand, BadArgumentsAndFileErrors)
{
    PrintCommandFixture f;
    const std::string pdf = f.dir.path() + "/cards.pdf";
    std::string err;
    EXPECT_EQ(
        f.run({"vertical", f.dir.dataDir(), "JA1ABC", "--from", "1", "--to", "4", "--pdf", pdf},
              &err),
        2);
    EXPECT_NE(err.find("範囲外のナンバーです"), std::string::npos);
    EXPECT_EQ(f.run({"blank", f.dir.dataDir(), "JA1ABC", "--from", "1", "--pdf", pdf}), 2);
    EXPECT_EQ(f.run({"postcard", f.dir.dataDir(), "JA1ABC", "--unissued"}), 2);
    EXPECT_EQ(f.run({"blank", f.dir.dataDir(), "JA1ABC", "--count", "x", "--pdf", pdf}), 2);
    EXPECT_EQ(f.run({"blank", f.dir.dataDir(), "JA1ABC", "--count", "2", "--pdf",
                     f.dir.path() + "/missing/cards.pdf"}),
              1);
    EXPECT_EQ(f.run({"test", f.dir.dataDir(), "JA1ABC", "--vertical", "--pdf", pdf}), 0);
    log::QsoRecord r;
    log::readRecord(f.dir.file("JA1ABC.DAT"), 1, r);
    EXPECT_TRUE(r.qslPending());
}
