// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/about_dialog.h"
#include "app/ui/help_window.h"
#include "app/ui/main_window.h"

#include "awards/ui/awards_dialog.h"
#include "common/ui/hint_bar.h"
#include "log/ui/contact_dialog.h"
#include "log/ui/search_dialog.h"
#include "places/ui/personal_info_dialog.h"

#include "support/window_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::ui;

namespace {

struct Fixture : test::WindowFixture
{
    std::unique_ptr<MainWindow> form;
    // What the windows asked the help for: -1 contents, -2 keyword index, else the context.
    QList<int> asked;

    Fixture()
    {
        dir.installPrefixTable();
        dir.write("Start.DAT", "JA1ABC");
        form = std::make_unique<MainWindow>(state, services, QString::fromStdString(dir.path()));
        EXPECT_TRUE(form->startUp());
        form->show();
        services.help.setOpener([this](HelpService::View view, int context) {
            asked << (view == HelpService::View::Contents       ? -1
                      : view == HelpService::View::KeywordIndex ? -2
                                                                : context);
        });
    }
    ~Fixture()
    {
        state.startAborted = true;
        form->close();
    }
    void run(Command id) { QTest::mouseClick(form->commandButton(id), Qt::LeftButton); }
    template <typename Dialog> Dialog *openDialog() const
    {
        for (Dialog *d : form->findChildren<Dialog *>())
            if (d->isVisible())
                return d;
        return nullptr;
    }
};

} // namespace

TEST(MainWindowHelp, ContentsAndKeywordCommandsOpenTheHelpWindow)
{
    Fixture f;
    HelpDesk desk(f.services.help, QStringLiteral(VEZO_HELP_FILE));
    f.run(Command::HelpContents);
    ASSERT_NE(desk.window(), nullptr);
    EXPECT_TRUE(desk.window()->isVisible());
    EXPECT_EQ(desk.window()->currentPage().fileName(), QStringLiteral("index.html"));
    f.run(Command::HelpKeyword);
    EXPECT_EQ(desk.window()->findChild<QTabWidget *>(QStringLiteral("navigation"))->currentIndex(),
              1);
}

TEST(MainWindowHelp, EveryDialogsHelpButtonAsksForItsContext)
{
    Fixture f;
    const std::pair<Command, int> contact[] = {{Command::LogInput, 14},
                                               {Command::LogModify, 15},
                                               {Command::LogDelete, 16},
                                               {Command::LogSearch, 17}};
    for (const auto &[command, context] : contact) {
        f.run(command);
        QPointer<ContactDialog> dlg = f.openDialog<ContactDialog>();
        ASSERT_TRUE(dlg) << context;
        QTest::mouseClick(dlg->findChild<QAbstractButton *>(QStringLiteral("helpButton")),
                          Qt::LeftButton);
        EXPECT_EQ(f.asked.value(f.asked.size() - 1), context);
        EXPECT_TRUE(dlg->isVisible()) << "the dialog stays open beside the help";
        QTest::mouseClick(dlg->findChild<QAbstractButton *>(QStringLiteral("closeButton")),
                          Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.isNull(); }, 2000));
    }
    for (const Command command : {Command::ItemSearch, Command::AreaSearch}) {
        f.run(command);
        SearchDialog *dlg = f.openDialog<SearchDialog>();
        ASSERT_NE(dlg, nullptr);
        QTest::mouseClick(dlg->findChild<QAbstractButton *>(QStringLiteral("helpButton")),
                          Qt::LeftButton);
        EXPECT_EQ(f.asked.value(f.asked.size() - 1), 22);
        QTest::mouseClick(dlg->findChild<QAbstractButton *>(QStringLiteral("closeButton")),
                          Qt::LeftButton);
    }
    EXPECT_EQ(f.asked.size(), 6);
}

TEST(MainWindowHelp, TheAboutBoxStaysBesideTheDialogsAndOkClosesOnlyIt)
{
    Fixture f;
    f.run(Command::LogInput);
    ContactDialog *contact = f.openDialog<ContactDialog>();
    ASSERT_NE(contact, nullptr);
    const QPoint hintBarAt = f.form->hintBar()->pos();

    f.run(Command::About);
    f.run(Command::About); // the open box comes to the front; no second one
    const QList<AboutDialog *> boxes = f.form->findChildren<AboutDialog *>();
    ASSERT_EQ(boxes.size(), 1);
    QPointer<AboutDialog> about = boxes.first();
    EXPECT_TRUE(about->isVisible());
    EXPECT_TRUE(contact->isVisible());
    EXPECT_FALSE(f.form->commandButton(Command::LogInput)->isEnabled());
    EXPECT_EQ(f.form->hintBar()->pos(), hintBarAt);

    QTest::mouseClick(about->findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return about.isNull(); }, 2000));
    EXPECT_TRUE(contact->isVisible());
    EXPECT_TRUE(f.form->isVisible());
    EXPECT_EQ(f.state.dialogModes.log, 1);
}

