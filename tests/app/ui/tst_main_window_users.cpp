// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/main_window.h"

#include "app/session.h"
#include "app/ui/registration_dialog.h"
#include "app/ui/title_line.h"
#include "app/ui/user_switch_dialog.h"
#include "app/user_registry.h"
#include "app/user_settings.h"
#include "common/file_io.h"
#include "common/ui/hint_bar.h"
#include "log/log_file.h"

#include "support/window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

using namespace vz;
using namespace vz::ui;

namespace {

std::string record(const std::string &call)
{
    log::FieldTexts t;
    t[0] = call;
    const log::QsoRecord r = log::buildRecord(t, false, true);
    return std::string(r.bytes.data(), r.bytes.size());
}

std::string deleted()
{
    const log::QsoRecord r = log::buildDeletedRecord(false);
    return std::string(r.bytes.data(), r.bytes.size());
}

const std::vector<Command> kUserCommands = {Command::NewUser, Command::SwitchUser,
                                            Command::Reference};
const std::vector<Command> kCardCommands = {Command::Postcard, Command::CommercialHorizontal,
                                            Command::CommercialVertical, Command::BlankCard};

// JA1ABC is the current user, with JA2XYZ as reference in force and a deleted record in the
// log; JA2XYZ and JA3QRP are registered too.
struct Fixture : test::WindowFixture
{
    std::unique_ptr<MainWindow> form;

    explicit Fixture(bool referenceOn = true)
    {
        dir.installPrefixTable();
        dir.write("Start.DAT", "JA1ABC");
        for (const char *call : {"JA1ABC", "JA2XYZ", "JA3QRP"})
            app::appendUser(dir.file("CallSign.DAT"), call);
        dir.write("JA1ABC.DAT", record("JA1AAA") + deleted() + record("JA3BBB"));
        dir.write("JA2XYZ.DAT", record("JA2CCC") + record("JA2DDD"));
        dir.write("JA3QRP.DAT", record("JA3EEE"));
        app::writeUserSettings(dir.file("JA1ABC.ini"), {}, {"JA2XYZ", referenceOn, true});
        form = std::make_unique<MainWindow>(state, services, QString::fromStdString(dir.path()));
        EXPECT_TRUE(form->startUp());
        messages.texts.clear();
        messages.captions.clear();
    }
    ~Fixture() { form->close(); }
    QString title() const { return form->findChild<TitleLine *>("titleLine")->callsign(); }
    bool enabled(Command id) const { return form->commandButton(id)->isEnabled(); }
    bool allEnabled(const std::vector<Command> &ids) const
    {
        return std::all_of(ids.begin(), ids.end(), [this](Command id) { return enabled(id); });
    }
    bool noneEnabled(const std::vector<Command> &ids) const
    {
        return std::none_of(ids.begin(), ids.end(), [this](Command id) { return enabled(id); });
    }
};

// Acts on the modal dialog of type T once the command has opened it.
template <typename T> void whenOpen(std::function<void(T *)> act)
{
    QTimer::singleShot(0, [act] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *dlg = qobject_cast<T *>(w); dlg && dlg->isVisible()) {
                act(dlg);
                return;
            }
        ADD_FAILURE() << "no dialog opened";
    });
}

void clickStation(UserSwitchDialog *dlg, const QString &call)
{
    auto *list = dlg->findChild<QListWidget *>("userList");
    const auto items = list->findItems(call, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items[0]).center());
}

void press(QDialog *dlg, const char *button)
{
    QTest::mouseClick(dlg->findChild<QPushButton *>(button), Qt::LeftButton);
}

} // namespace

