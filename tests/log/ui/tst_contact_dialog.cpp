// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/ui/contact_dialog.h"

#include "app/session.h"
#include "common/file_io.h"
#include "common/progress.h"
#include "common/ui/hint_bar.h"
#include "common/ui/qt_text.h"
#include "log/geodesy.h"
#include "log/log_file.h"
#include "log/ui/compass.h"
#include "log/ui/fixed_string_button.h"
#include "places/ui/city_lookup_dialog.h"

#include "support/recording_answerer.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleOptionToolButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdlib>
#include <functional>

#include <gtest/gtest.h>

#include <filesystem>

using namespace vz;
using namespace vz::ui;
using log::Field;
using test::sj;

namespace {

const log::DmsPosition kChiyoda{35, 41, 38, 139, 45, 12};
const log::DmsPosition kKamakura{35, 19, 46, 139, 32, 40};

std::string shippedFile(const char *name)
{
    const char *env = std::getenv("VEZO_TEST_DATA");
    return std::string(env ? env : VEZO_SOURCE_DATA) + "/" + name;
}

log::QsoRecord contact(const std::string &call, const std::string &date, const std::string &city,
                       const std::string &jcc)
{
    log::FieldTexts t;
    t[0] = call;
    t[3] = date;
    t[5] = city;
    t[6] = jcc;
    t[9] = sj("山田");
    t[12] = "7";
    t[19] = "10:00";
    return log::buildRecord(t, true, true);
}

struct Fixture
{
    test::TempDir dir;
    app::AppState state;
    UiServices services;
    test::RecordedMessages messages;
    calendar::FixedClock *clock = nullptr;
    std::unique_ptr<ContactDialog> dlg;

    explicit Fixture(int records = 2)
    {
        dir.installPrefixTable();
        for (const char *master : {"Master01.cty", "Master10.cty"})
            dir.write(master, files::readAll(shippedFile(master)).value());
        app::initDataDir(state, dir.path());
        state.currentCall = "JA1ABC";
        app::buildUserPaths(state);
        for (int n = 1; n <= records; ++n)
            log::appendRecord(state.logPath, n,
                              contact(n % 2 ? "JA1XYZ" : "JA3QRP", "24/01/0" + std::to_string(n),
                                      sj("千代田区"), "100101"));
        state.settings.fixedStrings = {"CQ", "59", "7.045", "CW", "SSB", "", "", "", "", "TNX"};
        state.settings.domesticRemark = sj("またよろしく");
        state.settings.foreignRemark = "Today I able to meet and good";
        state.settings.mobileCity = sj("横浜市");
        state.settings.fixedSpot = kChiyoda;
        NoProgress quiet;
        app::openLog(state, quiet);
        calendar::ClockSnapshot at;
        at.local = {2024, 5, 6, 9, 30, 0, 1};
        at.utc = {2024, 5, 6, 0, 30, 0, 1};
        auto fixed = std::make_unique<calendar::FixedClock>(at);
        clock = fixed.get();
        state.clock = std::move(fixed);
        messages.attach(services.messages);
    }

    ContactDialog &open(int mode)
    {
        state.dialogModes.log = mode;
        dlg = std::make_unique<ContactDialog>(state, services, mode);
        dlg->setCityLookupMaker([this](QWidget *parent) -> CityLookup * {
            return new CityLookupDialog(state, services, parent);
        });
        dlg->show();
        dlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
        return *dlg;
    }

    // Record field n (1..20, in record order).
    QLineEdit *edit(int n) const
    {
        static const char *const names[] = {"callsignEdit",
                                            "portableAreaEdit",
                                            "portableFormEdit",
                                            "dateEdit",
                                            "startTimeEdit",
                                            "fixedCityEdit",
                                            "fixedJccEdit",
                                            "portableCityEdit",
                                            "portableJccEdit",
                                            "nameEdit",
                                            "hisRstEdit",
                                            "myRstEdit",
                                            "frequencyEdit",
                                            "modeEdit",
                                            "powerEdit",
                                            "userMarkEdit",
                                            "remarksEdit",
                                            "memoEdit",
                                            "ownPortablePlaceEdit",
                                            "endTimeEdit"};
        return dlg->findChild<QLineEdit *>(names[n - 1]);
    }
    QLineEdit *recordNumber() const { return dlg->findChild<QLineEdit *>("recordNumberEdit"); }
    QToolButton *button(const char *name) const { return dlg->findChild<QToolButton *>(name); }
    QLabel *label(const char *name) const { return dlg->findChild<QLabel *>(name); }
    QCheckBox *qsl() const { return dlg->findChild<QCheckBox *>("qslCheck"); }
    QWidget *focused() const { return QApplication::focusWidget(); }
    std::string focusName() const
    {
        return focused() ? focused()->objectName().toStdString() : std::string("(none)");
    }

