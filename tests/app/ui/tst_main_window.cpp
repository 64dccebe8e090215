// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/main_window.h"

#include "app/ui/dialog_placement.h"

#include "app/session.h"
#include "app/start_file.h"
#include "app/ui/registration_dialog.h"
#include "app/ui/title_line.h"
#include "app/user_registry.h"
#include "common/file_io.h"
#include "common/ui/hint_bar.h"
#include "log/log_file.h"
#include "places/ui/personal_info_dialog.h"

#include "support/window_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::ui;

namespace {

struct Fixture : test::WindowFixture
{
    std::unique_ptr<MainWindow> form;

    Fixture(bool withPrefixTable = true)
    {
        if (withPrefixTable)
            dir.installPrefixTable();
        form = std::make_unique<MainWindow>(state, services, QString::fromStdString(dir.path()));
    }
    QString title() const { return form->findChild<TitleLine *>("titleLine")->callsign(); }
};

// Answers the first-run registration once it is open.
void registerWhenAsked(const QString &call)
{
    QTimer::singleShot(0, [call] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *dlg = qobject_cast<RegistrationDialog *>(w)) {
                QTest::keyClicks(dlg->findChild<QLineEdit *>("inputEdit"), call);
                QTest::mouseClick(dlg->findChild<QPushButton *>("registerButton"), Qt::LeftButton);
            }
    });
}

} // namespace

TEST(MainWindow, CaptionTabsAndEveryCommandWithItsHint)
{
    Fixture f;
    EXPECT_EQ(f.form->windowTitle(), "ログ管理プログラム　VEZODovi");
    auto *tabs = f.form->findChild<QTabWidget *>("commandTabs");
    ASSERT_EQ(tabs->count(), 8);
    EXPECT_EQ(tabs->tabText(7), "LoTW");
    EXPECT_EQ(tabs->tabText(1), "ログ編集・レコード検索");
    EXPECT_EQ(tabs->tabText(3), "検　索");
    for (const CommandSpec &command : commandSpecs()) {
        QAbstractButton *b = f.form->commandButton(command.id);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), QString::fromUtf8(command.caption));
        EXPECT_EQ("|" + b->statusTip(), QString::fromUtf8(command.hint));
        EXPECT_TRUE(b->toolTip().isEmpty()) << "no pop-up tip";
    }
    EXPECT_EQ(f.form->commandButton(Command::ItemSearch)->statusTip(), "項目別で検索します");
}

TEST(MainWindow, HoveringACommandShowsItsHintInTheHintBar)
{
    Fixture f;
    QAbstractButton *b = f.form->commandButton(Command::Reference);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(b, &enter);
    EXPECT_EQ(f.form->hintBar()->hint(), "履歴や検索で他のコールサインのデータを参照します");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(b, &leave);
    EXPECT_EQ(f.form->hintBar()->hint(), "");
}

TEST(MainWindow, MissingPrefixTableEndsStartWithoutTouchingAnyFile)
{
    Fixture f(false);
    EXPECT_FALSE(f.form->startUp());
    EXPECT_EQ(f.messages.last(), "特例プリフィックスファイルがないのでプログラムを終了します。");
    EXPECT_EQ(f.messages.captions.last(), "エラー");
    EXPECT_TRUE(f.state.startAborted);
    f.form->close();
    EXPECT_FALSE(files::exists(f.dir.file("Start.DAT")));
    EXPECT_FALSE(files::exists(f.dir.file(".ini")));
}

TEST(MainWindow, FirstRunRegistersTheCallsignAndOpensAnEmptyLog)
{
    Fixture f;
    registerWhenAsked("ja1abc");
    ASSERT_TRUE(f.form->startUp());
    EXPECT_EQ(f.state.currentCall, "JA1ABC");
    EXPECT_EQ(f.title(), "JA1ABC");
    EXPECT_EQ(app::listUsers(f.state.callSignPath), std::vector<std::string>{"JA1ABC"});
    EXPECT_EQ(f.dir.read("Start.DAT"), std::string("JA1ABC\0\0\0\0", 10));
    EXPECT_TRUE(files::exists(f.dir.file("JA1ABC.DAT")));
    EXPECT_EQ(f.state.nextRecordNo, 1);
    EXPECT_FALSE(f.form->commandButton(Command::ReorganizeLog)->isEnabled());
    f.form->close();
    EXPECT_TRUE(files::exists(f.dir.file("JA1ABC.ini")));
}

TEST(MainWindow, EmptyStartFileIsAFirstRunAndClosingTheDialogAbandonsStart)
{
    Fixture f;
    f.dir.write("Start.DAT", std::string(10, '\0'));
    QTimer::singleShot(0, [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *dlg = qobject_cast<RegistrationDialog *>(w))
                dlg->reject();
    });
    EXPECT_FALSE(f.form->startUp());
    f.form->close();
    EXPECT_FALSE(files::exists(f.dir.file(".DAT")));
    EXPECT_FALSE(files::exists(f.dir.file(".ini")));
    EXPECT_EQ(f.dir.read("Start.DAT"), std::string(10, '\0'));
}

