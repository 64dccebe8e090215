// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/main_window.h"

#include "app/ui/record_range_dialog.h"

#include "app/user_registry.h"
#include "app/user_settings.h"
#include "log/log_file.h"

#include "support/window_fixture.h"

#include <QAbstractButton>
#include <QSpinBox>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::ui;

namespace {

std::string record(const std::string &call, const std::string &date, const std::string &time)
{
    log::FieldTexts t;
    t[0] = call;
    t[3] = date;
    t[4] = time;
    t[9] = test::sj("山田");
    const log::QsoRecord r = log::buildRecord(t, true, true);
    return std::string(r.bytes.data(), r.bytes.size());
}

// JA1ABC is the current user with two contacts; the file dialog answers with `chosen`.
struct Fixture : test::WindowFixture
{
    std::unique_ptr<MainWindow> form;
    std::optional<AdifFileChoice> chosen;

    Fixture()
    {
        dir.installPrefixTable();
        dir.write("Start.DAT", "JA1ABC");
        app::appendUser(dir.file("CallSign.DAT"), "JA1ABC");
        dir.write("JA1ABC.DAT",
                  record("JA1AAA", "26/01/02", "10:00") + record("W1AW", "26/01/03", "11:00"));
        app::UserSettings settings;
        settings.fixedJcc = "100110";
        app::writeUserSettings(dir.file("JA1ABC.ini"), settings, {});
        form = std::make_unique<MainWindow>(state, services, QString::fromStdString(dir.path()));
        EXPECT_TRUE(form->startUp());
        form->setAdifFileChooser([this](bool) { return chosen; });
        messages.texts.clear();
    }
    ~Fixture() { form->close(); }
    void click(Command id) { form->commandButton(id)->click(); }
};

} // namespace

TEST(MainWindowAdif, ExportWritesTheChosenFileAndShowsTheSummary)
{
    Fixture f;
    ASSERT_EQ(f.form->commandButton(Command::ExportAdif)->text(), "ADIF出力");
    f.chosen =
        AdifFileChoice{QString::fromStdString(f.dir.file("../out.adi")), adif::Charset::ShiftJis};
    f.click(Command::ExportAdif);
    ASSERT_EQ(f.messages.texts.size(), 1);
    EXPECT_EQ(f.messages.captions.back(), "通知");
    EXPECT_TRUE(f.messages.last().contains("出力 2 件")) << f.messages.last().toStdString();
    const std::string adi = f.dir.read("../out.adi");
    EXPECT_NE(adi.find(test::sj("山田")), std::string::npos);
    EXPECT_NE(adi.find("<MY_CNTY:6>100110"), std::string::npos);

    // Cancelling the file dialog does nothing; an unwritable place is reported.
    f.chosen.reset();
    f.click(Command::ExportAdif);
    EXPECT_EQ(f.messages.texts.size(), 1);
    f.chosen = AdifFileChoice{QString::fromStdString(f.dir.path() + "/none/out.adx"), {}};
    f.click(Command::ExportAdif);
    EXPECT_EQ(f.messages.captions.back(), "エラー");

    // The log's own file, spelt in another letter case, is refused before anything is written.
    const std::string log = f.dir.read("JA1ABC.DAT");
    f.chosen = AdifFileChoice{QString::fromStdString(f.dir.path() + "/data/ja1abc.dat"), {}};
    f.click(Command::ExportAdif);
    EXPECT_EQ(f.messages.captions.back(), "エラー");
    EXPECT_TRUE(f.messages.last().contains("データフォルダ")) << f.messages.last().toStdString();
    EXPECT_FALSE(f.messages.last().contains("出力 ")) << f.messages.last().toStdString();
    EXPECT_EQ(f.dir.read("JA1ABC.DAT"), log);
}