namespace {

// Opens the help of page 2 and clicks another title of its contents.
void readHelpBesideTheDialog(PersonalInfoDialog *dlg, HelpDesk &desk)
{
    dlg->findChild<QTabWidget *>(QStringLiteral("pages"))->setCurrentIndex(1);
    QTest::mouseClick(dlg->findChild<QAbstractButton *>(QStringLiteral("helpButton")),
                      Qt::LeftButton);
    HelpWindow *help = desk.window();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->currentPage().fileName(), QStringLiteral("personal_location.html"));

    auto *contents = help->findChild<QHelpContentWidget *>(QStringLiteral("contentsTree"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return contents->model()->rowCount() > 0; }, 5000));
    contents->expandAll();
    QModelIndex events;
    for (QModelIndex i = contents->model()->index(0, 0); i.isValid(); i = contents->indexBelow(i))
        if (help->engine().contentModel()->contentItemAt(i)->url().fileName() ==
            QLatin1String("events.html"))
            events = i;
    ASSERT_TRUE(events.isValid());
    contents->scrollTo(events);
    // Clicked as the desktop clicks: through the window, where a modal dialog may block it.
    QTest::mouseClick(help->windowHandle(), Qt::LeftButton, {},
                      contents->viewport()->mapTo(help, contents->visualRect(events).center()));
    EXPECT_EQ(help->currentPage().fileName(), QStringLiteral("events.html"));
    EXPECT_TRUE(dlg->isVisible());
}

} // namespace

TEST(MainWindowHelp, HelpFromTheModalPersonalInformationTakesClicksWhileItIsOpen)
{
    Fixture f;
    HelpDesk desk(f.services.help, QStringLiteral(VEZO_HELP_FILE));
    bool acted = false;
    // 個人情報 is shown modally: the test goes on inside its loop.
    QTimer::singleShot(0, [&] {
        auto *dlg = qobject_cast<PersonalInfoDialog *>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        acted = true;
        readHelpBesideTheDialog(dlg, desk);
        QTest::mouseClick(dlg->findChild<QAbstractButton *>(QStringLiteral("closeButton")),
                          Qt::LeftButton);
    });
    f.run(Command::PersonalInfo);
    ASSERT_TRUE(acted);
    // The dialog closed; the help stays open for reading, a window on its own.
    ASSERT_NE(desk.window(), nullptr);
    EXPECT_TRUE(desk.window()->isVisible());
    EXPECT_EQ(desk.window()->parentWidget(), nullptr);
}

// F1 asks for what the dialog's ヘルプ asks for; the awards open the search page at their
// section, which the help window scrolls to.
TEST(MainWindowHelp, F1FollowsTheHelpButtonAndTheAwardsOpenAtTheirSection)
{
    Fixture f;
    f.run(Command::Awards);
    AwardsDialog *awards = f.openDialog<AwardsDialog>();
    ASSERT_NE(awards, nullptr);
    QTest::mouseClick(awards->findChild<QAbstractButton *>(QStringLiteral("helpButton")),
                      Qt::LeftButton);
    QTest::keyClick(awards, Qt::Key_F1);
    EXPECT_EQ(f.asked, (QList<int>{AwardsDialog::kHelpContext, AwardsDialog::kHelpContext}));
    awards->close();

    bool acted = false;
    QTimer::singleShot(0, [&] {
        auto *dlg = qobject_cast<PersonalInfoDialog *>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        acted = true;
        dlg->findChild<QTabWidget *>(QStringLiteral("pages"))->setCurrentIndex(1);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dlg,
                        Qt::Key_F1);
        QTest::mouseClick(dlg->findChild<QAbstractButton *>(QStringLiteral("helpButton")),
                          Qt::LeftButton);
        QTest::mouseClick(dlg->findChild<QAbstractButton *>(QStringLiteral("closeButton")),
                          Qt::LeftButton);
    });
    f.run(Command::PersonalInfo);
    ASSERT_TRUE(acted);
    ASSERT_EQ(f.asked.size(), 4);
    EXPECT_EQ(f.asked[2], f.asked[3]);
    EXPECT_GT(f.asked[2], 0);

    HelpWindow help(QStringLiteral(VEZO_HELP_FILE));
    ASSERT_TRUE(help.hasHelp());
    help.resize(500, 300);
    help.show();
    ASSERT_TRUE(help.showTopic(AwardsDialog::kHelpContext));
    EXPECT_EQ(help.currentPage().fileName(), QStringLiteral("search.html"));
    EXPECT_EQ(help.currentPage().fragment(), QStringLiteral("awards"));
    auto *browser = help.findChild<QTextBrowser *>();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([browser] { return browser->verticalScrollBar()->value() > 0; }));
}
