// SPDX-License-Identifier: GPL-3.0-or-later
// The LoTW page on the personal information and "LoTWへ送信" with tqsl in a QProcess, against
// a stand-in for tqsl.
#include "lotw/ui/tqsl_page.h"
#include "lotw/ui/tqsl_upload_run.h"

#include "common/profile_file.h"
#include "log/log_file.h"

#include "support/window_fixture.h"

#include <QComboBox>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace vz;
using namespace vz::ui;

namespace {

// Keeps HOME and PATH of the test program and puts them back.
struct Environment
{
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ~Environment()
    {
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("PATH", path.c_str(), 1);
    }
};

struct Fixture : test::WindowFixture
{
    Environment saved;
    Fixture()
    {
        state.currentCall = "JA1ZZZ";
        app::buildUserPaths(state);
        ::setenv("HOME", dir.path().c_str(), 1);
        std::filesystem::create_directories(dir.path() + "/.tqsl");
        std::ofstream(dir.path() + "/.tqsl/station_data")
            << "<StationDataFile><StationData name=\"Home\"><CALL>JA1ZZZ</CALL></StationData>"
               "<StationData name=\"Portable 2\"><CALL>JA1ZZZ</CALL></StationData>"
               "</StationDataFile>\n";
    }
};

} // namespace

// TQSL's locations are offered; the [LoTW] section is written only once the operator changes
// something, and then only its keys.
TEST(TqslPage, OffersTqslLocationsAndWritesOnlyWhenChanged)
{
    Fixture f;
    f.dir.write("JA1ZZZ.ini", "[Other]\nKey=1\n");
    TqslPage page(f.state);
    page.load();
    auto *combo = page.findChild<QComboBox *>("locationCombo");
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(1), "Portable 2");
    ASSERT_TRUE(page.save());
    EXPECT_EQ(f.dir.read("JA1ZZZ.ini"), "[Other]\nKey=1\n");

    combo->setCurrentIndex(1);
    ASSERT_TRUE(page.save());
    const auto file = ProfileFile::load(f.dir.file("JA1ZZZ.ini"));
    EXPECT_EQ(file->text("LoTW", "Location", ""), "Portable 2");
    EXPECT_EQ(file->text("Other", "Key", ""), "1");
    page.load();
    EXPECT_EQ(combo->currentText(), "Portable 2");
}

// The window's run: asks first, runs tqsl with the chosen location, shows TQSL's lines, and
// marks on success only; without a location it says where to choose one.
TEST(TqslUploadRun, AsksRunsAndShowsTqslLines)
{
    Fixture f;
    f.dir.installPrefixTable();
    f.state.prefixTable.setPath(f.state.prefixPath);
    log::FieldTexts t;
    t[0] = "W1AW";
    t[3] = "26/03/01";
    t[4] = "01:30";
    t[12] = "7.074";
    t[13] = "FT8";
    ASSERT_EQ(log::appendRecord(f.state.logPath, 1, log::buildRecord(t, false, true)),
              log::IoResult::Ok);
    QWidget parent;
    QtTqslRunner runner(&parent);

    uploadToLotw(f.state, f.services.messages, runner);
    EXPECT_TRUE(f.messages.last().contains("局の所在地を選んで"))
        << f.messages.last().toStdString();

    ASSERT_TRUE(lotw::writeTqslSettings(f.state.settingsPath, {"Home", "tqsl"}));
    const std::string bin = f.dir.path() + "/bin";
    std::filesystem::create_directory(bin);
    std::ofstream(bin + "/tqsl") << "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/args\"\n"
                                    "echo 'Final Status: Connection failed(11)'\nexit 11\n";
    std::filesystem::permissions(bin + "/tqsl", std::filesystem::perms::owner_all);
    ::setenv("PATH", (bin + ":" + f.saved.path).c_str(), 1);

    f.messages.confirmAnswer = false;
    uploadToLotw(f.state, f.services.messages, runner);
    EXPECT_TRUE(f.messages.last().contains("1 件の交信を TQSL (局の所在地「Home」)"));
    EXPECT_FALSE(std::filesystem::exists(bin + "/args")) << "ran after No";

    f.messages.confirmAnswer = true;
    uploadToLotw(f.state, f.services.messages, runner);
    EXPECT_TRUE(f.messages.last().contains("LoTW に接続できませんでした"))
        << f.messages.last().toStdString();
    EXPECT_TRUE(f.messages.last().contains("Final Status: Connection failed(11)"));
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("JA1ZZZ_LoTW.txt")));

    std::ofstream(bin + "/tqsl") << "#!/bin/sh\necho 'Final Status: Success(0)'\nexit 0\n";
    uploadToLotw(f.state, f.services.messages, runner);
    EXPECT_TRUE(f.messages.last().contains("1 件の交信を送信しました"))
        << f.messages.last().toStdString();
    EXPECT_NE(f.dir.read("JA1ZZZ_LoTW.txt").find("W1AW\t20260301\t0130\t40m\tFT8"),
              std::string::npos);
    uploadToLotw(f.state, f.services.messages, runner);
    EXPECT_TRUE(f.messages.last().contains("新しく送る交信はありません (送信済み 1 件)"));
}