TEST(MainWindow, KnownUserOpensLogSettingsAndReference)
{
    Fixture f;
    f.dir.write("Start.DAT", "JA1ABC");
    log::FieldTexts t;
    t[0] = "JA3XYZ";
    ASSERT_EQ(log::appendRecord(f.dir.file("JA1ABC.DAT"), 1, log::buildRecord(t, false, true)),
              log::IoResult::Ok);
    log::appendRecord(f.dir.file("JA2REF.DAT"), 1, log::buildRecord(t, false, true));
    app::UserSettings s;
    ASSERT_TRUE(app::writeUserSettings(f.dir.file("JA1ABC.ini"), s, {"JA2REF", true, true}));

    ASSERT_TRUE(f.form->startUp());
    EXPECT_EQ(f.title(), "JA1ABC");
    EXPECT_EQ(f.state.nextRecordNo, 2);
    EXPECT_EQ(f.state.ownIndex.list(3), std::vector<std::int32_t>{0});
    EXPECT_TRUE(f.state.referenceOn);
    EXPECT_EQ(f.state.referenceIndex.count(3), 1);
    EXPECT_TRUE(f.form->commandButton(Command::ReorganizeLog)->isEnabled());
    EXPECT_TRUE(f.messages.texts.isEmpty());
    EXPECT_TRUE(f.form->hintBar()->isVisible());
}

TEST(MainWindow, NoPrinterDisablesOnlyTheCardCommands)
{
    Fixture f;
    if (f.state.printerAvailable)
        GTEST_SKIP() << "this machine has a default printer";
    for (Command id : {Command::Postcard, Command::CommercialHorizontal,
                       Command::CommercialVertical, Command::BlankCard})
        EXPECT_FALSE(f.form->commandButton(id)->isEnabled());
    f.form->setCardCommandsEnabled(true);
    EXPECT_FALSE(f.form->commandButton(Command::Postcard)->isEnabled());
    EXPECT_TRUE(f.form->commandButton(Command::LogInput)->isEnabled());
}

TEST(MainWindow, HintBarFollowsACarryingDialogAndReturns)
{
    Fixture f;
    f.form->show();
    QWidget dialog;
    dialog.resize(400, 300);
    f.state.dialogModes.log = 1;
    f.form->placeDialog(&dialog, Placement::CarriesHintBar);
    const int mainBottom = f.form->frameGeometry().bottom() + 1;
    EXPECT_EQ(dialog.y(), mainBottom);
    EXPECT_EQ(f.form->hintBar()->y(), mainBottom + dialog.frameGeometry().height());
    f.state.dialogModes.list = 9; // another carrier still open: the bar stays
    f.state.dialogModes.log = 0;
    f.form->hintCarrierClosed();
    EXPECT_NE(f.form->hintBar()->y(), mainBottom);
    f.state.dialogModes.list = 0;
    f.form->hintCarrierClosed();
    EXPECT_EQ(f.form->hintBar()->y(), mainBottom);
    f.state.startAborted = true;
    f.form->close();
}

// Every placement on a 1280 x 1024 screen keeps the dialog and the hint bar apart and on the
// screen: at the default place, with the main window low, at the very bottom, and with a
// dialog too tall for any free side.
TEST(DialogPlacement, DialogAndHintBarNeverMeetAndStayOnScreen)
{
    const QRect screen(0, 0, 1280, 1024);
    const QSize bar(787, 26);
    const QSize main(795, 146);
    const struct
    {
        const char *what;
        int mainTop;
        QSize dialog;
        bool overMain; // no free side: centred over the main window
    } cases[] = {
        {"default", 20, {420, 300}, false},
        {"default, large", 20, {795, 700}, false},
        {"low", 1024 - 146 - 30, {420, 300}, false},
        {"bottom", 1024 - 146, {420, 300}, false},
        {"bottom, tall", 1024 - 146, {795, 800}, false}, // above the bar, just fits
        {"middle, tall", 400, {600, 500}, true},
    };
    for (const auto &c : cases)
        for (const Placement p : {Placement::Left300, Placement::CarriesHintBar}) {
            SCOPED_TRACE(std::string(c.what) + (p == Placement::Left300 ? " at 300" : " docked"));
            const QRect mainFrame(QPoint(242, c.mainTop), main);
            const DialogPlaces at = placeNearMain(mainFrame, c.dialog, bar, screen, p);
            const QRect dialog(at.dialog, c.dialog);
            const QRect hint(at.hintBar, bar);
            EXPECT_FALSE(dialog.intersects(hint));
            EXPECT_FALSE(hint.intersects(mainFrame));
            EXPECT_TRUE(screen.contains(dialog));
            EXPECT_TRUE(screen.contains(hint));
            EXPECT_EQ(dialog.intersects(mainFrame), c.overMain);
            if (p == Placement::Left300 && !c.overMain) {
                EXPECT_EQ(dialog.x(), 300);
            }
        }
    // The default: the bar under the main window, a dialog at 300 just below the bar.
    const DialogPlaces first =
        placeNearMain(QRect(242, 20, 795, 146), {420, 300}, bar, screen, Placement::Left300);
    EXPECT_EQ(first.hintBar, QPoint(242, 166));
    EXPECT_EQ(first.dialog, QPoint(300, 192));
    // Under a bar that carries on under a docked dialog; centred when it would leave the screen.
    EXPECT_EQ(placeUnderBar(QRect(242, 600, 787, 26), {300, 200}, QRect(242, 20, 795, 146), screen),
              QPoint(300, 626));
    EXPECT_EQ(placeUnderBar(QRect(242, 900, 787, 26), {300, 200}, QRect(242, 20, 795, 146), screen),
              QPoint(490, 0));
}