    // Puts the focus in a control, as a click or the keys would.
    void focus(QWidget *w) const
    {
        w->setFocus(Qt::MouseFocusReason);
        EXPECT_EQ(focused(), w);
    }
    void type(int n, const QString &text) const
    {
        focus(edit(n));
        QTest::keyClicks(edit(n), text);
    }
    void typeKana(QWidget *w, const QString &kana) const
    {
        for (const QChar c : kana)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    // Enter: the dialog moves the focus on.
    void enter() const { QTest::keyClick(focused(), Qt::Key_Return); }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    void erase(QLineEdit *e) const
    {
        focus(e);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
    }
    void erase(int n) const { erase(edit(n)); }
    std::string logBytes() const { return dir.read("JA1ABC.DAT"); }
    log::QsoRecord record(int n) const
    {
        log::QsoRecord r;
        log::readRecord(state.logPath, n, r);
        return r;
    }
    bool compassBlank() const
    {
        const QImage shown = label("compassLabel")->pixmap().toImage();
        const QRgb face = shown.pixel(0, 0);
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                if (shown.pixel(x, y) != face)
                    return false;
        return true;
    }
};

// Acts in the city lookup once it is on screen (it runs modally inside the dialog's handler).
void whenLookupShown(ContactDialog &dlg, std::function<void(CityLookupDialog &)> act)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, &dlg, act] {
        CityLookupDialog *lookup = dlg.findChild<CityLookupDialog *>();
        if (!lookup || !lookup->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(*lookup);
    });
    poll->start(5);
}

void pickCity(CityLookupDialog &lookup, const QString &city)
{
    auto *grid = lookup.findChild<QTableWidget *>("cityTable");
    const auto found = grid->findItems(city, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    grid->scrollToItem(found.front());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(found.front()).center());
    QTest::mouseClick(lookup.findChild<QPushButton *>("confirmButton"), Qt::LeftButton);
}

} // namespace

TEST(ContactDialog, RoadOfOneContact)
{
    Fixture f(3);
    f.state.settings.autoDateTime = true;
    ContactDialog &dlg = f.open(ContactDialog::Input);
    EXPECT_EQ(dlg.title(), "交信記録編集（入力）");
    EXPECT_EQ(f.label("nextRecordLabel")->text(), "4");
    EXPECT_EQ(f.focused(), f.edit(1));
    EXPECT_EQ(f.edit(19)->text(), "横浜市");
    EXPECT_EQ(f.button("fixedString3Button")->text(), "7.045");
    EXPECT_FALSE(f.button("registerButton")->isEnabled());
    EXPECT_TRUE(f.label("ownHistoryLabel")->isHidden());

    // The callsign, left: area, standard remark, history and the name of the last contact.
    QTest::keyClicks(f.edit(1), "ja1xyz");
    EXPECT_EQ(f.edit(1)->text(), "JA1XYZ");
    f.enter();
    EXPECT_EQ(f.state.currentArea, 1);
    EXPECT_EQ(f.state.searchKey, "JA1XYZ");
    EXPECT_EQ(f.label("standardRemarkLabel")->text(), "またよろしく");
    EXPECT_TRUE(f.label("ownHistoryLabel")->isVisible());
    EXPECT_EQ(f.label("ownHistoryLabel")->text(),
              "山田 さん   千代田区         前回は 24/01/03   7  交信 2回");
    EXPECT_EQ(f.edit(10)->text(), "山田");
    EXPECT_EQ(f.focused(), f.edit(2));

    // Portable area and form left empty: date and start time in Japanese time, on to the city.
    f.enter();
    f.enter();
    EXPECT_EQ(f.edit(4)->text(), "24/05/06");
    EXPECT_EQ(f.edit(5)->text(), "09:30");
    EXPECT_EQ(f.focused(), f.edit(6));

    // One kana: the lookup lists the cities of area 1 with that initial; one is picked.
    QString listed;
    whenLookupShown(dlg, [&](CityLookupDialog &lookup) {
        listed = lookup.findChild<QLabel *>("hitCountLabel")->text();
        pickCity(lookup, "鎌倉市");
    });
    f.typeKana(f.edit(6), "か");
    f.enter();
    EXPECT_TRUE(listed.startsWith("索引件数 ： ")) << listed.toStdString();
    EXPECT_EQ(f.edit(6)->text(), "鎌倉市");
    EXPECT_EQ(f.edit(7)->text(), "1105");
    EXPECT_TRUE(f.state.cityChosen);
    EXPECT_TRUE(f.label("distanceLabel")->isVisible());
    EXPECT_EQ(f.label("distanceLabel")->text(),
              fromSjis(log::distanceBearingText(kChiyoda, kKamakura)));
    EXPECT_TRUE(f.label("distanceLabel")->text().contains("方位（アンテナ角度）"));
    EXPECT_FALSE(f.compassBlank());
    // The name came from the history, so the report is next.
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.focused() == f.edit(11); }, 2000)) << f.focusName();

    QTest::keyClicks(f.edit(11), "59");
    f.enter();
    QTest::keyClicks(f.edit(12), "57");
    f.enter();
    QTest::keyClick(f.edit(13), Qt::Key_F3); // the third fixed string, and on to the mode
    EXPECT_EQ(f.edit(13)->text(), "7.045");
    EXPECT_EQ(f.focused(), f.edit(14));
    QTest::keyClicks(f.edit(14), "cw");
    f.focus(f.qsl());
    QTest::keyClick(f.qsl(), Qt::Key_Space);
    EXPECT_TRUE(f.qsl()->isChecked());

    // The end time, typed and left, enables registering.
    f.type(20, "09:45");
    EXPECT_FALSE(f.button("registerButton")->isEnabled());
    f.enter();
    ASSERT_TRUE(f.button("registerButton")->isEnabled());
    f.click("registerButton");

    log::FieldTexts expected;
    expected[0] = "JA1XYZ";
    expected[3] = "24/05/06";
    expected[4] = "09:30";
    expected[5] = sj("鎌倉市");
    expected[6] = "1105";
    expected[9] = sj("山田");
    expected[10] = "59";
    expected[11] = "57";
    expected[12] = "7.045";
    expected[13] = "CW";
    expected[18] = sj("横浜市");
    expected[19] = "09:45";
    const log::QsoRecord want = log::buildRecord(expected, true, true);
    const std::string bytes = f.logBytes();
    ASSERT_EQ(bytes.size(), 4 * log::kRecordSize);
    EXPECT_EQ(bytes.substr(3 * log::kRecordSize), std::string(want.bytes.data(), log::kRecordSize));
    EXPECT_EQ(bytes.substr(3 * log::kRecordSize + 7, 2), std::string("-\0", 2));
    EXPECT_EQ(bytes[4 * log::kRecordSize - 1], 1);

    EXPECT_EQ(f.state.nextRecordNo, 5);
    EXPECT_EQ(f.label("nextRecordLabel")->text(), "5");
    EXPECT_EQ(f.state.ownIndex.list(1).back(), 3);
    EXPECT_EQ(f.state.ownIndex.count(1), 3);

    // Ready for the next contact.
    for (int n = 1; n <= 20; ++n)
        EXPECT_EQ(f.edit(n)->text(), "") << n;
    EXPECT_FALSE(f.qsl()->isChecked());
    EXPECT_TRUE(f.label("standardRemarkLabel")->text().isEmpty());
    EXPECT_TRUE(f.label("distanceLabel")->isHidden());
    EXPECT_TRUE(f.label("ownHistoryLabel")->isHidden());
    EXPECT_TRUE(f.compassBlank());
    EXPECT_FALSE(f.button("registerButton")->isEnabled());
    EXPECT_EQ(f.focused(), f.edit(1));

    // The contact just registered is found by the next lookup.
    QTest::keyClicks(f.edit(1), "JA1XYZ");
    f.enter();
    EXPECT_EQ(f.label("ownHistoryLabel")->text(),
              "山田 さん   鎌倉市         前回は 24/05/06   7.045  交信 3回");
}

