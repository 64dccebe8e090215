// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/main_window.h"

#include "common/file_io.h"
#include "common/ui/hint_bar.h"
#include "log/log_file.h"
#include "log/ui/contact_dialog.h"

#include "support/window_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::ui;

namespace {

const Command kLocked[] = {Command::NewUser,  Command::SwitchUser, Command::Reference,
                           Command::LogInput, Command::LogModify,  Command::LogDelete,
                           Command::LogSearch};

struct Fixture : test::WindowFixture
{
    std::unique_ptr<MainWindow> form;

    Fixture()
    {
        dir.installPrefixTable();
        dir.write("Start.DAT", "JA1ABC");
        log::FieldTexts t;
        t[0] = "JA3XYZ";
        log::appendRecord(dir.file("JA1ABC.DAT"), 1, log::buildRecord(t, false, true));
        form = std::make_unique<MainWindow>(state, services, QString::fromStdString(dir.path()));
        EXPECT_TRUE(form->startUp());
        form->show();
    }
    ~Fixture()
    {
        state.startAborted = true;
        form->close();
    }
    ContactDialog *openDialog() const
    {
        for (ContactDialog *d : form->findChildren<ContactDialog *>())
            if (d->isVisible())
                return d;
        return nullptr;
    }
};

} // namespace

TEST(MainWindowLog, EachCommandOpensTheEditDialogInItsModeAndLocksTheCommands)
{
    Fixture f;
    const std::pair<Command, int> commands[] = {{Command::LogInput, 1},
                                                {Command::LogModify, 2},
                                                {Command::LogDelete, 3},
                                                {Command::LogSearch, 4}};
    for (const auto &[command, mode] : commands) {
        QTest::mouseClick(f.form->commandButton(command), Qt::LeftButton);
        QPointer<ContactDialog> dlg = f.openDialog();
        ASSERT_TRUE(dlg) << mode;
        EXPECT_EQ(dlg->mode(), mode);
        EXPECT_EQ(f.state.dialogModes.log, mode);
        EXPECT_EQ(dlg->parentWidget(), f.form.get());
        EXPECT_TRUE(dlg->testAttribute(Qt::WA_DeleteOnClose));
        const int mainBottom = f.form->frameGeometry().bottom() + 1;
        EXPECT_EQ(dlg->y(), mainBottom);
        EXPECT_EQ(dlg->x(), f.form->x());
        EXPECT_EQ(f.form->hintBar()->y(), mainBottom + dlg->frameGeometry().height());
        for (Command id : kLocked)
            EXPECT_FALSE(f.form->commandButton(id)->isEnabled()) << mode;
        EXPECT_TRUE(f.form->commandButton(Command::ItemSearch)->isEnabled());

        QTest::mouseClick(dlg->findChild<QToolButton *>("closeButton"), Qt::LeftButton);
        EXPECT_EQ(f.state.dialogModes.log, 0);
        EXPECT_EQ(f.form->hintBar()->y(), mainBottom);
        for (Command id : kLocked)
            EXPECT_TRUE(f.form->commandButton(id)->isEnabled()) << mode;
        EXPECT_TRUE(QTest::qWaitFor([&] { return dlg.isNull(); }, 2000)) << "discarded";
    }
}

TEST(MainWindowLog, DeletingEnablesTheReorganizeCommand)
{
    Fixture f;
    EXPECT_FALSE(f.form->commandButton(Command::ReorganizeLog)->isEnabled());
    f.form->runCommand(Command::LogDelete);
    ContactDialog *dlg = f.openDialog();
    ASSERT_NE(dlg, nullptr);
    // The copy for 復元 is taken when a delete is written, not when the screen opens.
    EXPECT_FALSE(files::exists(f.dir.file("JA1ABC.BAK")));
    QTest::keyClicks(dlg->findChild<QLineEdit *>("recordNumberEdit"), "1");
    QTest::mouseClick(dlg->findChild<QToolButton *>("readButton"), Qt::LeftButton);
    QTest::mouseClick(dlg->findChild<QToolButton *>("deleteButton"), Qt::LeftButton);
    EXPECT_EQ(f.messages.last(), "JA3XYZ を削除してよろしいか　？");
    EXPECT_TRUE(f.state.deletedFlag);
    EXPECT_EQ(f.dir.read("JA1ABC.BAK").size(), log::kRecordSize);
    EXPECT_TRUE(f.form->commandButton(Command::ReorganizeLog)->isEnabled());
    dlg->close();
}

TEST(MainWindowLog, UserCommandsWaitUntilBothEditAndSearchDialogsAreClosed)
{
    Fixture f;
    f.form->runCommand(Command::LogInput);
    f.form->runCommand(Command::ItemSearch);
    ASSERT_NE(f.state.dialogModes.list, 0);
    f.openDialog()->close();
    EXPECT_FALSE(f.form->commandButton(Command::NewUser)->isEnabled()) << "search still open";
    EXPECT_TRUE(f.form->commandButton(Command::LogInput)->isEnabled());
    for (QWidget *w : f.form->findChildren<QDialog *>())
        if (w->isVisible())
            w->close();
    EXPECT_EQ(f.state.dialogModes.list, 0);
    EXPECT_TRUE(f.form->commandButton(Command::NewUser)->isEnabled());
}
