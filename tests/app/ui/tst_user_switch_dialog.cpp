// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/user_switch_dialog.h"

#include "app/session.h"
#include "app/user_registry.h"
#include "common/callsign.h"

#include "support/recording_answerer.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::ui;

namespace {

struct Fixture
{
    test::TempDir dir;
    app::AppState state;
    UiServices services;
    test::RecordedMessages messages;

    Fixture()
    {
        app::initDataDir(state, dir.path());
        state.currentCall = "JA1ABC";
        messages.attach(services.messages);
        std::string slots;
        for (const char *call : {"JA1ABC", "JA2XYZ", "", "ja9x/p", "JA3QRP"}) {
            const CallSlot slot = toCallSlot(call);
            slots.append(slot.data(), slot.size());
        }
        dir.write("CallSign.DAT", slots + "JH1"); // a partial last slot
    }
};

struct Dialog
{
    UserSwitchDialog dlg;
    QCheckBox *box;
    QLineEdit *edit1;
    QLineEdit *edit2;
    QListWidget *list;
    QPushButton *set;

    Dialog(Fixture &f, int mode)
        : dlg(f.state, f.services, mode), box(dlg.findChild<QCheckBox *>("referenceCheck")),
          edit1(dlg.findChild<QLineEdit *>("switchPickEdit")),
          edit2(dlg.findChild<QLineEdit *>("referencePickEdit")),
          list(dlg.findChild<QListWidget *>("userList")),
          set(dlg.findChild<QPushButton *>("setButton"))
    {
        dlg.show();
    }
    ~Dialog()
    {
        if (dlg.isVisible())
            dlg.reject();
    }
    void click(const QString &call)
    {
        const auto items = list->findItems(call, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(items[0]).center());
    }
    QStringList entries() const
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
};

} // namespace

TEST(UserSwitchDialog, SwitchListsTheUsersAndNeverPicksTheCurrentOne)
{
    Fixture f;
    Dialog d(f, UserSwitchDialog::SwitchUser);
    EXPECT_EQ(d.dlg.title(), "ユーザ切り替え");
    EXPECT_EQ(f.state.dialogModes.call, 1);
    EXPECT_TRUE(d.box->isHidden());
    EXPECT_TRUE(d.edit2->isHidden());
    // Damaged slots and the partial tail are not offered.
    EXPECT_EQ(d.entries(), (QStringList{"JA1ABC", "JA2XYZ", "JA3QRP"}));
    EXPECT_FALSE(d.set->isEnabled());

    d.click("JA1ABC");
    EXPECT_EQ(f.messages.last(), "この局は現在の運用中です");
    EXPECT_EQ(f.messages.captions.last(), "通知");
    EXPECT_FALSE(d.set->isEnabled());
    // Typing never names a user: only the list does.
    QTest::keyClicks(d.edit1, "JA9ZZZ");
    EXPECT_EQ(d.edit1->text(), "");

    d.click("JA3QRP");
    EXPECT_EQ(d.edit1->text(), "JA3QRP");
    QTest::mouseClick(d.set, Qt::LeftButton);
    EXPECT_EQ(d.dlg.result(), QDialog::Accepted);
    EXPECT_EQ(d.dlg.pick(), "JA3QRP");
    EXPECT_EQ(f.state.dialogModes.call, 0);
}

TEST(UserSwitchDialog, EnterOrSpaceOnTheHighlightedLinePicksItAsAClickDoes)
{
    Fixture f;
    {
        Dialog d(f, UserSwitchDialog::SwitchUser);
        d.list->setFocus();
        d.list->setCurrentRow(0);
        QTest::keyClick(d.list, Qt::Key_Space);
        EXPECT_EQ(f.messages.last(), "この局は現在の運用中です") << "same rules as a click";
        EXPECT_FALSE(d.set->isEnabled());
        d.list->setFocus();
        QTest::keyClick(d.list, Qt::Key_Down);
        QTest::keyClick(d.list, Qt::Key_Return);
        EXPECT_EQ(d.edit1->text(), "JA2XYZ");
        EXPECT_TRUE(d.set->isEnabled());
        QTest::keyClick(d.set, Qt::Key_Space);
        EXPECT_EQ(d.dlg.pick(), "JA2XYZ");
    }
    Dialog d(f, UserSwitchDialog::Reference);
    d.list->setFocus();
    d.list->setCurrentRow(2);
    QTest::keyClick(d.list, Qt::Key_Enter);
    EXPECT_TRUE(d.box->isChecked());
    EXPECT_EQ(d.edit2->text(), "JA3QRP");
}

TEST(UserSwitchDialog, ReferenceInForceShowsCheckedAndPressingSetKeepsIt)
{
    Fixture f;
    f.state.referenceCall = "JA2XYZ";
    f.state.referenceOn = true;
    Dialog d(f, UserSwitchDialog::Reference);
    EXPECT_EQ(d.dlg.title(), "参照局の設定");
    EXPECT_TRUE(d.edit1->isHidden());
    EXPECT_TRUE(d.box->isChecked());
    EXPECT_EQ(d.edit2->text(), "JA2XYZ");
    d.click("JA3QRP");
    d.box->click();
    EXPECT_EQ(d.edit2->text(), "");
    EXPECT_TRUE(d.set->isEnabled()) << "an existing reference can be switched off";
    // Checked again with nothing picked: the reference in force, never a pick of nothing.
    d.box->click();
    EXPECT_EQ(d.edit2->text(), "JA2XYZ");
    QTest::mouseClick(d.set, Qt::LeftButton);
    EXPECT_EQ(d.dlg.result(), QDialog::Accepted);
    EXPECT_EQ(d.dlg.pick(), "JA2XYZ");
}

TEST(UserSwitchDialog, ReferenceSwitchedOffShowsUncheckedAndEmpty)
{
    Fixture f;
    f.state.referenceCall = "JA2XYZ"; // remembered, not in force
    Dialog d(f, UserSwitchDialog::Reference);
    EXPECT_FALSE(d.box->isChecked());
    EXPECT_EQ(d.edit2->text(), "");
    EXPECT_FALSE(d.set->isEnabled());
    d.click("JA1ABC");
    EXPECT_EQ(f.messages.last(), "この局は現在の運用中です");
    EXPECT_FALSE(d.box->isChecked());
    d.click("JA3QRP");
    EXPECT_TRUE(d.box->isChecked());
    EXPECT_EQ(d.edit2->text(), "JA3QRP");
    d.box->click();
    EXPECT_EQ(d.edit2->text(), "");
    EXPECT_FALSE(d.set->isEnabled()) << "nothing to switch off";
}
