// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/about_dialog.h"
#include "app/ui/address_opener.h"
#include "app/ui/program_files.h"
#include "app/ui/splash_window.h"
#include "common/ui/picture.h"
#include "common/ui/vezo_dialog.h"

#include "support/window_fixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::ui;

namespace {

const QString kShippedPicture = QStringLiteral(VEZO_SOURCE_DATA "/VEZODovi.jpg");

} // namespace

TEST(SplashWindow, ShowsTheShippedPictureAndClosesItselfAfterTwoSeconds)
{
    test::WindowFixture f;
    QElapsedTimer clock;
    clock.start();
    QPointer<SplashWindow> splash = new SplashWindow(kShippedPicture, f.services.messages);
    splash->showNow();
    EXPECT_TRUE(splash->hasPicture());
    EXPECT_TRUE(f.messages.texts.isEmpty());
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->size(), QSize(350, 200));
    EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);

    EXPECT_TRUE(QTest::qWaitFor([&] { return splash.isNull(); }, 5000)) << "closed and destroyed";
    EXPECT_GE(clock.elapsed(), SplashWindow::kShowMilliseconds - 100);
    EXPECT_LT(clock.elapsed(), SplashWindow::kShowMilliseconds + 1500);
}

TEST(SplashWindow, AnUnreadablePictureIsReportedAndTheWindowShowsWithoutIt)
{
    test::WindowFixture f;
    QFile shipped(kShippedPicture);
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    const QByteArray whole = shipped.readAll();
    f.dir.write("empty.jpg", "");
    f.dir.write("truncated.jpg", std::string(whole.constData(), whole.size() / 2));
    f.dir.write("garbage.jpg", "not a picture at all");
    const QString dir = QString::fromStdString(f.dir.dataDir());
    for (const char *name : {"missing.jpg", "empty.jpg", "truncated.jpg", "garbage.jpg"}) {
        const QString path = dir + QLatin1String(name);
        f.messages.texts.clear();
        f.messages.captions.clear();
        auto *splash = new SplashWindow(path, f.services.messages);
        splash->showNow();
        EXPECT_FALSE(splash->hasPicture()) << name;
        EXPECT_TRUE(splash->isVisible()) << name;
        ASSERT_EQ(f.messages.texts.size(), 1) << name;
        EXPECT_EQ(f.messages.captions.first(), QStringLiteral("VEZODovi")) << name;
        // The file and the reader's own words, which differ by what went wrong.
        EXPECT_TRUE(f.messages.texts.first().startsWith(path + QLatin1Char('\n'))) << name;
        EXPECT_GT(f.messages.texts.first().size(), path.size() + 3) << name;
        splash->close();
    }
    // The half picture still decodes as far as it goes, but it is not taken for a whole one.
    EXPECT_TRUE(readPicture(dir + QStringLiteral("truncated.jpg"), f.services.messages).isNull());
}

TEST(ProgramFiles, TheWorkingDirectoryComesFirstAndLetterCaseIsIgnoredThere)
{
    test::WindowFixture f;
    const QString work = QString::fromStdString(f.dir.path());
    QDir(work).mkpath(QStringLiteral("install/bin"));
    QDir(work).mkpath(QStringLiteral("install/share/vezodovi"));
    for (const char *name :
         {"install/share/vezodovi/Click.wav", "install/share/vezodovi/VEZODovi.qch", "CLICK.WAV"}) {
        QFile file(work + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name;
    }
    const QString bin = work + QStringLiteral("/install/bin");

    EXPECT_EQ(findProgramFile(QLatin1String(kKeyClickFile), work, bin), work + "/CLICK.WAV");
    EXPECT_EQ(findProgramFile(QLatin1String(kHelpFile), work, bin),
              work + "/install/share/vezodovi/VEZODovi.qch");
    // Nowhere: the working directory's path, for the message that names it.
    EXPECT_EQ(findProgramFile(QLatin1String(kSplashPictureFile), work, bin),
              work + "/VEZODovi.jpg");
}

TEST(AboutDialog, StaysBesideOtherDialogsAndOkClosesOnlyIt)
{
    test::WindowFixture f;
    VezoDialog other({f.state.settings.flatWindow, f.state.settings.keyClick}, f.services);
    other.show();
    QPointer<AboutDialog> about = new AboutDialog(f.state, f.services);
    about->show();
    EXPECT_FALSE(about->isModal());
    EXPECT_EQ(about->size(), QSize(290, 178));
    EXPECT_TRUE(other.isVisible());

    auto *ok = about->findChild<QPushButton *>(QStringLiteral("okButton"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->geometry().topLeft(), QPoint(203, 148));
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return about.isNull(); }, 2000)) << "destroyed";
    EXPECT_TRUE(other.isVisible());
}

namespace {

void clickLink(AboutDialog &about, const char *name)
{
    auto *label = about.findChild<QLabel *>(QLatin1String(name));
    ASSERT_NE(label, nullptr) << name;
    QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
}

} // namespace

TEST(AboutDialog, ClickingALinkHandsItsAddressToTheDesktop)
{
    test::WindowFixture f;
    AboutDialog about(f.state, f.services);
    // The desktop's handler, standing in: it notes the address it was given.
    const QString opened = QString::fromStdString(f.dir.file("opened"));
    about.addressOpener().setCommand({QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                                      QStringLiteral("printf '%s\\n' \"$1\" >> \"$0\""), opened});
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    clickLink(about, "issuesLink");
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.dir.read("opened").size() > 0; }, 5000));
    clickLink(about, "homePageLink");
    const std::string both =
        std::string(AboutDialog::kIssuesUrl) + "\n" + AboutDialog::kHomePageUrl + "\n";
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.dir.read("opened") == both; }, 5000))
        << f.dir.read("opened");
    QTest::qWait(50);
    EXPECT_TRUE(f.messages.texts.isEmpty()) << "a handler that succeeds says nothing";
}

TEST(AboutDialog, ADesktopThatCannotOpenTheAddressGivesItInANotice)
{
    const QStringList failing[] = {
        {QStringLiteral("false")},                 // ends with an error
        {QStringLiteral("/nonexistent/xdg-open")}, // missing
        {QStringLiteral("/bin/sh"), QStringLiteral("-c"), QStringLiteral("kill -9 $$")}, // dies
    };
    for (const QStringList &command : failing) {
        test::WindowFixture f;
        AboutDialog about(f.state, f.services);
        about.addressOpener().setCommand(command);
        about.show();
        clickLink(about, "homePageLink");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !f.messages.texts.isEmpty(); }, 5000))
            << command.join(' ').toStdString();
        EXPECT_EQ(f.messages.captions, QStringList{QStringLiteral("通知")});
        EXPECT_TRUE(f.messages.last().endsWith(QLatin1String(AboutDialog::kHomePageUrl)))
            << f.messages.last().toStdString();
    }
}
