// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/main_window.h"

#include "awards/ui/awards_dialog.h"
#include "common/ui/hint_bar.h"
#include "log/log_file.h"
#include "log/ui/contact_dialog.h"

#include "support/window_fixture.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

using namespace vz;
using namespace vz::ui;

namespace {

struct Fixture : test::WindowFixture
{
    std::unique_ptr<MainWindow> form;

    Fixture()
    {
        dir.installPrefixTable();
        std::filesystem::copy_file(std::string(VEZO_SOURCE_DATA) + "/Master01.cty",
                                   dir.file("Master01.cty"));
        dir.write("Start.DAT", "JA1ABC");
        const std::pair<const char *, const char *> contacts[] = {
            {"JA1AAA", "100101"}, // 1: 千代田区, so 東京都区部
            {"JA1AAB", "1002"},   // 2: 八王子市
            {"JA1AAC", "100101"}, // 3: 千代田区 again, card received
            {"JA1AAD", "1199"},   // 4: not in the master
        };
        std::int32_t n = 1;
        for (const auto &[call, jcc] : contacts) {
            log::FieldTexts t;
            t[0] = call;
            t[3] = "26/01/0" + std::to_string(n);
            t[6] = jcc;
            t[15] = n == 3 ? test::sj("受") : "";
            log::appendRecord(dir.file("JA1ABC.DAT"), n++, log::buildRecord(t, false, true));
        }
        form = std::make_unique<MainWindow>(state, services, QString::fromStdString(dir.path()));
        EXPECT_TRUE(form->startUp());
        form->show();
    }
    ~Fixture()
    {
        state.startAborted = true;
        form->close();
    }
    template <typename Dialog> Dialog *open() const
    {
        for (Dialog *d : form->findChildren<Dialog *>())
            if (d->isVisible())
                return d;
        return nullptr;
    }
    static QString text(QTableWidget *t, int row, int column)
    {
        return t->item(row, column) ? t->item(row, column)->text() : QString();
    }
};

} // namespace

TEST(MainWindowAwards, TablesPerPrefectureAndAPlaceOpensItsFirstContact)
{
    Fixture f;
    QTest::mouseClick(f.form->commandButton(Command::Awards), Qt::LeftButton);
    AwardsDialog *awards = f.open<AwardsDialog>();
    ASSERT_TRUE(awards);
    auto *prefectures = awards->findChild<QTableWidget *>("prefectureTable");
    auto *places = awards->findChild<QTableWidget *>("placeTable");
    ASSERT_EQ(prefectures->rowCount(), 47);
    // Tokyo: 東京都区部 and 八王子市 worked, one of them confirmed; 1199 belongs to Kanagawa.
    const int total = awards->table(awards::AwardKind::City).row(10).total;
    EXPECT_GT(total, 20);
    EXPECT_EQ(Fixture::text(prefectures, 9, 0), QStringLiteral("10 東京都"));
    EXPECT_EQ(Fixture::text(prefectures, 9, 1), "2");
    EXPECT_EQ(Fixture::text(prefectures, 9, 2), "1");
    EXPECT_EQ(Fixture::text(prefectures, 9, 3), QString::number(total));
    EXPECT_EQ(Fixture::text(prefectures, 10, 1), "1");

    awards->showPrefecture(10);
    ASSERT_EQ(places->rowCount(), total);
    EXPECT_EQ(Fixture::text(places, 0, 0), "1001");
    EXPECT_EQ(Fixture::text(places, 0, 1), QStringLiteral("東京都区部"));
    EXPECT_EQ(Fixture::text(places, 0, 4), "26/01/01");
    EXPECT_EQ(Fixture::text(places, 0, 5), "JA1AAA");
    awards->showPrefecture(11);
    EXPECT_EQ(Fixture::text(places, places->rowCount() - 1, 1), QStringLiteral("マスタに無し"));

    // The ward table counts 千代田区 itself.
    awards->findChild<QTabBar *>("kindTabs")->setCurrentIndex(1);
    EXPECT_EQ(Fixture::text(prefectures, 9, 1), "1");
    EXPECT_EQ(Fixture::text(prefectures, 9, 2), "1");

    // A worked place opens its first contact for modifying; an unworked one opens nothing.
    awards->findChild<QTabBar *>("kindTabs")->setCurrentIndex(0);
    awards->showPrefecture(10);
    int unworked = -1;
    for (int r = 0; r < places->rowCount() && unworked < 0; ++r)
        if (Fixture::text(places, r, 2).isEmpty())
            unworked = r;
    ASSERT_GE(unworked, 0);
    Q_EMIT places->cellActivated(unworked, 0);
    EXPECT_FALSE(f.open<ContactDialog>());
    Q_EMIT places->cellActivated(0, 0);
    ContactDialog *contact = f.open<ContactDialog>();
    ASSERT_TRUE(contact);
    EXPECT_EQ(contact->mode(), ContactDialog::Modify);
    EXPECT_EQ(contact->findChild<QLineEdit *>("recordNumberEdit")->text(), "1");
    EXPECT_EQ(contact->findChild<QLineEdit *>("callsignEdit")->text(), "JA1AAA");
    // With the dialog open, another place shows in it.
    awards->showPrefecture(10);
    int hachioji = -1;
    for (int r = 0; r < places->rowCount(); ++r)
        if (Fixture::text(places, r, 0) == "1002")
            hachioji = r;
    Q_EMIT places->cellActivated(hachioji, 0);
    EXPECT_EQ(contact->findChild<QLineEdit *>("callsignEdit")->text(), "JA1AAB");
    // Its card arrives: registered there, counted here at once.
    contact->findChild<QLineEdit *>("userMarkEdit")->setText(QStringLiteral("受"));
    QTest::mouseClick(contact->findChild<QAbstractButton *>("modifyButton"), Qt::LeftButton);
    EXPECT_EQ(Fixture::text(prefectures, 9, 2), "2");
    EXPECT_TRUE(f.messages.texts.isEmpty()) << f.messages.last().toStdString();
}