TEST(NewUser, SavesTheOutgoingUserAndStartsTheNewOneWithDefaultsAndAnEmptyLog)
{
    Fixture f;
    ASSERT_TRUE(f.state.referenceOn);
    f.state.settings.kanjiName = test::sj("山田");
    whenOpen<RegistrationDialog>([&f](RegistrationDialog *dlg) {
        EXPECT_EQ(f.state.dialogModes.entry, 2);
        EXPECT_TRUE(f.noneEnabled(kUserCommands));
        EXPECT_EQ(dlg->x(), 300);
        QTest::keyClicks(dlg->findChild<QLineEdit *>("inputEdit"), "ja1new");
        press(dlg, "registerButton");
    });
    f.form->runCommand(Command::NewUser);

    const app::LoadedSettings outgoing = app::readUserSettings(f.dir.file("JA1ABC.ini"));
    EXPECT_EQ(outgoing.settings.kanjiName, test::sj("山田"));
    EXPECT_EQ(outgoing.reference.referenceCall, "JA2XYZ");
    EXPECT_TRUE(outgoing.reference.referenceOn);
    EXPECT_TRUE(outgoing.reference.deletedFlag);

    EXPECT_EQ(f.title(), "JA1NEW");
    EXPECT_EQ(app::listUsers(f.state.callSignPath).back(), "JA1NEW");
    EXPECT_EQ(f.dir.read("Start.DAT"), std::string("JA1NEW\0\0\0\0", 10));
    EXPECT_EQ(files::size(f.dir.file("JA1NEW.DAT")), 0u);
    EXPECT_EQ(f.state.nextRecordNo, 1);
    EXPECT_EQ(f.state.ownIndex.total(), 0);
    EXPECT_EQ(f.state.settings.kanjiName, "");
    EXPECT_EQ(f.state.settings.cardNo, "1");
    EXPECT_FALSE(f.state.referenceOn);
    EXPECT_EQ(f.state.referenceCall, "");
    EXPECT_FALSE(f.state.referenceIndex.built());
    EXPECT_FALSE(f.enabled(Command::ReorganizeLog));
    EXPECT_TRUE(f.allEnabled(kUserCommands));
    EXPECT_TRUE(f.messages.texts.isEmpty());
}

TEST(NewUser, SettingsThatCannotBeWrittenKeepTheCurrentUser)
{
    Fixture f;
    // A settings file whose folder is a regular file cannot be written, even by root.
    f.state.settingsPath = f.dir.file("PreFix.CFG") + "/JA1ABC.ini";
    whenOpen<RegistrationDialog>([](RegistrationDialog *dlg) {
        QTest::keyClicks(dlg->findChild<QLineEdit *>("inputEdit"), "JA1NEW");
        press(dlg, "registerButton");
    });
    f.form->runCommand(Command::NewUser);
    EXPECT_TRUE(f.messages.last().startsWith("ファイルに書き込めませんでした。"));
    EXPECT_EQ(f.state.currentCall, "JA1ABC");
    EXPECT_EQ(f.state.ownIndex.count(1), 1);
    f.state.settingsPath = f.dir.file("JA1ABC.ini");
}

TEST(SwitchUser, LoadsTheIncomingUsersSettingsLogAndReference)
{
    Fixture f;
    app::writeUserSettings(f.dir.file("JA2XYZ.ini"), {}, {"JA3QRP", true, true});
    f.state.referenceCall = "JA3QRP"; // changed through 参照設定, not written yet
    whenOpen<UserSwitchDialog>([&f](UserSwitchDialog *dlg) {
        EXPECT_EQ(f.state.dialogModes.call, 1);
        EXPECT_TRUE(f.noneEnabled(kUserCommands));
        EXPECT_EQ(dlg->x(), 300);
        clickStation(dlg, "JA2XYZ");
        press(dlg, "setButton");
    });
    f.form->runCommand(Command::SwitchUser);

    EXPECT_EQ(app::readUserSettings(f.dir.file("JA1ABC.ini")).reference.referenceCall, "JA3QRP");
    EXPECT_EQ(f.title(), "JA2XYZ");
    EXPECT_EQ(f.dir.read("Start.DAT"), std::string("JA2XYZ\0\0\0\0", 10));
    EXPECT_EQ(f.state.nextRecordNo, 3);
    EXPECT_EQ(f.state.ownIndex.count(2), 2);
    EXPECT_TRUE(f.state.referenceOn);
    EXPECT_EQ(f.state.referenceCall, "JA3QRP");
    EXPECT_EQ(f.state.referenceIndex.count(3), 1);
    EXPECT_TRUE(f.enabled(Command::ReorganizeLog));
    EXPECT_TRUE(f.allEnabled(kUserCommands));
}

