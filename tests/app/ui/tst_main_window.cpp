// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/main_window.h"

#include "app/session.h"
#include "app/start_file.h"
#include "app/ui/registration_dialog.h"
#include "app/ui/title_line.h"
#include "app/user_registry.h"
#include "common/file_io.h"
#include "common/ui/hint_bar.h"
#include "log/log_file.h"

#include "support/window_fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
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
    ASSERT_EQ(tabs->count(), 7);
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
