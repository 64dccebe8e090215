// SPDX-License-Identifier: GPL-3.0-or-later
// The personal information's page "リグ接続": its own section of the settings file, written
// only when the operator changes it; Hamlib's models, searched; the connection test.
#include "places/ui/personal_info_dialog.h"

#include "app/user_settings.h"
#include "rig/rig_settings.h"
#include "rig/ui/rig_worker.h"

#include "support/rigctld.h"
#include "support/window_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::ui;
using test::sj;

namespace {

constexpr int kRigPage = 6;

struct Dialog : test::WindowFixture
{
    std::unique_ptr<PersonalInfoDialog> dlg;

    Dialog()
    {
        dir.installPrefixTable();
        state.currentCall = "JA1ABC";
        app::buildUserPaths(state);
    }

    ~Dialog()
    {
        dlg.reset();
        EXPECT_TRUE(QTest::qWaitFor([] { return runningWorkers() == 0; }, 30000));
    }

    void open()
    {
        app::loadSettings(state);
        if (!dlg) {
            dlg = std::make_unique<PersonalInfoDialog>(state, services);
            dlg->loadPrefixList();
        }
        state.dialogModes.environ = 1;
        dlg->show();
        dlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    }

    template <typename T = QLineEdit> T *get(const char *name) const
    {
        return dlg->findChild<T *>(QString::fromUtf8(name));
    }
    QPushButton *button(const char *name) const { return get<QPushButton>(name); }
    void page(int tag) const { get<QTabWidget>("pages")->setCurrentIndex(tag - 1); }
    void type(const char *name, const QString &text) const
    {
        QLineEdit *edit = get(name);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    QStringList shownModels() const
    {
        QStringList shown;
        auto *list = get<QListWidget>("modelList");
        for (int i = 0; i < list->count(); ++i)
            if (!list->item(i)->isHidden())
                shown << list->item(i)->text();
        return shown;
    }
};

// A settings file as the program writes it, with lines of other programs beside.
std::string fullSettingsFile(const std::string &path)
{
    app::UserSettings s;
    s.fixedStrings[0] = "CQ";
    s.kanjiName = sj("山田太郎");
    s.rig = "IC-7300";
    s.fixedSpot = {35, 41, 38, 139, 45, 12};
    app::ReferenceState r;
    r.referenceCall = "JA1XYZ";
    EXPECT_TRUE(app::writeUserSettings(path, s, r));
    return "; written by hand\r\n[Mine]\r\nkey = value \r\n";
}

} // namespace

TEST(RigConnectionPage, TheSettingsFileOfAnOperatorWhoNeverSetsARadioStaysByteForByte)
{
    Dialog d;
    const std::string extra = fullSettingsFile(d.state.settingsPath);
    const std::string original = d.dir.read("JA1ABC.ini") + extra;
    d.dir.write("JA1ABC.ini", original);

    // Every page visited, the radio's too, nothing changed: the file is not written.
    d.open();
    for (int tag = 1; tag <= kRigPage; ++tag)
        d.page(tag);
    d.button("closeButton")->click();
    EXPECT_EQ(d.dir.read("JA1ABC.ini"), original);

    // A fixed string changed: the file is what the settings alone make of it, no radio
    // section added.
    d.open();
    d.page(1);
    d.type("fixedString1Edit", "CQ DX");
    d.button("closeButton")->click();
    const std::string written = d.dir.read("JA1ABC.ini");
    d.dir.write("expected.ini", original);
    app::LoadedSettings expected = app::readUserSettings(d.dir.file("expected.ini"));
    expected.settings.fixedStrings[0] = "CQ DX";
    ASSERT_TRUE(
        app::writeUserSettings(d.dir.file("expected.ini"), expected.settings, expected.reference));
    EXPECT_EQ(written, d.dir.read("expected.ini"));
    EXPECT_EQ(written.find(sj("リグ接続")), std::string::npos);
}

TEST(RigConnectionPage, ItsSettingsAreAppliedWithTheOthersAndCancelledWithThem)
{
    Dialog d;
    d.open();
    d.page(kRigPage);
    EXPECT_EQ(d.dlg->helpContext(), 29);
    EXPECT_TRUE(d.get<QRadioButton>("noRigRadio")->isChecked());
    EXPECT_FALSE(d.button("rigTestButton")->isEnabled());
    EXPECT_FALSE(d.button("applyButton")->isEnabled());

    d.get<QRadioButton>("rigctldRadio")->click();
    EXPECT_TRUE(d.button("applyButton")->isEnabled());
    EXPECT_TRUE(d.get("rigctldEdit")->isEnabled());
    EXPECT_FALSE(d.get("serialPortEdit")->isEnabled());
    d.type("rigctldEdit", "shack:4533");
    d.type("dataModeEdit", "ft4");
    EXPECT_EQ(d.get("dataModeEdit")->text(), "FT4");
    d.button("applyButton")->click();
    rig::RigSettings expected;
    expected.link = rig::RigLink::Rigctld;
    expected.rigctldAddress = "shack:4533";
    expected.dataMode = "FT4";
    EXPECT_EQ(rig::readRigSettings(d.state.settingsPath), expected);

    // A radio by model: chosen from Hamlib's list, found by a part of its name.
    d.get<QRadioButton>("serialRigRadio")->click();
    d.type("modelSearchEdit", "hamlib dumm");
    const QStringList shown = d.shownModels();
    ASSERT_FALSE(shown.isEmpty());
    for (const QString &line : shown)
        EXPECT_TRUE(line.contains("Dummy", Qt::CaseInsensitive)) << line.toStdString();
    EXPECT_TRUE(shown.contains("Hamlib Dummy (1)")) << shown.join('|').toStdString();
    d.type("modelSearchEdit", "Dummy");
    auto *list = d.get<QListWidget>("modelList");
    const QList<QListWidgetItem *> dummy = list->findItems("Hamlib Dummy (1)", Qt::MatchExactly);
    ASSERT_EQ(dummy.size(), 1);
    list->scrollToItem(dummy[0]);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(dummy[0]).center());
    EXPECT_EQ(d.get<QLabel>("modelLabel")->text(), "Hamlib Dummy (1)");
    d.type("serialPortEdit", "/dev/ttyUSB1");