TEST(Reference, EachPickAndStateGivesItsAction)
{
    struct Row
    {
        const char *name;
        bool onBefore;
        std::function<void(UserSwitchDialog *)> act;
        bool onAfter;
        const char *callAfter;
        std::int32_t area3; // reference records of area 3 in the index
    };
    const Row rows[] = {
        {"in force, unchecked: switched off, callsign kept", true,
         [](UserSwitchDialog *d) { d->findChild<QCheckBox *>("referenceCheck")->click(); }, false,
         "JA2XYZ", 0},
        {"in force, another picked: replaced", true,
         [](UserSwitchDialog *d) { clickStation(d, "JA3QRP"); }, true, "JA3QRP", 1},
        {"off, picked: opened", false, [](UserSwitchDialog *d) { clickStation(d, "JA3QRP"); }, true,
         "JA3QRP", 1},
        {"off, box checked, nothing picked: nothing", false,
         [](UserSwitchDialog *d) { d->findChild<QCheckBox *>("referenceCheck")->click(); }, false,
         "JA2XYZ", 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Fixture f(row.onBefore);
        const std::string settingsBefore = f.dir.read("JA1ABC.ini");
        whenOpen<UserSwitchDialog>([&row](UserSwitchDialog *dlg) {
            row.act(dlg);
            press(dlg, "setButton");
        });
        f.form->runCommand(Command::Reference);
        EXPECT_EQ(f.state.referenceOn, row.onAfter);
        EXPECT_EQ(f.state.referenceCall, row.callAfter);
        EXPECT_EQ(f.state.referenceIndex.built(), row.onAfter);
        EXPECT_EQ(f.state.referenceIndex.count(3), row.area3);
        EXPECT_EQ(f.dir.read("JA1ABC.ini"), settingsBefore) << "written at the next save only";
        EXPECT_EQ(f.state.currentCall, "JA1ABC");
        EXPECT_TRUE(f.allEnabled(kUserCommands));
    }
}

TEST(ReorganizeLog, AsksThenRemovesTheDeletedRecords)
{
    Fixture f;
    ASSERT_TRUE(f.enabled(Command::ReorganizeLog));
    const std::string before = f.dir.read("JA1ABC.DAT");
    f.messages.confirmAnswer = false;
    f.form->runCommand(Command::ReorganizeLog);
    EXPECT_EQ(f.messages.last(),
              QString::fromStdString(f.state.logPath) + " の削除データを取り除いてよろしいか　？");
    EXPECT_EQ(f.messages.captions.last(), "確認");
    EXPECT_TRUE(f.dir.read("JA1ABC.DAT") == before);
    EXPECT_TRUE(f.state.deletedFlag);

    f.messages.confirmAnswer = true;
    f.form->runCommand(Command::ReorganizeLog);
    EXPECT_TRUE(f.dir.read("JA1ABC.DAT") == record("JA1AAA") + record("JA3BBB"));
    EXPECT_EQ(f.state.nextRecordNo, 3);
    EXPECT_EQ(f.state.ownIndex.list(3), std::vector<std::int32_t>{1});
    EXPECT_FALSE(f.state.deletedFlag);
    EXPECT_FALSE(f.enabled(Command::ReorganizeLog));
    EXPECT_TRUE(f.form->hintBar()->progressBar()->isHidden());
}

TEST(ReorganizeLog, FailureShowsTheNoticeAndKeepsTheFlag)
{
    Fixture f;
    // A log that cannot be read as a file.
    std::filesystem::remove(f.dir.file("JA1ABC.DAT"));
    std::filesystem::create_directory(f.dir.file("JA1ABC.DAT"));
    f.form->runCommand(Command::ReorganizeLog);
    EXPECT_EQ(f.messages.last(), "ファイル整理意失敗しました。 はじめからやり直してください");
    EXPECT_EQ(f.messages.captions.last(), "通知");
    EXPECT_TRUE(f.state.deletedFlag);
    EXPECT_TRUE(f.enabled(Command::ReorganizeLog));
    EXPECT_TRUE(f.form->hintBar()->progressBar()->isHidden());
}

TEST(RestoreLog, AsksThenPutsTheBackupBackOnce)
{
    Fixture f;
    f.form->runCommand(Command::RestoreLog);
    EXPECT_EQ(f.messages.last(), "退避したファイルはありません");
    EXPECT_EQ(f.messages.captions.last(), "通知");

    const std::string backup = record("JA1AAA") + record("JA2OLD") + record("JA3BBB");
    f.dir.write("JA1ABC.BAK", backup);
    const std::string before = f.dir.read("JA1ABC.DAT");
    f.messages.confirmAnswer = false;
    f.form->runCommand(Command::RestoreLog);
    EXPECT_EQ(f.messages.last(),
              QString::fromStdString(f.state.logPath) + " を削除する前のものに戻します");
    EXPECT_EQ(f.messages.captions.last(), "確認");
    EXPECT_TRUE(f.dir.read("JA1ABC.DAT") == before);
    EXPECT_TRUE(files::exists(f.dir.file("JA1ABC.BAK")));
    EXPECT_TRUE(f.state.deletedFlag);
    // Contacts registered after the copy was taken are counted in the question.
    f.dir.write("JA1ABC.DAT", before + record("JA4NEW") + record("JA5NEW"));
    f.form->runCommand(Command::RestoreLog);
    EXPECT_EQ(f.messages.last(), QString::fromStdString(f.state.logPath) +
                                     " を削除する前のものに戻します\n"
                                     "退避後に登録された 2 件の交信は失われます");
    f.dir.write("JA1ABC.DAT", before);

    f.messages.confirmAnswer = true;
    f.form->runCommand(Command::RestoreLog);
    EXPECT_TRUE(f.dir.read("JA1ABC.DAT") == backup);
    EXPECT_FALSE(files::exists(f.dir.file("JA1ABC.BAK")));
    EXPECT_FALSE(f.state.deletedFlag);
    EXPECT_FALSE(f.enabled(Command::ReorganizeLog));
    EXPECT_EQ(f.state.ownIndex.count(2), 1);

    f.form->runCommand(Command::RestoreLog);
    EXPECT_EQ(f.messages.last(), "退避したファイルはありません");
}

TEST(LogCommands, RefusedWhileADialogHoldsRecordNumbers)
{
    Fixture f;
    f.dir.write("JA1ABC.BAK", record("JA1AAA"));
    const std::string before = f.dir.read("JA1ABC.DAT");
    f.state.dialogModes.log = 2;
    for (Command id :
         {Command::ReorganizeLog, Command::RestoreLog, Command::NewUser, Command::SwitchUser}) {
        f.messages.texts.clear();
        f.form->runCommand(id); // a dialog opening here would be left open: the test would hang
        EXPECT_EQ(f.messages.texts, QStringList{"開いている画面を閉じてから実行してください"});
    }
    EXPECT_TRUE(f.dir.read("JA1ABC.DAT") == before);
    EXPECT_TRUE(files::exists(f.dir.file("JA1ABC.BAK")));
    EXPECT_EQ(f.state.currentCall, "JA1ABC");
    f.state.dialogModes.log = 0;
}

TEST(BlankCard, CountDialogDisablesTheCardCommandsWhileOpen)
{
    Fixture f;
    f.state.printerAvailable = true; // as on a machine with a printer
    f.form->setCardCommandsEnabled(true);
    whenOpen<RegistrationDialog>([&f](RegistrationDialog *dlg) {
        EXPECT_EQ(f.state.dialogModes.entry, 3);
        EXPECT_TRUE(f.noneEnabled(kCardCommands));
        EXPECT_TRUE(f.allEnabled(kUserCommands));
        EXPECT_EQ(dlg->x(), 300);
        press(dlg, "closeButton");
    });
    f.form->runCommand(Command::BlankCard);
    EXPECT_TRUE(f.allEnabled(kCardCommands));
    EXPECT_EQ(f.state.dialogModes.entry, 0);
}
