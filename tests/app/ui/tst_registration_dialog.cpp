// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/registration_dialog.h"

#include "app/session.h"
#include "app/user_registry.h"
#include "common/ui/hint_bar.h"

#include "support/window_fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::ui;

using Fixture = test::WindowFixture;

TEST(RegistrationDialog, FieldTakesOnlyUpperCaseLettersAndDigitsUpToTen)
{
    Fixture f;
    RegistrationDialog dlg(f.state, f.services, RegistrationDialog::FirstRun);
    auto *edit = dlg.findChild<QLineEdit *>("inputEdit");
    auto *reg = dlg.findChild<QPushButton *>("registerButton");
    EXPECT_EQ(f.state.dialogModes.entry, 1);
    // The painted title also names the window for the window manager's lists.
    EXPECT_EQ(dlg.windowTitle(), "ユーザ初期登録");
    EXPECT_FALSE(reg->isEnabled());
    QTest::keyClicks(edit, "ja1/ab c.de-fghijk");
    EXPECT_EQ(edit->text(), "JA1ABCDEFG");
    EXPECT_TRUE(reg->isEnabled());
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_FALSE(reg->isEnabled());
    EXPECT_TRUE(dlg.findChild<QPushButton *>("closeButton")->isHidden());
}

TEST(RegistrationDialog, ARefusedCharacterIsNamedInTheHintBarUntilTheNextKey)
{
    Fixture f;
    HintBar bar;
    HintRouter router(bar);
    qApp->installEventFilter(&router);
    RegistrationDialog dlg(f.state, f.services, RegistrationDialog::NewUser);
    dlg.show();
    auto *edit = dlg.findChild<QLineEdit *>("inputEdit");
    struct Case
    {
        const char *before; // typed first, all taken
        const char *refused;
        const char *after; // typed next; clears the message
        const char *field;
    };
    const Case cases[] = {
        {"ja1zzz", "/", "1", "JA1ZZZ1"},
        {"", ".", "x", "X"},
        {"JA1", " ", "Z", "JA1Z"},
        {"JA1", "-", "Z", "JA1Z"},
    };
    for (const Case &c : cases) {
        edit->clear();
        QTest::keyClicks(edit, c.before);
        EXPECT_EQ(bar.hint(), "") << c.refused;
        QTest::keyClicks(edit, c.refused);
        EXPECT_EQ(bar.hint(), QStringLiteral("「%1」はコールサインに使えない文字です")
                                  .arg(QString::fromUtf8(c.refused)))
            << c.refused;
        QTest::keyClicks(edit, c.after);
        EXPECT_EQ(bar.hint(), "") << c.refused;
        EXPECT_EQ(edit->text(), c.field);
    }
    // A pasted text with a refused character is refused whole, and its first one named.
    edit->clear();
    edit->insert("../x y-z");
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(bar.hint(), QStringLiteral("「.」はコールサインに使えない文字です"));
    qApp->removeEventFilter(&router);
    dlg.reject();
}

TEST(RegistrationDialog, DuplicateCallsignIsRefusedAndTheFieldCleared)
{
    Fixture f;
    ASSERT_TRUE(app::appendUser(f.state.callSignPath, "JA1ABC"));
    RegistrationDialog dlg(f.state, f.services, RegistrationDialog::NewUser);
    auto *edit = dlg.findChild<QLineEdit *>("inputEdit");
    QTest::keyClicks(edit, "ja1abc");
    QTest::mouseClick(dlg.findChild<QPushButton *>("registerButton"), Qt::LeftButton);
    EXPECT_EQ(f.messages.last(), "既に登録された局です");
    EXPECT_EQ(f.messages.captions.last(), "通知");
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(dlg.result(), QDialog::Rejected);

    QTest::keyClicks(edit, "JA1ABD");
    QTest::mouseClick(dlg.findChild<QPushButton *>("registerButton"), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.candidate(), "JA1ABD");
    EXPECT_EQ(f.state.dialogModes.entry, 0);
}

TEST(RegistrationDialog, BlankCardCountTakesDigitsAndZeroPrintsNothing)
{
    Fixture f;
    RegistrationDialog dlg(f.state, f.services, RegistrationDialog::BlankCards);
    std::vector<int> printed;
    dlg.setBlankCardPrinter([&](int n) { printed.push_back(n); });
    auto *edit = dlg.findChild<QLineEdit *>("inputEdit");
    auto *print = dlg.findChild<QPushButton *>("printButton");
    EXPECT_EQ(dlg.findChild<QPushButton *>("closeButton")->text(), "終了");
    QTest::mouseClick(print, Qt::LeftButton); // disabled while empty
    EXPECT_TRUE(f.messages.texts.isEmpty());
    QTest::keyClicks(edit, "a1b2");
    EXPECT_EQ(edit->text(), "12");
    QTest::mouseClick(print, Qt::LeftButton);
    QTest::keyClicks(edit, "0");
    QTest::mouseClick(print, Qt::LeftButton);
    EXPECT_EQ(printed, std::vector<int>{12});
    EXPECT_EQ(edit->text(), "");
}

TEST(RegistrationDialog, EnterMovesToTheNextControlInsteadOfClosing)
{
    Fixture f;
    RegistrationDialog dlg(f.state, f.services, RegistrationDialog::NewUser);
    dlg.show();
    auto *edit = dlg.findChild<QLineEdit *>("inputEdit");
    edit->setFocus();
    QTest::keyClicks(edit, "JA1ABC");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_FALSE(edit->hasFocus());
    EXPECT_TRUE(dlg.isVisible());
    dlg.reject();
}

TEST(DialogLook, KeyClickFlatFieldsAndFocusColoursFollowTheSettings)
{
    Fixture f;
    f.state.settings.keyClick = true;
    f.state.settings.flatWindow = true;
    RegistrationDialog dlg(f.state, f.services, RegistrationDialog::NewUser);
    dlg.show();
    auto *edit = dlg.findChild<QLineEdit *>("inputEdit");
    EXPECT_FALSE(edit->hasFrame());
    QTest::keyClicks(edit, "JA1");
    EXPECT_EQ(f.services.keyClick.playCount(), 3);

    edit->setFocus();
    QApplication::processEvents();
    const QColor focused = edit->palette().color(QPalette::Base);
    dlg.findChild<QPushButton *>("closeButton")->setFocus();
    QApplication::processEvents();
    EXPECT_NE(edit->palette().color(QPalette::Base), focused);

    f.state.settings.keyClick = false;
    QTest::keyClicks(edit, "A");
    EXPECT_EQ(f.services.keyClick.playCount(), 3);
    dlg.reject();
}
