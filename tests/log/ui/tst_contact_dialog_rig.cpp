// SPDX-License-Identifier: GPL-3.0-or-later
// The contact dialog follows the radio in input mode: Hamlib's dummy behind a rigctld that a
// second client tunes, dies, freezes and comes back; and the dummy in the process.
#include "log/ui/contact_dialog.h"

#include "app/session.h"
#include "common/progress.h"
#include "common/ui/hint_bar.h"
#include "rig/rig_settings.h"
#include "rig/ui/rig_worker.h"

#include "support/recording_answerer.h"
#include "support/rigctld.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStatusTipEvent>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::ui;

namespace {

const QString kNoAnswer = QStringLiteral("無線機から応答がありません");
constexpr const char *kFrequency = "frequencyEdit", *kMode = "modeEdit", *kMemo = "memoEdit";

// Counts the hint bar's messages that say the radio does not answer.
struct NoAnswerCounter : QObject
{
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::StatusTip &&
            static_cast<QStatusTipEvent *>(event)->tip() == kNoAnswer)
            ++count;
        return false;
    }
};

struct Fixture
{
    test::TempDir dir;
    app::AppState state;
    UiServices services;
    test::RecordedMessages messages;
    HintBar hintBar;
    HintRouter router{hintBar};
    NoAnswerCounter noAnswer;
    std::unique_ptr<ContactDialog> dlg;

    Fixture()
    {
        dir.installPrefixTable();
        app::initDataDir(state, dir.path());
        state.currentCall = "JA1ABC";
        app::buildUserPaths(state);
        NoProgress quiet;
        app::openLog(state, quiet);
        messages.attach(services.messages);
        qApp->installEventFilter(&router);
        qApp->installEventFilter(&noAnswer); // sees the tip before the router takes it
    }

    ~Fixture()
    {
        dlg.reset();
        qApp->removeEventFilter(&noAnswer);
        qApp->removeEventFilter(&router);
        // Every worker ends on its own once its dialog is gone.
        EXPECT_TRUE(QTest::qWaitFor([] { return runningWorkers() == 0; }, 30000));
    }

    void setRig(rig::RigLink link, int model, const std::string &address)
    {
        rig::RigSettings s;
        s.link = link;
        s.model = model;
        s.rigctldAddress = address;
        ASSERT_TRUE(rig::writeRigSettings(state.settingsPath, s));
    }

    ContactDialog &open(int mode)
    {
        state.dialogModes.log = mode;
        dlg = std::make_unique<ContactDialog>(state, services, mode);
        dlg->show();
        dlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
        return *dlg;
    }

    QLineEdit *edit(const char *name) const { return dlg->findChild<QLineEdit *>(name); }
    QString text(const char *name) const { return edit(name)->text(); }

    // The fields show these texts within `ms` milliseconds.
    bool shows(const QString &frequency, const QString &mode, int ms = 2000) const
    {
        return QTest::qWaitFor([&] { return text(kFrequency) == frequency && text(kMode) == mode; },
                               ms);
    }
};

// Posts a key to the memo field every 50 ms for `ms` milliseconds, and gives the longest time
// a key waited before the field had it.
qint64 longestKeyWait(QLineEdit *field, int ms)
{
    struct KeyClock : QObject
    {
        QElapsedTimer posted;
        qint64 longest = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::KeyPress)
                longest = std::max(longest, posted.elapsed());
            return false;
        }
    } keys;
    field->installEventFilter(&keys);
    field->setFocus();
    QElapsedTimer total;
    total.start();
    bool add = true;
    while (total.elapsed() < ms) {
        keys.posted.start();
        QApplication::postEvent(field,
                                new QKeyEvent(QEvent::KeyPress, add ? Qt::Key_A : Qt::Key_Backspace,
                                              Qt::NoModifier, add ? "a" : QString()));
        add = !add;
        QTest::qWait(50);
    }
    field->removeEventFilter(&keys);
    return keys.longest;
}

} // namespace

TEST(ContactDialogRig, FieldsFollowTheRadioUnlessTheOperatorTypedIntoThem)
{
    test::Rigctld daemon;
    ASSERT_TRUE(daemon.running());
    ASSERT_TRUE(daemon.tune(7050000, "CW"));
    Fixture f;
    f.state.settings.fixedStrings[2] = "CW";
    f.setRig(rig::RigLink::Rigctld, 0, daemon.address());
    f.open(ContactDialog::Input);
    EXPECT_TRUE(f.shows("7.050", "CW"));

    // Tuned from outside: the fields follow within two seconds.
    ASSERT_TRUE(daemon.tune(14074000, "PKTUSB"));
    EXPECT_TRUE(f.shows("14.074", "FT8"));

    // The operator types the mode: it stays; the frequency, filled by the program, follows.
    f.edit(kMode)->setFocus();
    f.edit(kMode)->selectAll();
    QTest::keyClicks(f.edit(kMode), "rtty");
    ASSERT_EQ(f.text(kMode), "RTTY");
    ASSERT_TRUE(daemon.tune(21074000, "USB"));
    EXPECT_TRUE(f.shows("21.074", "RTTY"));
    QTest::qWait(1500);
    EXPECT_EQ(f.text(kMode), "RTTY");

    // A paste counts as typing too, also into a field the program filled.
    f.edit(kFrequency)->setFocus();
    f.edit(kFrequency)->selectAll();
    QApplication::clipboard()->setText("21.076");
    f.edit(kFrequency)->paste();
    ASSERT_TRUE(daemon.tune(28074000, "USB"));
    QTest::qWait(2000);
    EXPECT_EQ(f.text(kFrequency), "21.076");

    // "入力消去" empties the fields: the radio fills them again.
    f.dlg->findChild<QToolButton *>("clearButton")->click();
    EXPECT_TRUE(f.shows("28.074", "SSB"));

    // A fixed string put in by F3 counts as typed.
    f.edit(kMode)->setFocus();
    QTest::keyClick(f.edit(kMode), Qt::Key_F3);
    ASSERT_EQ(f.text(kMode), "CW");
    ASSERT_TRUE(daemon.tune(50313000, "PKTUSB"));
    EXPECT_TRUE(f.shows("50.313", "CW"));
    QTest::qWait(1500);
    EXPECT_EQ(f.text(kMode), "CW");
    EXPECT_EQ(f.noAnswer.count, 0);
}