TEST(MainWindowAwards, WhileOpenTheLogKeepsItsNumbersAndTheHintBarStaysUnderIt)
{
    Fixture f;
    const std::string log = f.dir.read("JA1ABC.DAT");
    f.dir.write("JA1ABC.BAK", log.substr(0, log::kRecordSize));
    f.messages.confirmAnswer = true;
    HintBar *bar = f.form->hintBar();
    const int mainBottom = f.form->frameGeometry().bottom() + 1;

    QTest::mouseClick(f.form->commandButton(Command::Awards), Qt::LeftButton);
    AwardsDialog *awards = f.open<AwardsDialog>();
    ASSERT_TRUE(awards);
    const int underAwards = mainBottom + awards->frameGeometry().height();
    EXPECT_EQ(bar->y(), underAwards);

    // Renumbering, replacing the log or changing the user would point its places elsewhere.
    for (Command id : {Command::ReorganizeLog, Command::RestoreLog, Command::SwitchUser}) {
        f.messages.texts.clear();
        f.form->runCommand(id); // a dialog opening here would be left open: the test would hang
        EXPECT_EQ(f.messages.texts, QStringList{"開いている画面を閉じてから実行してください"})
            << static_cast<int>(id);
    }
    EXPECT_TRUE(f.dir.read("JA1ABC.DAT") == log);
    EXPECT_EQ(f.state.currentCall, "JA1ABC");

    // A contact opened from it and closed again leaves the bar with the award progress.
    awards->showPrefecture(10);
    Q_EMIT awards->findChild<QTableWidget *>("placeTable")->cellActivated(0, 0);
    ContactDialog *contact = f.open<ContactDialog>();
    ASSERT_TRUE(contact);
    contact->close();
    EXPECT_NE(bar->y(), mainBottom);
    f.form->move(f.form->x() + 8, f.form->y());
    EXPECT_NE(bar->y(), f.form->frameGeometry().bottom() + 1);

    awards->findChild<QPushButton *>("closeButton")->click();
    EXPECT_EQ(f.state.dialogModes.awards, 0);
    EXPECT_EQ(bar->y(), f.form->frameGeometry().bottom() + 1);
    f.messages.texts.clear();
    f.form->runCommand(Command::ReorganizeLog); // the refusal ends with the dialog
    EXPECT_FALSE(f.messages.texts.contains("開いている画面を閉じてから実行してください"));
}