    // "中　止": the radio's edits are gone with the others.
    d.button("cancelButton")->click();
    EXPECT_EQ(rig::readRigSettings(d.state.settingsPath), expected);
    d.open();
    d.page(kRigPage);
    EXPECT_TRUE(d.get<QRadioButton>("rigctldRadio")->isChecked());
    EXPECT_EQ(d.get("serialPortEdit")->text(), "");
    EXPECT_EQ(d.get("rigctldEdit")->text(), "shack:4533");
}

TEST(RigConnectionPage, TheConnectionTestReadsOnAWorkerAndShowsTheFrequencyOrTheError)
{
    test::Rigctld daemon;
    ASSERT_TRUE(daemon.running());
    ASSERT_TRUE(daemon.tune(50313000, "PKTUSB"));
    Dialog d;
    d.open();
    d.page(kRigPage);
    d.get<QRadioButton>("rigctldRadio")->click();
    d.type("rigctldEdit", QString::fromStdString(daemon.address()));
    auto *result = d.get<QLabel>("rigTestResultLabel");

    // The window does not wait for the radio: the click returns before the reading is shown,
    // which only the worker's delivery through the event loop can bring.
    d.button("rigTestButton")->click();
    EXPECT_FALSE(result->text().contains("50.313")) << "the window read the radio itself";
    EXPECT_TRUE(QTest::qWaitFor([&] { return result->text().contains("50.313"); }, 15000))
        << result->text().toStdString();
    EXPECT_TRUE(result->text().contains("FT8")) << result->text().toStdString();
    EXPECT_TRUE(d.button("rigTestButton")->isEnabled());

    daemon.kill();
    d.button("rigTestButton")->click();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return result->text().startsWith(QStringLiteral("接続できませんでした")); }, 15000))
        << result->text().toStdString();
    // A test only reads: nothing was written.
    EXPECT_FALSE(d.dir.read("JA1ABC.ini").find(sj("リグ接続")) != std::string::npos);
}
