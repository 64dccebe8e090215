// SPDX-License-Identifier: GPL-3.0-or-later
// The contact dialog follows the radio in input mode: Hamlib's dummy behind a rigctld that a
// second client tunes, dies, freezes and comes back; and the dummy in the process.
#include "log/ui/contact_dialog.h"

#include "app/session.h"
#include "common/progress.h"
#include "common/ui/hint_bar.h"
#include "rig/rig_settings.h"
#include "rig/ui/rig_poller.h"
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
// How long a wait for the radio may take before it counts as a failure: generous, because a
// sanitizer build on a busy machine is slow; a wait that succeeds ends at once.
constexpr int kPatience = 15000;
// A key that waits this long waited for the radio, whose reads block for seconds when it is
// silent; the event loop of a loaded machine alone never comes near.
constexpr qint64 kKeyWaitLimit = 1000;
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
    bool shows(const QString &frequency, const QString &mode, int ms = kPatience) const
    {
        return QTest::qWaitFor([&] { return text(kFrequency) == frequency && text(kMode) == mode; },
                               ms);
    }
    std::string fields() const
    {
        return "the fields show " + text(kFrequency).toStdString() + " / " +
               text(kMode).toStdString();
    }

    // Notes the frequency of every reading the dialog's poller hands over; the dialog has
    // handled a reading by the time it is noted here.
    void watchReadings()
    {
        auto *poller = dlg->findChild<RigPoller *>();
        ASSERT_NE(poller, nullptr);
        QObject::connect(
            poller, &RigPoller::fieldsRead, dlg.get(),
            [this](const QString &frequency, const QString &) { readings << frequency; });
    }
    // Waits until the radio was read at `frequency` twice, so that at least one whole reading
    // made after the change reached the fields.
    bool readTwiceAt(const QString &frequency)
    {
        return QTest::qWaitFor([&] { return readings.count(frequency) >= 2; }, kPatience);
    }
    QStringList readings;
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
    f.watchReadings();
    EXPECT_TRUE(f.shows("7.050", "CW")) << f.fields();

    // Tuned from outside: the fields follow.
    ASSERT_TRUE(daemon.tune(14074000, "PKTUSB"));
    EXPECT_TRUE(f.shows("14.074", "FT8")) << f.fields();

    // The operator types the mode: it stays; the frequency, filled by the program, follows.
    f.edit(kMode)->setFocus();
    f.edit(kMode)->selectAll();
    QTest::keyClicks(f.edit(kMode), "rtty");
    ASSERT_EQ(f.text(kMode), "RTTY");
    ASSERT_TRUE(daemon.tune(21074000, "USB"));
    EXPECT_TRUE(f.shows("21.074", "RTTY")) << f.fields();
    ASSERT_TRUE(f.readTwiceAt("21.074")) << "the radio was not read twice at 21.074";
    EXPECT_EQ(f.text(kMode), "RTTY");

    // A paste counts as typing too, also into a field the program filled.
    f.edit(kFrequency)->setFocus();
    f.edit(kFrequency)->selectAll();
    QApplication::clipboard()->setText("21.076");
    f.edit(kFrequency)->paste();
    ASSERT_TRUE(daemon.tune(28074000, "USB"));
    ASSERT_TRUE(f.readTwiceAt("28.074")) << "the radio was not read twice at 28.074";
    EXPECT_EQ(f.text(kFrequency), "21.076");

    // "入力消去" empties the fields: the radio fills them again.
    f.dlg->findChild<QToolButton *>("clearButton")->click();
    EXPECT_TRUE(f.shows("28.074", "SSB")) << f.fields();

    // A fixed string put in by F3 counts as typed.
    f.edit(kMode)->setFocus();
    QTest::keyClick(f.edit(kMode), Qt::Key_F3);
    ASSERT_EQ(f.text(kMode), "CW");
    ASSERT_TRUE(daemon.tune(50313000, "PKTUSB"));
    EXPECT_TRUE(f.shows("50.313", "CW")) << f.fields();
    ASSERT_TRUE(f.readTwiceAt("50.313")) << "the radio was not read twice at 50.313";
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
    ASSERT_TRUE(f.shows("145.000", "FM")) << f.fields();

    daemon.kill();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.noAnswer.count == 1; }, kPatience))
        << "the silence of the radio was never told";
    // Two and a half seconds more without the radio, in which the poller tries again every
    // second: keys are taken at once all the while, and the hint bar said it once.
    const qint64 keyWait = longestKeyWait(f.edit(kMemo), 2500);
    EXPECT_LT(keyWait, kKeyWaitLimit) << "a key waited " << keyWait << " ms for the radio";
    EXPECT_EQ(f.noAnswer.count, 1);
    EXPECT_EQ(f.hintBar.hint(), kNoAnswer);
    EXPECT_EQ(f.text(kFrequency), "145.000"); // what was read stays

    // Back again: the poller opens it anew and the fields follow.
    ASSERT_TRUE(daemon.restart());
    ASSERT_TRUE(daemon.tune(3525000, "CW"));
    EXPECT_TRUE(f.shows("3.525", "CW")) << f.fields();
    EXPECT_EQ(f.hintBar.hint(), QString()); // the first good reading clears the word

    // A second outage is told again.
    daemon.kill();
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.noAnswer.count == 2; }, kPatience))
        << "the second silence was told " << f.noAnswer.count - 1 << " times";
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
    // Hamlib itself would wait 15 to 20 s; the bound leaves room for a busy sanitizer run.
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.noAnswer.count == 1; }, 10000));
    EXPECT_LT(told.elapsed(), 8000);
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
    ASSERT_TRUE(f.shows("145.000", "FM")) << f.fields();

    daemon.freeze(); // the next read waits for Hamlib's timeout, seconds long
    ASSERT_TRUE(QTest::qWaitFor([&] { return daemon.hasUnreadRequest(); }, kPatience))
        << "the poller never asked the frozen radio";
    // The worker is inside its read now.
    const qint64 keyWait = longestKeyWait(f.edit(kMemo), 500);
    EXPECT_LT(keyWait, kKeyWaitLimit) << "a key waited " << keyWait << " ms for the radio";
    ASSERT_TRUE(daemon.hasUnreadRequest());
    f.dlg->findChild<QToolButton *>("closeButton")->click();
    // Closed while the read still waits: the worker runs on, its question still unanswered.
    EXPECT_FALSE(f.dlg->isVisible());
    EXPECT_EQ(f.state.dialogModes.log, 0);
    EXPECT_EQ(runningWorkers(), 1) << "the dialog waited for the worker's read";
    EXPECT_TRUE(daemon.hasUnreadRequest()) << "the dialog waited for the worker's read";
    // It ends by itself once the read returns.
    daemon.thaw();
    EXPECT_TRUE(QTest::qWaitFor([] { return runningWorkers() == 0; }, kPatience))
        << runningWorkers() << " workers still run";
}