TEST(ContactDialog, FixedStringsGoIntoTextFieldsOnly)
{
    Fixture f;
    f.open(ContactDialog::Input);
    f.type(13, "14");
    QTest::keyClick(f.edit(13), Qt::Key_F3);
    EXPECT_EQ(f.edit(13)->text(), "7.045");
    EXPECT_EQ(f.focused(), f.edit(14));

    // F3 on the QSL box changes nothing.
    f.focus(f.qsl());
    QTest::keyClick(f.qsl(), Qt::Key_F3);
    EXPECT_EQ(f.focused(), f.qsl());
    EXPECT_FALSE(f.qsl()->isChecked());
    for (int n = 1; n <= 20; ++n) {
        if (n != 13 && n != 19) {
            EXPECT_EQ(f.edit(n)->text(), "") << n;
        }
    }

    // A click on a fixed-string button does the same; the button takes no focus.
    f.focus(f.edit(11));
    f.click("fixedString2Button");
    EXPECT_EQ(f.edit(11)->text(), "59");
    EXPECT_EQ(f.focused(), f.edit(12));
    // A fixed string longer than the field is cut to its bytes.
    f.focus(f.edit(2));
    QTest::keyClick(f.edit(2), Qt::Key_F10);
    EXPECT_EQ(f.edit(2)->text(), "") << "TNX is no portable area";
    f.focus(f.edit(5));
    QTest::keyClick(f.edit(5), Qt::Key_F3);
    EXPECT_EQ(f.edit(5)->text(), "7.045");
    f.focus(f.edit(3));
    QTest::keyClick(f.edit(3), Qt::Key_F3);
    EXPECT_EQ(f.edit(3)->text(), "7.0");
}

