// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/ui/personal_info_dialog.h"

#include "app/user_settings.h"
#include "log/log_file.h"
#include "places/jcc_master.h"

#include "support/window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::ui;
using test::sj;

namespace {

std::string place(const std::string &jcc, const char *city, const char *lat,
                  std::array<int, 6> numbers)
{
    places::JccMasterRecord r;
    r.setText(places::MasterText::JccNumber, jcc);
    r.setText(places::MasterText::CityName, sj(city));
    r.setText(places::MasterText::LatHemisphere, lat);
    r.setText(places::MasterText::LonHemisphere, "E");
    for (std::size_t i = 0; i < 6; ++i)
        r.setNumber(static_cast<places::MasterNumber>(i), static_cast<std::int16_t>(numbers[i]));
    return std::string(r.bytes.data(), places::kMasterRecordSize);
}

struct Dialog : test::WindowFixture
{
    std::unique_ptr<PersonalInfoDialog> dlg;

    Dialog()
    {
        dir.installPrefixTable();
        dir.write("Master02.cty", place("2001", "名古屋市", "N", {35, 5, 7, 136, 5, 7}) +
                                      place("2002", "豊橋市", "Q", {34, 46, 9, 137, 23, 28}));
        state.currentCall = "JA2ABC";
        app::buildUserPaths(state);
        state.settingsPath = dir.file("JA2ABC.ini");
        dlg = std::make_unique<PersonalInfoDialog>(state, services);
        dlg->loadPrefixList();
        state.dialogModes.environ = 1;
        reopen();
    }

    void reopen() const
    {
        dlg->show();
        dlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    }

    template <typename T = QLineEdit> T *get(const char *name) const
    {
        return dlg->findChild<T *>(QString::fromUtf8(name));
    }
    QString label(const char *name) const { return get<QLabel>(name)->text(); }
    QPushButton *button(const char *name) const { return get<QPushButton>(name); }
    void page(int tag) const { get<QTabWidget>("pages")->setCurrentIndex(tag - 1); }
    // Types into a field and leaves it with Tab, as the operator does.
    void enter(const char *name, const QString &text) const
    {
        QLineEdit *edit = get(name);
        edit->setFocus();
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Backspace);
        else
            QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
    }
};

} // namespace

TEST(PersonalInfoDialog, FixedJccLooksUpCityAndPositionOnlyWhenChanged)
{
    Dialog d;
    d.page(2);
    d.enter("fixedJccEdit", "2001");
    EXPECT_EQ(d.label("fixedCityLabel"), QStringLiteral("名古屋市"));
    EXPECT_EQ(d.label("fixedPositionLabel"),
              QStringLiteral("  北緯   35度  5分  7秒    東経  136度 05分 07秒"));
    EXPECT_EQ(d.state.settings.fixedSpot, (app::SpotCoordinates{35, 5, 7, 136, 5, 7}));
    EXPECT_EQ(d.state.currentArea, 2);
    EXPECT_TRUE(d.button("applyButton")->isEnabled());

    // Left unchanged: nothing is looked up, even when the master changed meanwhile.
    const std::string master = d.dir.read("Master02.cty");
    d.dir.write("Master02.cty", "");
    d.get("fixedJccEdit")->setFocus();
    QTest::keyClick(d.get("fixedJccEdit"), Qt::Key_Tab);
    EXPECT_TRUE(d.messages.texts.isEmpty());
    d.dir.write("Master02.cty", master);

    // An unknown number is emptied; the city and position stay.
    d.enter("fixedJccEdit", "2099");
    EXPECT_EQ(d.messages.last(), QStringLiteral("この JCCｺｰﾄﾞ は該当ありませんでした"));
    EXPECT_EQ(d.get("fixedJccEdit")->text(), "");
    EXPECT_EQ(d.label("fixedCityLabel"), QStringLiteral("名古屋市"));
    EXPECT_EQ(d.state.settings.fixedSpot[0], 35);

    // Deleting the number empties city and position but keeps the coordinates.
    d.enter("fixedJccEdit", "2001");
    d.enter("fixedJccEdit", "");
    EXPECT_EQ(d.label("fixedCityLabel"), "");
    EXPECT_EQ(d.label("fixedPositionLabel"), "");
    EXPECT_EQ(d.state.settings.fixedSpot[3], 136);
}

TEST(PersonalInfoDialog, UnknownHemisphereLetterShowsNoWord)
{
    Dialog d;
    d.page(2);
    d.enter("fixedJccEdit", "2002");
    EXPECT_EQ(d.label("fixedPositionLabel"),
              QStringLiteral("     34度 46分  9秒    東経  137度 23分 28秒"));
}