TEST(ContactDialogRig, TheDummyRadioInTheProcessAndNothingPollsWithoutARadioOrInput)
{
    Fixture f;
    // No radio set: nothing runs.
    // The poller is made when the dialog opens: without one nothing can read the radio.
    f.open(ContactDialog::Input);
    EXPECT_EQ(f.dlg->findChild<RigPoller *>(), nullptr);
    EXPECT_EQ(runningWorkers(), 0);
    EXPECT_EQ(f.text(kFrequency), "");

    f.setRig(rig::RigLink::Radio, 1, "");
    // Modify mode: the radio is not read.
    f.open(ContactDialog::Modify);
    EXPECT_EQ(f.dlg->findChild<RigPoller *>(), nullptr);
    EXPECT_EQ(runningWorkers(), 0);
    f.dlg.reset();

    f.open(ContactDialog::Input);
    EXPECT_TRUE(f.shows("145.000", "FM")) << f.fields();
    EXPECT_EQ(runningWorkers(), 1);
    // The personal information set no radio: the poller stops.
    f.setRig(rig::RigLink::None, 0, "");
    f.dlg->refreshFromSettings();
    EXPECT_EQ(f.dlg->findChild<RigPoller *>(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([] { return runningWorkers() == 0; }, kPatience))
        << runningWorkers() << " workers still run";
}