TEST(ContactDialog, UpDownAndEnterMoveTheFocus)
{
    Fixture f;
    f.open(ContactDialog::Input);
    f.focus(f.edit(10));
    QTest::keyClick(f.edit(10), Qt::Key_Down);
    EXPECT_EQ(f.focused(), f.edit(11));
    QTest::keyClick(f.edit(11), Qt::Key_Up);
    QTest::keyClick(f.edit(10), Qt::Key_Up);
    EXPECT_EQ(f.focused(), f.edit(9));
    QTest::keyClick(f.edit(9), Qt::Key_Return);
    EXPECT_EQ(f.focused(), f.edit(10));
    // Escape does not close the dialog with the contact in it.
    QTest::keyClick(f.edit(10), Qt::Key_Escape);
    EXPECT_TRUE(f.dlg->isVisible());
}

TEST(ContactDialog, FieldsMeasureShiftJisBytesAndRefuseWhatItCannotHold)
{
    Fixture f;
    f.open(ContactDialog::Input);
    f.type(1, "ja1abcd");
    EXPECT_EQ(f.edit(1)->text(), "JA1ABC");
    f.focus(f.edit(10));
    f.typeKana(f.edit(10), "やまだたろうさんです");
    EXPECT_EQ(f.edit(10)->text(), "やまだたろうさ") << "14 bytes: seven kana";
    f.typeKana(f.edit(17), "😀한x");
    EXPECT_EQ(f.edit(17)->text(), "x");
    // Half-width kana take one byte each.
    f.typeKana(f.edit(3), "ｱｲｳｴ");
    EXPECT_EQ(f.edit(3)->text(), "ｱｲｳ");
    f.type(14, "packet7");
    EXPECT_EQ(f.edit(14)->text(), "PACKET");
}

TEST(ContactDialog, ForeignCallsignIsLoggedInUtc)
{
    Fixture f;
    f.open(ContactDialog::Input);
    f.type(1, "w1aw");
    f.enter();
    EXPECT_EQ(f.state.currentArea, 10);
    EXPECT_EQ(f.label("standardRemarkLabel")->text(), "Today I able to meet and good");
    EXPECT_EQ(f.label("ownHistoryLabel")->text(), "初めての局です。");
    EXPECT_EQ(f.edit(10)->text(), "") << "a new station leaves the name alone";
    f.enter();
    f.enter(); // automatic date and time off: on to the date
    EXPECT_EQ(f.focused(), f.edit(4));
    f.enter();
    EXPECT_EQ(f.edit(4)->text(), "24/05/06");
    f.enter();
    EXPECT_EQ(f.edit(5)->text(), "00:30");
    f.focus(f.edit(20));
    f.enter();
    EXPECT_EQ(f.edit(20)->text(), "00:30");
    EXPECT_TRUE(f.button("registerButton")->isEnabled());

    // The same for a Japanese station: Japanese time.
    f.click("clearButton");
    f.type(1, "JA1XYZ");
    f.enter();
    f.focus(f.edit(20));
    f.enter();
    EXPECT_EQ(f.edit(20)->text(), "09:30");
}

TEST(ContactDialog, PortableAreaTakesDigitsAndAOnly)
{
    Fixture f;
    f.open(ContactDialog::Input);
    f.type(1, "JA1XYZ");
    f.enter();
    QTest::keyClicks(f.edit(2), "b/");
    EXPECT_EQ(f.edit(2)->text(), "");
    QTest::keyClicks(f.edit(2), "a");
    EXPECT_EQ(f.edit(2)->text(), "A");
    f.enter();
    EXPECT_EQ(f.state.currentArea, 10);
    EXPECT_TRUE(f.state.portableEntry);
    // Japanese station abroad: UTC.
    f.focus(f.edit(5));
    f.enter();
    EXPECT_EQ(f.edit(5)->text(), "00:30");
    EXPECT_EQ(f.focused(), f.edit(8)) << "portable: on to the portable city";

    // Emptying it goes back to the callsign's area and clears the portable details.
    f.edit(3)->setText("M");
    f.erase(2);
    EXPECT_EQ(f.state.currentArea, 1);
    EXPECT_FALSE(f.state.portableEntry);
    for (int n = 3; n <= 9; ++n)
        EXPECT_EQ(f.edit(n)->text(), "") << n;
    f.type(2, "7");
    f.enter();
    EXPECT_EQ(f.state.currentArea, 7);
}

TEST(ContactDialog, AutomaticDateAndTimeNeedBothEmpty)
{
    Fixture f;
    f.state.settings.autoDateTime = true;
    f.open(ContactDialog::Input);
    f.type(1, "JA1XYZ");
    f.enter();
    f.type(5, "12:00");
    f.focus(f.edit(3));
    f.enter();
    EXPECT_EQ(f.edit(4)->text(), "") << "the date stays empty";
    EXPECT_EQ(f.edit(5)->text(), "12:00");
    EXPECT_EQ(f.focused(), f.edit(6));
}

