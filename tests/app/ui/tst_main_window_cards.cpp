// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/main_window.h"
#include "app/ui/registration_dialog.h"
#include "app/user_registry.h"
#include "common/ui/hint_bar.h"
#include "print/print_queue.h"
#include "print/ui/commercial_card_dialog.h"
#include "print/ui/postcard_dialog.h"

#include "support/window_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::ui;

namespace {

const Command kCardCommands[] = {Command::Postcard, Command::CommercialHorizontal,
                                 Command::CommercialVertical, Command::BlankCard};

struct Fixture : test::WindowFixture
{
    std::unique_ptr<MainWindow> window;

    Fixture()
    {
        dir.installPrefixTable();
        dir.write("Start.DAT", "JA1ABC");
        app::appendUser(dir.file("CallSign.DAT"), "JA1ABC");
        window = std::make_unique<MainWindow>(state, services, QString::fromStdString(dir.path()));
        EXPECT_TRUE(window->startUp());
        state.printerAvailable = true; // as on a machine with a printer
        window->setCardCommandsEnabled(true);
    }
    ~Fixture() { window->close(); }
    int enabledCardCommands() const
    {
        int n = 0;
        for (Command id : kCardCommands)
            n += window->commandButton(id)->isEnabled() ? 1 : 0;
        return n;
    }
};

template <typename T> T *openDialog(QWidget *owner)
{
    for (T *d : owner->findChildren<T *>())
        if (d->isVisible())
            return d;
    return nullptr;
}

} // namespace

TEST(CardCommands, EachCardDialogHoldsTheFourCommandsWhileOpen)
{
    Fixture f;
    f.window->runCommand(Command::Postcard);
    auto *postcard = openDialog<PostcardDialog>(f.window.get());
    ASSERT_NE(postcard, nullptr);
    EXPECT_EQ(f.state.dialogModes.post, 1);
    EXPECT_EQ(f.enabledCardCommands(), 0);
    EXPECT_EQ(f.window->hintBar()->y(), postcard->frameGeometry().bottom() + 1);
    postcard->close();
    EXPECT_EQ(f.state.dialogModes.post, 0);
    EXPECT_EQ(f.enabledCardCommands(), 4);

    f.window->runCommand(Command::CommercialVertical);
    auto *commercial = openDialog<CommercialCardDialog>(f.window.get());
    ASSERT_NE(commercial, nullptr);
    EXPECT_EQ(commercial->kind(), print::CardKind::Vertical);
    EXPECT_EQ(f.enabledCardCommands(), 0);
    commercial->close();
    EXPECT_EQ(f.state.dialogModes.prin, 0);
    EXPECT_EQ(f.enabledCardCommands(), 4);
}

TEST(CardCommands, BlankCardsWithoutAPrinterReportThePrinter)
{
    std::string why;
    if (print::findPrintQueue({}, why))
        GTEST_SKIP() << "this machine has a default printer";
    Fixture f;
    QTimer::singleShot(0, [&f] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *dlg = qobject_cast<RegistrationDialog *>(w); dlg && dlg->isVisible()) {
                QTest::keyClicks(dlg->findChild<QLineEdit *>(), "2");
                QTest::mouseClick(dlg->findChild<QPushButton *>("printButton"), Qt::LeftButton);
                EXPECT_EQ(f.messages.captions.value(0), QStringLiteral("エラー"));
                dlg->reject();
            }
    });
    f.window->runCommand(Command::BlankCard);
    EXPECT_EQ(f.messages.texts.size(), 1);
}