TEST(PersonalInfoDialog, MobilePlaceNeedsMobileOperation)
{
    Dialog d;
    QSignalSpy portable(d.dlg.get(), &PersonalInfoDialog::ownPortablePlaceChanged);
    d.page(2);
    QLineEdit *mobile = d.get("mobileJccEdit");
    mobile->setFocus();
    QTest::keyClick(mobile, Qt::Key_2);
    EXPECT_EQ(d.messages.last(), QStringLiteral("「継続して移動運用する」をチェックしてください"));
    EXPECT_EQ(mobile->text(), "");
    EXPECT_TRUE(d.get<QCheckBox>("mobileCheck")->hasFocus());

    QTest::mouseClick(d.get<QCheckBox>("mobileCheck"), Qt::LeftButton);
    EXPECT_TRUE(d.state.settings.mobileOperation);
    EXPECT_TRUE(d.button("endMobileButton")->isEnabled());
    d.enter("mobileJccEdit", "2001");
    EXPECT_EQ(d.label("mobileCityLabel"), QStringLiteral("名古屋市"));
    ASSERT_EQ(portable.size(), 1);
    EXPECT_EQ(portable[0][0].toString(), QStringLiteral("名古屋市"));

    QTest::mouseClick(d.button("endMobileButton"), Qt::LeftButton);
    EXPECT_FALSE(d.get<QCheckBox>("mobileCheck")->isChecked());
    EXPECT_EQ(mobile->text(), "");
    EXPECT_EQ(d.label("mobileCityLabel"), "");
    EXPECT_FALSE(d.button("endMobileButton")->isEnabled());
    ASSERT_EQ(portable.size(), 2);
    EXPECT_EQ(portable[1][0].toString(), "");
    EXPECT_EQ(d.state.settings.mobileSpot[0], 35); // the coordinates stay
}

TEST(PersonalInfoDialog, CancelRestoresEveryFieldAndEndWritesFirst)
{
    Dialog d;
    QSignalSpy edited(d.dlg.get(), &PersonalInfoDialog::fixedStringEdited);
    QSignalSpy reloaded(d.dlg.get(), &PersonalInfoDialog::settingsReloaded);
    d.enter("fixedString3Edit", "CQ DX");
    ASSERT_EQ(edited.size(), 5); // every character reaches the contact dialog at once
    EXPECT_EQ(edited.back()[1].toString(), "CQ DX");
    d.page(3);
    d.enter("rigEdit", "IC-7300");
    d.page(4);
    d.get<QCheckBox>("keyClickCheck")->click();
    EXPECT_TRUE(d.state.settings.keyClick); // acts at once
    QTest::mouseClick(d.button("cancelButton"), Qt::LeftButton);
    EXPECT_FALSE(d.dlg->isVisible());
    EXPECT_EQ(reloaded.size(), 1);
    EXPECT_EQ(d.state.settings.fixedStrings[2], "");
    EXPECT_EQ(d.state.settings.rig, "");
    EXPECT_FALSE(d.state.settings.keyClick);
    EXPECT_EQ(d.state.dialogModes.environ, 0);
    EXPECT_FALSE(d.dir.read("JA2ABC.ini").size()); // nothing written

    d.reopen();
    EXPECT_EQ(d.get("rigEdit")->text(), "");
    EXPECT_FALSE(d.get<QCheckBox>("keyClickCheck")->isChecked());
    EXPECT_FALSE(d.button("applyButton")->isEnabled());
    d.page(3);
    d.enter("rigEdit", "FT-991");
    QTest::mouseClick(d.button("closeButton"), Qt::LeftButton);
    EXPECT_EQ(app::readUserSettings(d.state.settingsPath).settings.rig, "FT-991");
    EXPECT_EQ(reloaded.size(), 2);

    // Apply writes, reads back and waits for the next change.
    d.reopen();
    d.page(3);
    d.enter("antennaEdit", "GP");
    QTest::mouseClick(d.button("applyButton"), Qt::LeftButton);
    EXPECT_EQ(app::readUserSettings(d.state.settingsPath).settings.antenna, "GP");
    EXPECT_FALSE(d.button("applyButton")->isEnabled());
    // The reserved options do not ask for a write.
    d.page(4);
    d.get<QCheckBox>("reserve1Check")->click();
    EXPECT_FALSE(d.button("applyButton")->isEnabled());
}

TEST(PersonalInfoDialog, HelpFollowsTheLastPageEntered)
{
    Dialog d;
    std::vector<int> opened;
    d.services.help.setOpener([&](HelpService::View view, int context) {
        if (view == HelpService::View::Topic)
            opened.push_back(context);
    });
    QTest::mouseClick(d.button("helpButton"), Qt::LeftButton);
    EXPECT_TRUE(opened.empty());
    d.page(5);
    EXPECT_TRUE(d.get("prefixEdit")->hasFocus());
    QTest::mouseClick(d.button("helpButton"), Qt::LeftButton);
    d.page(1);
    QTest::mouseClick(d.button("helpButton"), Qt::LeftButton);
    EXPECT_EQ(opened, (std::vector<int>{28, 24}));
}

