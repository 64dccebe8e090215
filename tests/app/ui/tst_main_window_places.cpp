// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/main_window.h"

#include "app/ui/registration_dialog.h"
#include "app/user_settings.h"
#include "common/file_io.h"
#include "common/ui/hint_bar.h"
#include "log/ui/contact_dialog.h"
#include "places/ui/city_lookup_dialog.h"
#include "places/ui/master_editor_dialog.h"
#include "places/ui/personal_info_dialog.h"

#include "support/window_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

using namespace vz;
using namespace vz::ui;

namespace {

std::string shipped(const char *name)
{
    const char *data = std::getenv("VEZO_TEST_DATA");
    return files::readAll(std::string(data ? data : VEZO_SOURCE_DATA) + "/" + name).value();
}

// A new installation: the shipped prefix table and master of area 1, no user yet.
struct Fixture : test::WindowFixture
{
    std::unique_ptr<MainWindow> window;

    explicit Fixture(bool registered = true)
    {
        dir.installPrefixTable();
        dir.write("Master01.cty", shipped("Master01.cty"));
        if (registered)
            dir.write("Start.DAT", "JA1ABC");
        window = std::make_unique<MainWindow>(state, services, QString::fromStdString(dir.path()));
    }
    ~Fixture()
    {
        state.startAborted = true;
        window->close();
    }
    // Shows the window; its show handler starts up (with the first-run registration when
    // there is no user yet).
    void start() const
    {
        window->show();
        for (int i = 0; i < 500 && !started(); ++i)
            QTest::qWait(10);
        ASSERT_TRUE(started());
    }
    bool started() const
    {
        return !state.currentCall.empty() && state.dialogModes.entry == 0 &&
               files::exists(state.logPath);
    }
    void run(Command id) const { QTest::mouseClick(window->commandButton(id), Qt::LeftButton); }
    template <typename T> T *openDialog() const
    {
        for (T *d : window->findChildren<T *>())
            if (d->isVisible())
                return d;
        return nullptr;
    }
};

void activate(QWidget *w)
{
    w->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w));
}

// Acts on the modal dialog of type T once it is on screen.
template <typename T> void whenShown(std::function<void(T *)> act)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *dlg = qobject_cast<T *>(w); dlg && dlg->isVisible()) {
                poll->stop();
                poll->deleteLater();
                act(dlg);
                return;
            }
    });
    poll->start(5);
}

} // namespace

TEST(MainWindowPlaces, RoadOfANewUserToTheFirstDistance)
{
    Fixture f(false);
    whenShown<RegistrationDialog>([](RegistrationDialog *dlg) {
        QTest::keyClicks(dlg->findChild<QLineEdit *>("inputEdit"), "ja1abc");
        QTest::mouseClick(dlg->findChild<QPushButton *>("registerButton"), Qt::LeftButton);
    });
    f.start();
    ASSERT_EQ(f.state.currentCall, "JA1ABC");
    // Start-up put the lines of PreFix.CFG into the personal information's list.
    EXPECT_EQ(f.window->personalInfo()->findChild<QListWidget *>("prefixList")->count(), 17);

    // 個人情報: the fixed JCC, 適用, 終了.
    bool shown = false;
    whenShown<PersonalInfoDialog>([&](PersonalInfoDialog *dlg) {
        shown = true;
        EXPECT_EQ(f.state.dialogModes.environ, 1);
        EXPECT_EQ(dlg->y(), f.window->frameGeometry().bottom() + 1);
        EXPECT_EQ(f.window->hintBar()->y(), dlg->y() + dlg->frameGeometry().height());
        activate(dlg);
        dlg->findChild<QTabWidget *>("pages")->setCurrentIndex(1);
        auto *jcc = dlg->findChild<QLineEdit *>("fixedJccEdit");
        EXPECT_TRUE(jcc->hasFocus());
        QTest::keyClicks(jcc, "100101");
        QTest::keyClick(jcc, Qt::Key_Tab);
        EXPECT_EQ(dlg->findChild<QLabel *>("fixedCityLabel")->text(), "千代田区");
        QTest::mouseClick(dlg->findChild<QPushButton *>("applyButton"), Qt::LeftButton);
        QTest::mouseClick(dlg->findChild<QPushButton *>("closeButton"), Qt::LeftButton);
    });
    f.run(Command::PersonalInfo);
    ASSERT_TRUE(shown);
    EXPECT_EQ(f.state.dialogModes.environ, 0);
    EXPECT_EQ(f.window->hintBar()->y(), f.window->frameGeometry().bottom() + 1);
    const app::UserSettings saved = app::readUserSettings(f.dir.file("JA1ABC.ini")).settings;
    EXPECT_EQ(saved.fixedJcc, "100101");
    EXPECT_EQ(saved.fixedSpot, f.state.settings.fixedSpot);
    EXPECT_GT(saved.fixedSpot[0], 0);
    EXPECT_TRUE(f.messages.texts.isEmpty()) << f.messages.last().toStdString();

    // 入力: a callsign and ち; 千代田区 picked; distance and compass from the own city.
    f.run(Command::LogInput);
    ContactDialog *contact = f.openDialog<ContactDialog>();
    ASSERT_NE(contact, nullptr);
    QTest::qWait(20); // the main window's activation after the modal dialog settles first
    activate(contact);
    auto *callsign = contact->findChild<QLineEdit *>("callsignEdit");
    QTest::keyClicks(callsign, "ja1xyz");
    QTest::keyClick(callsign, Qt::Key_Return);
    auto *city = contact->findChild<QLineEdit *>("fixedCityEdit");
    activate(contact);
    city->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(city->hasFocus());
    whenShown<CityLookupDialog>([](CityLookupDialog *lookup) {
        auto *grid = lookup->findChild<QTableWidget *>("cityTable");
        const auto found = grid->findItems("千代田区", Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        grid->scrollToItem(found.front());
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualItemRect(found.front()).center());
        QTest::mouseClick(lookup->findChild<QPushButton *>("confirmButton"), Qt::LeftButton);
    });
    QTest::sendKeyEvent(QTest::Click, city, Qt::Key_unknown, "ち", Qt::NoModifier);
    QTest::keyClick(city, Qt::Key_Return);
    EXPECT_TRUE(f.messages.texts.isEmpty()) << f.messages.last().toStdString();
    EXPECT_EQ(city->text(), "千代田区");
    EXPECT_EQ(contact->findChild<QLineEdit *>("fixedJccEdit")->text(), "100101");
    EXPECT_TRUE(f.state.cityChosen);
    auto *distance = contact->findChild<QLabel *>("distanceLabel");
    EXPECT_TRUE(distance->isVisible());
    EXPECT_TRUE(distance->text().contains("距離     0.0Km")) << distance->text().toStdString();
    const QImage compass = contact->findChild<QLabel *>("compassLabel")->pixmap().toImage();
    bool drawn = false;
    for (int y = 0; y < compass.height() && !drawn; ++y)
        for (int x = 0; x < compass.width() && !drawn; ++x)
            drawn = compass.pixel(x, y) != compass.pixel(0, 0);
    EXPECT_TRUE(drawn);
}