// Open dialogs follow the main window; at the bottom of the screen they stand above it.
TEST(MainWindow, DialogsFollowTheMainWindowAndAvoidTheHintBar)
{
    Fixture f;
    f.dir.write("Start.DAT", "JA1ABC"); // no first-run registration on show
    f.form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.form.get()));
    QWidget docked(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    docked.resize(500, 200);
    QWidget atLeft(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    atLeft.resize(300, 150);
    f.state.dialogModes.log = 1;
    f.form->placeDialog(&docked, Placement::CarriesHintBar);
    f.form->placeDialog(&atLeft, Placement::UnderHintBar);
    docked.show();
    atLeft.show();
    const QRect screen = f.form->screen()->availableGeometry();
    const auto check = [&] {
        const QRect bar = f.form->hintBar()->frameGeometry();
        EXPECT_EQ(bar.top(), docked.frameGeometry().bottom() + 1);
        EXPECT_FALSE(atLeft.frameGeometry().intersects(bar));
        EXPECT_FALSE(docked.frameGeometry().intersects(f.form->frameGeometry()));
        EXPECT_TRUE(screen.contains(bar));
        EXPECT_TRUE(screen.contains(docked.frameGeometry()));
    };
    check();
    const QPoint moved = f.form->pos() + QPoint(8, 40);
    f.form->move(moved);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return docked.y() == f.form->frameGeometry().bottom() + 1; }));
    EXPECT_EQ(docked.x(), f.form->frameGeometry().x());
    EXPECT_EQ(atLeft.y(), f.form->hintBar()->frameGeometry().bottom() + 1);
    check();

    // At the bottom of the screen the docked dialog and its bar go above the main window.
    f.form->move(f.form->x(), screen.bottom() + 1 - f.form->frameGeometry().height());
    ASSERT_TRUE(QTest::qWaitFor([&] { return docked.y() < f.form->y(); }));
    EXPECT_TRUE(screen.contains(f.form->hintBar()->frameGeometry()));
    EXPECT_FALSE(docked.frameGeometry().intersects(f.form->hintBar()->frameGeometry()));
    EXPECT_FALSE(atLeft.frameGeometry().intersects(f.form->hintBar()->frameGeometry()));
    f.state.startAborted = true;
    f.form->close();
}

// A computer whose local time is not Japanese time says so once, on the hint bar and in the
// personal information; on Japanese time nothing is said.
TEST(MainWindow, ClockNotOnJapaneseTimeIsSaidOnce)
{
    const calendar::DateTimeParts utc{2026, 12, 9, 3, 0, 0, 3};
    const struct
    {
        calendar::DateTimeParts local;
        QString notice;
    } cases[] = {
        {utc, QStringLiteral("このコンピュータの時刻は日本時間ではありません（UTC+0:00）")},
        {{2026, 12, 9, 12, 0, 0, 3}, QString()},
        {{2026, 12, 8, 22, 0, 0, 2},
         QStringLiteral("このコンピュータの時刻は日本時間ではありません（UTC-5:00）")},
    };
    for (const auto &c : cases) {
        test::WindowFixture f;
        f.dir.installPrefixTable();
        f.dir.write("Start.DAT", "JA1ABC");
        f.state.clock =
            std::make_unique<calendar::FixedClock>(calendar::ClockSnapshot{c.local, utc});
        MainWindow form(f.state, f.services, QString::fromStdString(f.dir.path()));
        ASSERT_TRUE(form.startUp());
        const auto *note = form.personalInfo()->findChild<QLabel *>("timeZoneNote");
        if (c.notice.isEmpty()) {
            EXPECT_FALSE(form.hintBar()->hint().contains(QStringLiteral("日本時間")));
            EXPECT_EQ(note, nullptr);
        } else {
            EXPECT_TRUE(form.hintBar()->hint().startsWith(c.notice))
                << form.hintBar()->hint().toStdString();
            EXPECT_TRUE(form.hintBar()->hint().contains(
                QStringLiteral("timedatectl set-timezone Asia/Tokyo")));
            ASSERT_NE(note, nullptr);
            EXPECT_TRUE(note->text().startsWith(c.notice));
            EXPECT_TRUE(note->text().contains(QStringLiteral("TZ=Asia/Tokyo")));
        }
        EXPECT_TRUE(f.messages.texts.isEmpty());
        f.state.startAborted = true;
        form.close();
    }
}