TEST(ContactDialog, TwoKanaDoNotOpenTheLookupAndCancellingClearsTheField)
{
    Fixture f;
    ContactDialog &dlg = f.open(ContactDialog::Input);
    f.type(1, "JA1XYZ");
    f.enter();
    f.focus(f.edit(6));
    f.typeKana(f.edit(6), "かま");
    f.enter();
    EXPECT_EQ(dlg.findChild<CityLookupDialog *>(), nullptr);
    EXPECT_EQ(f.edit(6)->text(), "かま");
    EXPECT_EQ(f.focused(), f.edit(7));

    f.erase(6);
    f.typeKana(f.edit(6), "か");
    whenLookupShown(dlg, [](CityLookupDialog &lookup) {
        QTest::mouseClick(lookup.findChild<QPushButton *>("cancelButton"), Qt::LeftButton);
    });
    f.enter();
    EXPECT_FALSE(f.state.cityChosen);
    EXPECT_EQ(f.edit(6)->text(), "");
    EXPECT_EQ(f.edit(7)->text(), "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.focused() == f.edit(6); }, 2000)) << f.focusName();
}

TEST(ContactDialog, PortableEntryPutsTheCityIntoThePortablePair)
{
    Fixture f;
    ContactDialog &dlg = f.open(ContactDialog::Input);
    f.type(1, "JA1NEW");
    f.enter();
    f.type(2, "1");
    f.enter();
    f.focus(f.edit(8));
    f.typeKana(f.edit(8), "か");
    whenLookupShown(dlg, [](CityLookupDialog &lookup) { pickCity(lookup, "鎌倉市"); });
    f.enter();
    EXPECT_EQ(f.edit(8)->text(), "鎌倉市");
    EXPECT_EQ(f.edit(9)->text(), "1105");
    EXPECT_EQ(f.edit(6)->text(), "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.focused() == f.edit(10); }, 2000))
        << f.focusName(); // no name yet
}

TEST(ContactDialog, NoOwnPositionGivesNoCity)
{
    Fixture f;
    f.state.settings.fixedSpot = {};
    ContactDialog &dlg = f.open(ContactDialog::Input);
    f.type(1, "JA1NEW");
    f.enter();
    f.focus(f.edit(6));
    f.typeKana(f.edit(6), "か");
    whenLookupShown(dlg, [](CityLookupDialog &lookup) { pickCity(lookup, "鎌倉市"); });
    f.enter();
    EXPECT_EQ(f.messages.last(), "個人情報が登録されていません。");
    EXPECT_EQ(f.edit(6)->text(), "");
    EXPECT_EQ(f.edit(7)->text(), "");
    EXPECT_TRUE(f.label("distanceLabel")->isHidden());
    EXPECT_TRUE(f.compassBlank());
}

TEST(ContactDialog, ClearingThePortableJccClearsAllFourCityFields)
{
    Fixture f;
    f.open(ContactDialog::Input);
    f.type(1, "JA1XYZ");
    f.enter();
    for (int n = 6; n <= 9; ++n)
        f.edit(n)->setText(QStringLiteral("x%1").arg(n));
    f.label("distanceLabel")->show();
    f.erase(9);
    for (int n = 6; n <= 9; ++n)
        EXPECT_EQ(f.edit(n)->text(), "") << n;
    EXPECT_TRUE(f.label("distanceLabel")->isHidden());
    EXPECT_EQ(f.focused(), f.edit(8));
    f.edit(7)->setText("1001");
    f.erase(7);
    EXPECT_EQ(f.focused(), f.edit(6));
}

TEST(ContactDialog, EndTimeRuleForRegistering)
{
    Fixture f;
    f.open(ContactDialog::Input);
    // No callsign: leaving the end time enables nothing and fills nothing.
    f.focus(f.edit(20));
    f.enter();
    EXPECT_EQ(f.edit(20)->text(), "");
    EXPECT_FALSE(f.button("registerButton")->isEnabled());

    f.type(1, "JA1XYZ");
    f.type(20, "10:10");
    f.enter();
    EXPECT_TRUE(f.button("registerButton")->isEnabled());
    f.erase(20);
    EXPECT_FALSE(f.button("registerButton")->isEnabled());

    // Emptying the callsign starts afresh.
    f.type(20, "10:11");
    f.enter();
    f.erase(1);
    EXPECT_EQ(f.edit(10)->text(), "");
    EXPECT_FALSE(f.button("registerButton")->isEnabled());
}

TEST(ContactDialog, RegisterStoresDashesInEveryEmptyField)
{
    Fixture f(0);
    f.open(ContactDialog::Input);
    EXPECT_EQ(f.label("nextRecordLabel")->text(), "1");
    f.edit(19)->clear();
    f.type(1, "JA1XYZ");
    f.type(20, "10:10");
    f.enter();
    f.click("registerButton");
    const log::QsoRecord r = f.record(1);
    for (int i = 1; i < 19; ++i)
        EXPECT_EQ(r.field(static_cast<Field>(i)), "-") << i;
    EXPECT_EQ(f.state.nextRecordNo, 2);
}

TEST(ContactDialog, FailedRegistrationKeepsTheContact)
{
    Fixture f(0);
    f.open(ContactDialog::Input);
    f.type(1, "JA1XYZ");
    f.type(20, "10:10");
    f.enter();
    f.state.logPath = f.dir.path() + "/missing/JA1ABC.DAT";
    f.click("registerButton");
    EXPECT_TRUE(f.messages.last().startsWith("ファイルに書き込めませんでした。"));
    EXPECT_EQ(f.edit(1)->text(), "JA1XYZ");
    EXPECT_EQ(f.state.nextRecordNo, 1);
    EXPECT_EQ(f.state.ownIndex.count(1), 0);
}

TEST(ContactDialog, ModifyReadsNavigatesAndRewrites)
{
    Fixture f(3);
    ContactDialog &dlg = f.open(ContactDialog::Modify);
    EXPECT_EQ(dlg.title(), "交信記録編集（修正）");
    EXPECT_TRUE(f.button("modifyButton")->isVisible());
    EXPECT_TRUE(f.button("registerButton")->isHidden());
    EXPECT_TRUE(f.dlg->findChild<QWidget *>("recordPanel")->isVisible());
    EXPECT_EQ(f.dlg->findChild<QLabel *>("recordNumberCaption")->text(),
              "修正・削除・検索                      レコード番号");
    EXPECT_EQ(f.focused(), f.recordNumber());
    EXPECT_FALSE(f.button("readButton")->isEnabled());

    const char *const outOfRange[] = {"0", "4", "-1", "x"};
    for (const char *number : outOfRange) {
        f.recordNumber()->clear();
        QTest::keyClicks(f.recordNumber(), number);
        EXPECT_TRUE(f.button("readButton")->isEnabled());
        f.click("readButton");
        EXPECT_EQ(f.messages.last(), "範囲外のナンバーです") << number;
        EXPECT_EQ(f.messages.captions.last(), "通知");
        EXPECT_EQ(f.edit(1)->text(), "");
    }
    f.erase(f.recordNumber());
    EXPECT_FALSE(f.button("readButton")->isEnabled());

    QTest::keyClicks(f.recordNumber(), "3");
    f.click("readButton");
    EXPECT_EQ(f.edit(1)->text(), "JA1XYZ");
    EXPECT_TRUE(f.qsl()->isChecked());
    EXPECT_EQ(f.label("standardRemarkLabel")->text(), "またよろしく");
    EXPECT_EQ(f.focused(), f.edit(1));
    EXPECT_TRUE(f.button("modifyButton")->isEnabled());
    f.click("nextButton"); // 次へ on the last record stays on it
    EXPECT_EQ(f.recordNumber()->text(), "3");
    f.click("previousButton");
    EXPECT_EQ(f.recordNumber()->text(), "2");
    EXPECT_EQ(f.edit(1)->text(), "JA3QRP");
    f.click("previousButton");
    f.click("previousButton"); // 前へ on record 1 stays on it
    EXPECT_EQ(f.recordNumber()->text(), "1");

    // Changed and written back as the fields stand: empty stays empty.
    f.edit(13)->clear();
    f.edit(10)->setText("佐藤");
    f.click("modifyButton");
    const log::QsoRecord r = f.record(1);
    EXPECT_EQ(r.field(Field::OpName), sj("佐藤"));
    EXPECT_EQ(r.field(Field::Frequency), "");
    EXPECT_EQ(r.field(Field::PortableArea), "-");
    EXPECT_EQ(f.edit(1)->text(), "");
    EXPECT_FALSE(f.button("modifyButton")->isEnabled());
    EXPECT_EQ(f.recordNumber()->text(), "1");
}

TEST(ContactDialog, ModifyRefusesAnEmptyCallsignAndANumberOutOfRange)
{
    Fixture f(2);
    f.open(ContactDialog::Modify);
    QTest::keyClicks(f.recordNumber(), "2");
    f.click("readButton");
    const std::string before = f.logBytes();
    f.edit(1)->clear();
    f.click("modifyButton");
    EXPECT_EQ(f.messages.last(), "データが読み込まれていないか、または不完全です。");
    f.edit(1)->setText("JA1NEW");
    f.recordNumber()->setText("9");
    f.click("modifyButton");
    EXPECT_EQ(f.messages.last(), "範囲外のナンバーです");
    EXPECT_EQ(f.logBytes(), before);
    EXPECT_EQ(f.logBytes().size(), 2 * log::kRecordSize);
}

TEST(ContactDialog, DeleteAsksTakesTheBackupFirstAndMarksTheRecord)
{
    Fixture f(3);
    const std::string before = f.logBytes();
    ContactDialog &dlg = f.open(ContactDialog::Delete);
    QSignalSpy deleted(&dlg, &ContactDialog::recordDeleted);
    EXPECT_EQ(dlg.title(), "交信記録編集（削除）");
    // Opening the mode takes no copy: one taken by a visit that deletes nothing would make a
    // later restore drop what was registered since.
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("JA1ABC.BAK")));

    QTest::keyClicks(f.recordNumber(), "2");
    f.click("readButton");
    EXPECT_TRUE(f.button("deleteButton")->isEnabled());
    f.messages.confirmAnswer = false;
    f.click("deleteButton");
    EXPECT_EQ(f.messages.last(), "JA3QRP を削除してよろしいか　？");
    EXPECT_EQ(f.messages.captions.last(), "確認");
    EXPECT_EQ(f.logBytes(), before);
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("JA1ABC.BAK"))); // nothing deleted yet

    f.messages.confirmAnswer = true;
    f.click("deleteButton");
    const log::QsoRecord r = f.record(2);
    EXPECT_TRUE(r.isDeleted());
    EXPECT_EQ(std::string(r.bytes.data(), log::kRecordSize),
              std::string(log::buildDeletedRecord(true).bytes.data(), log::kRecordSize));
    EXPECT_EQ(f.record(3).field(Field::Callsign), "JA1XYZ");
    EXPECT_TRUE(f.state.deletedFlag);
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_EQ(f.recordNumber()->text(), "");
    EXPECT_EQ(f.focused(), f.recordNumber());
    EXPECT_FALSE(f.button("deleteButton")->isEnabled());
    // The copy taken before the first deletion holds the record; a second deletion of the
    // same visit keeps that copy, so a restore undoes both.
    EXPECT_EQ(f.dir.read("JA1ABC.BAK"), before);
    QTest::keyClicks(f.recordNumber(), "3");
    f.click("readButton");
    f.click("deleteButton");
    EXPECT_TRUE(f.record(3).isDeleted());
    EXPECT_EQ(f.dir.read("JA1ABC.BAK"), before);
}