TEST(MainWindowPlaces, PersonalInfoChangesReachTheOpenContactDialog)
{
    Fixture f;
    f.start();
    f.run(Command::LogInput);
    ContactDialog *contact = f.openDialog<ContactDialog>();
    ASSERT_NE(contact, nullptr);
    f.dir.write("Master08.cty", shipped("Master08.cty"));
    whenShown<PersonalInfoDialog>([&](PersonalInfoDialog *dlg) {
        activate(dlg);
        auto *f3 = dlg->findChild<QLineEdit *>("fixedString3Edit");
        f3->setFocus();
        QTest::keyClicks(f3, "QRZ?");
        EXPECT_EQ(contact->findChild<QToolButton *>("fixedString3Button")->text(), "QRZ?");
        dlg->findChild<QTabWidget *>("pages")->setCurrentIndex(1);
        dlg->findChild<QCheckBox *>("mobileCheck")->click();
        auto *mobile = dlg->findChild<QLineEdit *>("mobileJccEdit");
        mobile->setFocus();
        QTest::keyClicks(mobile, "0101");
        QTest::keyClick(mobile, Qt::Key_Tab);
        EXPECT_EQ(contact->findChild<QLineEdit *>("ownPortablePlaceEdit")->text(), "札幌市");
        QTest::mouseClick(dlg->findChild<QPushButton *>("endMobileButton"), Qt::LeftButton);
        EXPECT_EQ(contact->findChild<QLineEdit *>("ownPortablePlaceEdit")->text(), "");
        // 中止: the settings as they were, on the contact dialog too.
        QTest::mouseClick(dlg->findChild<QPushButton *>("cancelButton"), Qt::LeftButton);
    });
    f.run(Command::PersonalInfo);
    EXPECT_EQ(contact->findChild<QToolButton *>("fixedString3Button")->text(), "");
    EXPECT_EQ(f.state.settings.fixedStrings[2], "");
}

TEST(MainWindowPlaces, OneMasterEditorAtATimeUnderTheWindowWithTheHintBarBelow)
{
    Fixture f;
    f.start();
    f.run(Command::JccEdit);
    MasterEditorDialog *editor = f.openDialog<MasterEditorDialog>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(f.state.dialogModes.master, 1);
    EXPECT_FALSE(editor->isModal());
    EXPECT_TRUE(editor->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(editor->x(), f.window->x());
    EXPECT_EQ(editor->y(), f.window->frameGeometry().bottom() + 1);
    EXPECT_EQ(f.window->hintBar()->y(), editor->y() + editor->frameGeometry().height());
    EXPECT_FALSE(f.window->commandButton(Command::JccEdit)->isEnabled());
    // The main window stays usable meanwhile.
    EXPECT_TRUE(f.window->commandButton(Command::LogInput)->isEnabled());

    QTest::mouseClick(editor->findChild<QPushButton *>("closeButton"), Qt::LeftButton);
    EXPECT_EQ(f.state.dialogModes.master, 0);
    EXPECT_TRUE(f.window->commandButton(Command::JccEdit)->isEnabled());
    EXPECT_EQ(f.window->hintBar()->y(), f.window->frameGeometry().bottom() + 1);
}
