// SPDX-License-Identifier: GPL-3.0-or-later
// The window's LoTW/eQSL確認の取込 and the awards dialog's choice of confirmations counted.
#include "app/ui/main_window.h"

#include "app/user_registry.h"
#include "app/user_settings.h"
#include "awards/ui/awards_dialog.h"
#include "log/log_file.h"

#include "support/window_fixture.h"

#include <QCheckBox>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <filesystem>

using namespace vz;
using namespace vz::ui;

namespace {

// JA1ABC has two contacts on 40 m CW, one holding "OLD" in its user mark; a LoTW report
// confirms the other.
struct Fixture : test::WindowFixture
{
    std::unique_ptr<MainWindow> form;

    Fixture()
    {
        dir.installPrefixTable();
        std::filesystem::copy_file(std::string(VEZO_SOURCE_DATA) + "/Master01.cty",
                                   dir.file("Master01.cty"));
        dir.write("Start.DAT", "JA1ABC");
        app::appendUser(dir.file("CallSign.DAT"), "JA1ABC");
        const std::array<std::array<const char *, 4>, 2> contacts{{
            {"JA1AAA", "100101", "26/01/01", "OLD"},
            {"JA1AAB", "1002", "26/01/02", ""},
        }};
        std::int32_t n = 1;
        for (const auto &[call, jcc, date, mark] : contacts) {
            log::FieldTexts t;
            t[0] = call;
            t[3] = date;
            t[4] = "21:00";
            t[6] = jcc;
            t[12] = "7.050";
            t[13] = "CW";
            t[15] = mark;
            log::appendRecord(dir.file("JA1ABC.DAT"), n++, log::buildRecord(t, false, true));
        }
        dir.write("../lotwreport.adi",
                  "ARRL Logbook of the World Status Report\n<PROGRAMID:4>LoTW\n<EOH>\n"
                  "<APP_LoTW_OWNCALL:6>JA1ABC<CALL:6>JA1AAB<BAND:3>40M<MODE:2>CW"
                  "<QSO_DATE:8>20260102<TIME_ON:6>120000<QSL_RCVD:1>Y<EOR>\n");
        form = std::make_unique<MainWindow>(state, services, QString::fromStdString(dir.path()));
        EXPECT_TRUE(form->startUp());
        form->setAdifFileChooser([this](bool) {
            return AdifFileChoice{QString::fromStdString(dir.file("../lotwreport.adi"))};
        });
        messages.texts.clear();
    }
    ~Fixture()
    {
        state.startAborted = true;
        form->close();
    }
};

} // namespace

TEST(MainWindowConfirm, WarnsOfTheMarkInUseMarksTheContactAndTheAwardsCountIt)
{
    Fixture f;
    QAbstractButton *button = f.form->commandButton(Command::ImportConfirmations);
    ASSERT_EQ(button->text(), QStringLiteral("LoTW/eQSL確認の取込"));
    // Stopped at the warning: nothing written.
    f.messages.confirmAnswer = false;
    button->click();
    ASSERT_EQ(f.messages.texts.size(), 1);
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("「L」")))
        << f.messages.last().toStdString();
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("1 件")))
        << f.messages.last().toStdString();
    log::QsoRecord r;
    log::readRecord(f.dir.file("JA1ABC.DAT"), 2, r);
    EXPECT_EQ(r.field(log::Field::UserMark), "-");

    f.messages.texts.clear();
    f.messages.confirmAnswer = true;
    button->click();
    ASSERT_EQ(f.messages.texts.size(), 3);
    EXPECT_TRUE(f.messages.texts[1].contains(QStringLiteral("1 件の交信に確認マークを付けますか")))
        << f.messages.texts[1].toStdString();
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("確認 1 件 (新たに 1 件)")))
        << f.messages.last().toStdString();
    log::readRecord(f.dir.file("JA1ABC.DAT"), 2, r);
    EXPECT_EQ(r.field(log::Field::UserMark), "L");
    EXPECT_TRUE(app::readUserSettings(f.dir.file("JA1ABC.ini")).settings.lotwMarkInFile);

    // Again: nothing new, and no warning now that the mark is the settings'.
    f.messages.texts.clear();
    button->click();
    ASSERT_EQ(f.messages.texts.size(), 1);
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("新たに付ける確認はありません")));

    // Cards alone count nothing; LoTW counts both Tokyo places ("OLD" holds "L").
    f.form->commandButton(Command::Awards)->click();
    AwardsDialog *awards = nullptr;
    for (AwardsDialog *d : f.form->findChildren<AwardsDialog *>())
        if (d->isVisible())
            awards = d;
    ASSERT_TRUE(awards);
    auto *prefectures = awards->findChild<QTableWidget *>("prefectureTable");
    const auto tokyoConfirmed = [&] { return prefectures->item(9, 2)->text(); };
    EXPECT_EQ(tokyoConfirmed(), "0");
    auto *card = awards->findChild<QCheckBox *>("cardCheck");
    auto *lotw = awards->findChild<QCheckBox *>("lotwCheck");
    ASSERT_TRUE(card && lotw && card->isChecked() && !lotw->isChecked());
    lotw->click();
    EXPECT_EQ(tokyoConfirmed(), "2");
    card->click();
    EXPECT_EQ(tokyoConfirmed(), "2");
    // The last choice stays: something is always counted.
    lotw->click();
    EXPECT_TRUE(lotw->isChecked());
    EXPECT_EQ(tokyoConfirmed(), "2");
}