TEST(ContactDialog, RecordSearchIsReadOnly)
{
    Fixture f(2);
    ContactDialog &dlg = f.open(ContactDialog::RecordSearch);
    EXPECT_EQ(dlg.title(), "レコード検索");
    for (const char *name : {"clearButton", "registerButton", "modifyButton", "deleteButton"})
        EXPECT_TRUE(f.button(name)->isHidden()) << name;
    EXPECT_TRUE(f.button("closeButton")->isVisible());
    QTest::keyClicks(f.recordNumber(), "1");
    f.click("readButton");
    EXPECT_EQ(f.edit(1)->text(), "JA1XYZ");
    for (int n = 1; n <= 20; ++n)
        EXPECT_TRUE(f.edit(n)->isReadOnly()) << n;
    f.focus(f.edit(1));
    QTest::keyClicks(f.edit(1), "Q");
    QTest::keyClick(f.edit(1), Qt::Key_F3);
    EXPECT_EQ(f.edit(1)->text(), "JA1XYZ");
    f.click("nextButton");
    EXPECT_EQ(f.edit(1)->text(), "JA3QRP");
}

TEST(ContactDialog, ReferenceLogLineShowsOnlyForAStationItHolds)
{
    Fixture f;
    log::appendRecord(f.dir.file("JA2REF.DAT"), 1,
                      contact("JA1REF", "23/04/04", sj("港区"), "100103"));
    f.state.referenceCall = "JA2REF";
    NoProgress quiet;
    ASSERT_EQ(app::openReferenceLog(f.state, quiet), app::OpenResult::Ok);
    f.open(ContactDialog::Input);
    f.type(1, "JA1REF");
    f.enter();
    EXPECT_EQ(f.label("ownHistoryLabel")->text(), "初めての局です。");
    EXPECT_TRUE(f.label("referenceHistoryLabel")->isVisible());
    EXPECT_EQ(f.label("referenceHistoryLabel")->text(),
              "山田 さん   港区         前回は 23/04/04   7  交信 1回");
    EXPECT_EQ(f.label("referenceCallLabel")->text(), "JA2REF");
    // Another station typed over it: the reference line does not stay behind.
    f.focus(f.edit(1));
    f.edit(1)->selectAll();
    QTest::keyClicks(f.edit(1), "JA1XYZ");
    f.enter();
    EXPECT_EQ(f.label("ownHistoryLabel")->text().left(5), "山田 さん");
    EXPECT_TRUE(f.label("referenceHistoryLabel")->isHidden());
    EXPECT_TRUE(f.label("referenceCallLabel")->isHidden());
}