// An export can be narrowed to a range of record numbers; the range dialog never lets the range
// run backwards.
TEST(MainWindowAdif, ExportTakesOnlyTheChosenRange)
{
    Fixture f;
    f.chosen = AdifFileChoice{QString::fromStdString(f.dir.file("../second.adi")),
                              adif::Charset::ShiftJis, 2, 2};
    f.click(Command::ExportAdif);
    EXPECT_TRUE(f.messages.last().contains("出力 1 件")) << f.messages.last().toStdString();
    const std::string adi = f.dir.read("../second.adi");
    EXPECT_EQ(adi.find("JA1AAA"), std::string::npos);
    EXPECT_NE(adi.find("<CALL:4>W1AW"), std::string::npos);

    RecordRangeDialog range(f.state, f.services, 5);
    EXPECT_EQ(range.from(), 1);
    EXPECT_EQ(range.to(), 5);
    range.fromBox()->setValue(4);
    range.toBox()->setValue(2); // held at the first number
    EXPECT_EQ(range.to(), 4);
    range.fromBox()->setValue(5); // held at the last
    EXPECT_EQ(range.from(), 4);
    range.toBox()->setValue(9); // beyond the log
    EXPECT_EQ(range.to(), 5);
}

TEST(MainWindowAdif, ImportAppendsNumbersAndIndexesTheNewContacts)
{
    Fixture f;
    f.dir.write("in.adi", "<CALL:6>JA1AAA<QSO_DATE:8>20260102<TIME_ON:4>0100<EOR>" // in the log
                          "<CALL:8>JA3XYZ/1<QSO_DATE:8>20260105<TIME_ON:4>0100<EOR>"
                          "<CALL:4>K1AB<QSO_DATE:8>20260105<TIME_ON:4>0100<EOR>"
                          "<CALL:6>JA6XYZ<TIME_ON:4>0100<EOR>");
    f.chosen = AdifFileChoice{QString::fromStdString(f.dir.file("in.adi")), {}};
    // A portable contact is filed under its callsign's area, as opening the log files it.
    const std::int32_t area1 = f.state.ownIndex.count(1);
    const std::int32_t area3 = f.state.ownIndex.count(3);
    const std::int32_t abroad = f.state.ownIndex.count(10);
    // The operator first sees what the file gives; No writes nothing.
    f.messages.confirmAnswer = false;
    f.click(Command::ImportAdif);
    ASSERT_EQ(f.messages.texts.size(), 1);
    EXPECT_EQ(f.messages.captions.back(), "確認");
    EXPECT_TRUE(f.messages.last().contains("から 2 件をログに取り込みますか"))
        << f.messages.last().toStdString();
    EXPECT_TRUE(f.messages.last().contains("取込予定 2 件")) << f.messages.last().toStdString();
    EXPECT_EQ(log::recordCount(f.state.logPath), 2);
    EXPECT_EQ(f.state.nextRecordNo, 3);
    f.messages.texts.clear();
    f.messages.confirmAnswer = true;
    f.click(Command::ImportAdif);
    ASSERT_EQ(f.messages.texts.size(), 2);
    const QString summary = f.messages.last();
    EXPECT_EQ(f.messages.captions.back(), "通知");
    EXPECT_TRUE(summary.contains("取込 2 件 (No.3〜4)")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("登録済みで飛ばした交信 1 件")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("取込不可 1 件")) << summary.toStdString();
    EXPECT_EQ(f.state.nextRecordNo, 5);
    EXPECT_EQ(f.state.ownIndex.count(3), area3 + 1);
    EXPECT_EQ(f.state.ownIndex.list(3).back(), 2);
    EXPECT_EQ(f.state.ownIndex.count(1), area1);
    EXPECT_EQ(f.state.ownIndex.count(10), abroad + 1);
    EXPECT_EQ(log::recordCount(f.state.logPath), 4);

    // A file with nothing new asks nothing.
    f.messages.texts.clear();
    f.click(Command::ImportAdif);
    ASSERT_EQ(f.messages.texts.size(), 1);
    EXPECT_EQ(f.messages.captions.back(), "通知");
    EXPECT_TRUE(f.messages.last().contains("取り込む交信はありません"));
    EXPECT_EQ(log::recordCount(f.state.logPath), 4);

    // Not while a window holds record numbers of the log.
    f.state.dialogModes.list = 9;
    f.click(Command::ImportAdif);
    EXPECT_EQ(f.messages.last(), "開いている画面を閉じてから実行してください");
    EXPECT_EQ(log::recordCount(f.state.logPath), 4);
    f.state.dialogModes.list = 0;
}