TEST(ContactDialogRig, ARadioThatStopsAnsweringIsToldOnceAndTypingNeverWaits)
{
    test::Rigctld daemon;
    ASSERT_TRUE(daemon.running());
    Fixture f;
    f.setRig(rig::RigLink::Rigctld, 0, daemon.address());
    f.open(ContactDialog::Input);
    ASSERT_TRUE(f.shows("145.000", "FM"));

    daemon.kill();
    // Three and a half seconds without the radio: keys are taken at once all the while, and
    // the hint bar says it once although the poller tries again every second.
    EXPECT_LT(longestKeyWait(f.edit(kMemo), 3500), 100);
    EXPECT_EQ(f.noAnswer.count, 1);
    EXPECT_EQ(f.hintBar.hint(), kNoAnswer);
    EXPECT_EQ(f.text(kFrequency), "145.000"); // what was read stays

    // Back again: the poller opens it anew and the fields follow.
    ASSERT_TRUE(daemon.restart());
    ASSERT_TRUE(daemon.tune(3525000, "CW"));
    EXPECT_TRUE(f.shows("3.525", "CW", 3000));
    EXPECT_EQ(f.hintBar.hint(), QString()); // the first good reading clears the word

    // A second outage is told again, once.
    daemon.kill();
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.noAnswer.count == 2; }, 3000));
    QTest::qWait(2500);
    EXPECT_EQ(f.noAnswer.count, 2);
}

// A frozen rigctld holds Hamlib's read far longer than three seconds; the silence is told
// after three, and the word goes when the radio answers again.
TEST(ContactDialogRig, AFrozenRadioIsToldWithinThreeSecondsAndClearedOnItsAnswer)
{
    test::Rigctld daemon;
    ASSERT_TRUE(daemon.running());
    Fixture f;
    f.setRig(rig::RigLink::Rigctld, 0, daemon.address());
    f.open(ContactDialog::Input);
    ASSERT_TRUE(f.shows("145.000", "FM"));

    daemon.freeze();
    QElapsedTimer told;
    told.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.noAnswer.count == 1; }, 6000));
    EXPECT_LT(told.elapsed(), 4500);
    EXPECT_EQ(f.hintBar.hint(), kNoAnswer);
    daemon.thaw();
    ASSERT_TRUE(daemon.tune(7010000, "CW"));
    EXPECT_TRUE(f.shows("7.010", "CW", 30000));
    EXPECT_EQ(f.hintBar.hint(), QString());
    EXPECT_EQ(f.noAnswer.count, 1);
}

TEST(ContactDialogRig, ClosingNeverWaitsForARadioCaughtInARead)
{
    test::Rigctld daemon;
    ASSERT_TRUE(daemon.running());
    Fixture f;
    f.setRig(rig::RigLink::Rigctld, 0, daemon.address());
    f.open(ContactDialog::Input);
    ASSERT_TRUE(f.shows("145.000", "FM"));

    daemon.freeze(); // the next read waits for Hamlib's timeout
    QTest::qWait(1500);
    EXPECT_LT(longestKeyWait(f.edit(kMemo), 500), 100);
    QElapsedTimer closing;
    closing.start();
    f.dlg->findChild<QToolButton *>("closeButton")->click();
    EXPECT_LT(closing.elapsed(), 100);
    EXPECT_FALSE(f.dlg->isVisible());
    EXPECT_EQ(f.state.dialogModes.log, 0);
    // The worker is still in its read; it ends by itself once the read returns.
    daemon.thaw();
    EXPECT_TRUE(QTest::qWaitFor([] { return runningWorkers() == 0; }, 30000));
}

TEST(ContactDialogRig, TheDummyRadioInTheProcessAndNothingPollsWithoutARadioOrInput)
{
    Fixture f;
    // No radio set: nothing runs.
    f.open(ContactDialog::Input);
    QTest::qWait(300);
    EXPECT_EQ(runningWorkers(), 0);
    EXPECT_EQ(f.text(kFrequency), "");

    f.setRig(rig::RigLink::Radio, 1, "");
    // Modify mode: the radio is not read.
    f.open(ContactDialog::Modify);
    QTest::qWait(300);
    EXPECT_EQ(runningWorkers(), 0);
    f.dlg.reset();

    f.open(ContactDialog::Input);
    EXPECT_TRUE(f.shows("145.000", "FM"));
    EXPECT_EQ(runningWorkers(), 1);
    // The personal information set no radio: the poller stops.
    f.setRig(rig::RigLink::None, 0, "");
    f.dlg->refreshFromSettings();
    EXPECT_TRUE(QTest::qWaitFor([] { return runningWorkers() == 0; }, 3000));
}
