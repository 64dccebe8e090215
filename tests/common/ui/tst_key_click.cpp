// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/about_dialog.h"
#include "common/ui/vezo_dialog.h"

#include "support/window_fixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::ui;

namespace {

// A dialog with one field, as every dialog of the logbook is built.
struct ClickFixture : test::WindowFixture
{
    QStringList played;
    ClickFixture()
    {
        services.keyClick.setSoundFile(QStringLiteral("/data/Click.wav"));
        services.keyClick.setPlayer([this](const QString &file) { played << file; });
    }
};

} // namespace

TEST(KeyClick, EveryKeyPressInADialogAsksForTheClickOnlyWhileTheSettingIsOn)
{
    ClickFixture f;
    VezoDialog dialog({f.state.settings.flatWindow, f.state.settings.keyClick}, f.services);
    auto *edit = new QLineEdit(&dialog);
    new QLineEdit(&dialog);
    dialog.show();
    edit->setFocus();

    f.state.settings.keyClick = false;
    QTest::keyClicks(edit, "ja1");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(f.played.isEmpty());

    f.state.settings.keyClick = true;
    QTest::keyClicks(edit, "ab");
    QTest::keyClick(edit, Qt::Key_Return); // Enter clicks too, and still moves on
    EXPECT_EQ(f.played, QStringList(3, QStringLiteral("/data/Click.wav")));
    EXPECT_EQ(edit->text(), QStringLiteral("ja1ab"));
}

TEST(KeyClick, TheAboutBoxClicksAndEnterPressesOk)
{
    ClickFixture f;
    f.state.settings.keyClick = true;
    QPointer<AboutDialog> about = new AboutDialog(f.state, f.services);
    about->show();
    QTest::keyClick(about->findChild<QPushButton *>(QStringLiteral("okButton")), Qt::Key_Return);
    EXPECT_EQ(f.played.size(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return about.isNull(); }, 2000));
}

TEST(KeyClick, WithoutARecorderAMissingSoundFileStaysSilent)
{
    KeyClick click;
    click.setSoundFile(QStringLiteral("/nonexistent/Click.wav"));
    click.play(); // must neither block nor fail
    EXPECT_EQ(click.playCount(), 1);
}