TEST(PersonalInfoDialog, PrefixListEditsAreSavedWholeAndClassifyAtOnce)
{
    Dialog d;
    d.page(5);
    auto *list = d.get<QListWidget>("prefixList");
    ASSERT_EQ(list->count(), 17);
    const QString first = list->item(0)->text();
    const QString second = list->item(1)->text();

    d.get("prefixEdit")->setText(second);
    QTest::mouseClick(d.button("prefixAddButton"), Qt::LeftButton);
    EXPECT_EQ(d.messages.last(), QStringLiteral("既に存在します"));
    EXPECT_EQ(list->count(), 17);
    QTest::mouseClick(d.button("prefixAddButton"), Qt::LeftButton);
    EXPECT_EQ(d.messages.last(), QStringLiteral("追加分が入力されていません"));

    // Before any click, "削除" takes the first line.
    QTest::mouseClick(d.button("prefixRemoveButton"), Qt::LeftButton);
    EXPECT_EQ(list->item(0)->text(), second);
    QTest::mouseClick(d.button("prefixCancelButton"), Qt::LeftButton);
    EXPECT_EQ(list->item(0)->text(), first);
    EXPECT_FALSE(d.button("prefixSaveButton")->isEnabled());

    // Typed in capitals; saved whole; the classification uses the new line at once.
    d.state.prefixTable.refreshIfChanged();
    EXPECT_FALSE(d.state.prefixTable.lookup("8J1ABC"));
    d.get("prefixEdit")->setFocus();
    QTest::keyClicks(d.get("prefixEdit"), "8j1 01");
    EXPECT_EQ(d.get("prefixEdit")->text(), "8J1 01");
    QTest::mouseClick(d.button("prefixAddButton"), Qt::LeftButton);
    ASSERT_EQ(list->count(), 18);
    QTest::mouseClick(d.button("prefixSaveButton"), Qt::LeftButton);
    EXPECT_TRUE(d.dir.read("PreFix.CFG").ends_with("8J1 01\r\n"));
    EXPECT_EQ(d.state.prefixTable.lookup("8J1ABC"), 1);
    EXPECT_FALSE(d.button("prefixSaveButton")->isEnabled());

    // A click picks the line for "修正".
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(17)).center());
    EXPECT_EQ(d.get("prefixEdit")->text(), "8J1 01");
    d.get("prefixEdit")->setText("8J1 07");
    QTest::mouseClick(d.button("prefixReplaceButton"), Qt::LeftButton);
    EXPECT_EQ(list->item(17)->text(), "8J1 07");
    EXPECT_EQ(d.get("prefixEdit")->text(), "");
}

TEST(PersonalInfoDialog, EveryControlOfEveryPageLiesClearOfThePageFrame)
{
    Dialog d;
    auto *pages = d.get<QTabWidget>("pages");
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        QApplication::processEvents();
        const QWidget *page = pages->widget(i);
        // A few pixels clear of the page's frame, so no edge merges with it.
        const QRect inside = page->rect().adjusted(4, 4, -4, -4);
        for (const QWidget *w : page->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            EXPECT_TRUE(inside.contains(w->geometry()))
                << page->objectName().toStdString() << ": " << w->objectName().toStdString()
                << " ends at " << w->geometry().bottom() << " of " << page->height();
        }
    }
}

// The LoTW and eQSL marks beside the card's: a mark set to a text the log's user marks hold
// already is named with the number of those contacts before it is written.
TEST(PersonalInfoDialog, NewMarkHeldByContactsIsConfirmedFirst)
{
    Dialog d;
    log::FieldTexts t;
    t[0] = "JA1AAA";
    t[15] = "OLD";
    log::appendRecord(d.state.logPath, 1, log::buildRecord(t, false, true));
    d.reopen();
    d.page(3);
    EXPECT_EQ(d.get("lotwMarkEdit")->text(), "L");
    EXPECT_EQ(d.get("eqslMarkEdit")->text(), "E");
    d.enter("eqslMarkEdit", "D");
    d.messages.confirmAnswer = false;
    QTest::mouseClick(d.button("applyButton"), Qt::LeftButton);
    ASSERT_EQ(d.messages.texts.size(), 1);
    EXPECT_TRUE(d.messages.last().contains(QStringLiteral("eQSLマーク「D」")));
    EXPECT_TRUE(d.messages.last().contains(QStringLiteral("1 件")));
    EXPECT_TRUE(d.button("applyButton")->isEnabled()); // nothing written, the edit stays
    EXPECT_EQ(d.dir.read("JA2ABC.ini").find("eQSL"), std::string::npos);
    d.messages.confirmAnswer = true;
    QTest::mouseClick(d.button("applyButton"), Qt::LeftButton);
    EXPECT_EQ(app::readUserSettings(d.state.settingsPath).settings.eqslMark, "D");
    // A mark no contact holds is written without a word.
    d.messages.texts.clear();
    d.enter("lotwMarkEdit", "Q");
    QTest::mouseClick(d.button("applyButton"), Qt::LeftButton);
    EXPECT_TRUE(d.messages.texts.isEmpty());
    EXPECT_EQ(app::readUserSettings(d.state.settingsPath).settings.lotwMark, "Q");
}