TEST(ContactDialog, HistoryFillTakesThePlacesAndGoesToTheReport)
{
    Fixture f(3);
    f.state.settings.historyFill = true;
    f.open(ContactDialog::Input);
    f.type(1, "JA1XYZ");
    f.enter();
    EXPECT_EQ(f.edit(4)->text(), "24/05/06");
    EXPECT_EQ(f.edit(5)->text(), "09:30");
    EXPECT_EQ(f.edit(6)->text(), "千代田区");
    EXPECT_EQ(f.edit(7)->text(), "100101");
    EXPECT_EQ(f.edit(8)->text(), "-");
    EXPECT_EQ(f.edit(9)->text(), "-");
    EXPECT_EQ(f.focused(), f.edit(11));
}

TEST(Compass, NeedleRoseAndClear)
{
    const QColor face(212, 208, 200);
    QImage image(kCompassSize, kCompassSize, QImage::Format_RGB32);
    const QRgb blue = qRgb(0, 0, 255);
    const struct
    {
        int bearing;
        QPoint nearTip;
    } cases[] = {{0, {39, 15}}, {90, {63, 39}}, {180, {39, 63}}, {270, {15, 39}}};
    for (const auto &c : cases) {
        drawCompass(image, c.bearing, face);
        EXPECT_EQ(image.pixel(39, 39), blue) << "centre dot";
        EXPECT_EQ(image.pixel(c.nearTip), blue) << c.bearing;
        EXPECT_EQ(image.pixel(0, 0), face.rgb());
    }
    // Only one needle after drawing again.
    drawCompass(image, 90, face);
    EXPECT_NE(image.pixel(15, 39), blue);
    clearCompass(image, face);
    for (int y = 0; y < kCompassSize; ++y)
        for (int x = 0; x < kCompassSize; ++x)
            ASSERT_EQ(image.pixel(x, y), face.rgb());
}

TEST(ContactDialog, PortableContactIsFoundUnderItsCallsignBeforeAndAfterReopening)
{
    Fixture f(0);
    f.open(ContactDialog::Input);
    f.type(1, "JA1XYZ");
    f.type(2, "2");
    f.type(20, "10:10");
    f.enter();
    ASSERT_EQ(f.state.currentArea, 2) << "a portable area decides JST or UTC";
    f.click("registerButton");
    ASSERT_EQ(f.state.nextRecordNo, 2);
    EXPECT_EQ(f.state.ownIndex.count(1), 1);
    EXPECT_EQ(f.state.ownIndex.count(2), 0);

    f.type(1, "JA1XYZ");
    f.enter();
    const QString line = f.label("ownHistoryLabel")->text();
    EXPECT_TRUE(line.endsWith("交信 1回")) << line.toStdString();

    f.dlg->close();
    NoProgress quiet;
    app::openLog(f.state, quiet);
    f.open(ContactDialog::Input);
    f.type(1, "JA1XYZ");
    f.enter();
    EXPECT_EQ(f.label("ownHistoryLabel")->text(), line) << "the same after a restart";
}

TEST(ContactDialog, RefusedCharacterIsSaidInTheHintBarUntilTheNextKey)
{
    Fixture f(0);
    HintBar bar;
    HintRouter router(bar);
    qApp->installEventFilter(&router);
    f.open(ContactDialog::Input);
    f.focus(f.edit(10));
    f.typeKana(f.edit(10), "Ü");
    EXPECT_EQ(f.edit(10)->text(), "");
    EXPECT_TRUE(bar.hint().contains("「Ü」")) << bar.hint().toStdString();
    QTest::keyClicks(f.edit(10), "nal");
    EXPECT_EQ(f.edit(10)->text(), "nal");
    EXPECT_EQ(bar.hint(), "");
    qApp->removeEventFilter(&router);
}

TEST(ContactDialog, FixedStringCaptionsOfTenCharactersShowWhole)
{
    Fixture f(0);
    f.state.settings.fixedStrings = {
        "UR 5NN TNX", "CQ CQ DE J", "5NN BK TU", "73 GL TNX", "QSL VIA BU", "59", "", "", "", ""};
    // Longer than the button can show even at its least size: cut at its end only.
    f.state.settings.fixedStrings[9] = sj("よろしくお願いします。またどこかで");
    f.open(ContactDialog::Input);
    for (int k = 1; k <= 6; ++k) {
        QToolButton *b = f.button(qPrintable(QStringLiteral("fixedString%1Button").arg(k)));
        EXPECT_EQ(b->size(), QSize(60, 20));
        QStyleOptionToolButton option;
        option.initFrom(b);
        const int frame = b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, b);
        // The caption's width in the font it is drawn in, inside the button's frame.
        const int width = QFontMetrics(b->font()).horizontalAdvance(b->text());
        EXPECT_LE(width, b->width() - 2 * frame) << b->text().toStdString();
        EXPECT_GE(QFontInfo(b->font()).pointSizeF(), 7.0) << b->text().toStdString();
        EXPECT_EQ(static_cast<FixedStringButton *>(b)->shownCaption(), b->text());
    }
    // A short caption keeps the dialog's own font.
    EXPECT_EQ(QFontInfo(f.button("fixedString6Button")->font()).pixelSize(),
              QFontInfo(f.dlg->font()).pixelSize());

    auto *longest = static_cast<FixedStringButton *>(f.button("fixedString10Button"));
    const QString shown = longest->shownCaption();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(longest->text().startsWith(shown.chopped(1))) << shown.toStdString();
    EXPECT_GE(QFontInfo(longest->font()).pointSizeF(), FixedStringButton::kLeastPointSize);
    EXPECT_LT(QFontInfo(longest->font()).pointSizeF(), FixedStringButton::kLeastPointSize + 1);
    // A click still puts the whole caption into the field.
    f.focus(f.edit(17));
    QTest::mouseClick(f.button("fixedString1Button"), Qt::LeftButton);
    EXPECT_EQ(f.edit(17)->text(), "UR 5NN TNX");
}
