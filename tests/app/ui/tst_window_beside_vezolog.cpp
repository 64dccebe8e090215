// SPDX-License-Identifier: GPL-3.0-or-later
// The window with vezolog working on the same data folder as a real second process: the window
// follows the log, registers after another program's contacts, and keeps the card number.
#include "app/ui/main_window.h"

#include "app/user_settings.h"
#include "log/log_file.h"
#include "log/ui/contact_dialog.h"

#include "support/window_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vz;
using namespace vz::ui;

namespace {

int runVezolog(const std::vector<std::string> &args)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        std::vector<char *> argv{const_cast<char *>(VEZOLOG)};
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(VEZOLOG, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Fixture : test::WindowFixture
{
    std::unique_ptr<MainWindow> form;

    Fixture()
    {
        dir.installPrefixTable();
        dir.write("Start.DAT", "JA1ABC");
        app::registerUser(dir.file("CallSign.DAT"), "JA1ABC");
        for (std::int32_t n = 1; n <= 3; ++n) {
            log::FieldTexts t;
            t[0] = "JA3XY" + std::to_string(n);
            log::appendRecord(dir.file("JA1ABC.DAT"), n, log::buildRecord(t, true, true));
        }
        form = std::make_unique<MainWindow>(state, services, QString::fromStdString(dir.path()));
        EXPECT_TRUE(form->startUp());
        form->show();
        QTest::qWait(300); // what the start-up left queued runs before the other program
    }
    ~Fixture()
    {
        state.startAborted = true;
        form->close();
    }
    ContactDialog *openInput()
    {
        QTest::mouseClick(form->commandButton(Command::LogInput), Qt::LeftButton);
        QTest::qWait(200); // shown and focused
        for (ContactDialog *d : form->findChildren<ContactDialog *>())
            if (d->isVisible())
                return d;
        return nullptr;
    }
};

QString nextNumberShown(ContactDialog *dialog)
{
    return dialog->findChild<QLabel *>("nextRecordLabel")->text();
}

} // namespace

// vezolog imports while the contact dialog is open: the dialog shows the number its contact
// will really get, and 登録 lands after the imported contacts with that number.
TEST(WindowBesideVezolog, RegisterAfterAnImportLandsAfterTheImportedContacts)
{
    Fixture f;
    ContactDialog *dialog = f.openInput();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(nextNumberShown(dialog), "4");
    std::string adif = "<EOH>\n";
    for (const char *call : {"JA2AAA", "JA2BBB", "JA2CCC", "JA2DDD", "JA2EEE"})
        adif += std::string("<CALL:6>") + call + " <QSO_DATE:8>20240101 <TIME_ON:4>1200 <EOR>\n";
    f.dir.write("../in.adi", adif);
    ASSERT_EQ(runVezolog({"import-adif", f.dir.dataDir(), "JA1ABC", f.dir.path() + "/in.adi"}), 0);

    // The folder watch brings the window up to the log.
    EXPECT_TRUE(QTest::qWaitFor([&] { return nextNumberShown(dialog) == "9"; }, 5000))
        << nextNumberShown(dialog).toStdString();
    EXPECT_EQ(f.state.ownIndex.count(2), 5); // the imported contacts are in their area's list

    auto *call = dialog->findChild<QLineEdit *>("callsignEdit");
    auto *end = dialog->findChild<QLineEdit *>("endTimeEdit");
    call->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(call, "JA1XYZ");
    end->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(end, "09:45");
    QTest::keyClick(end, Qt::Key_Return);
    auto *registerButton = dialog->findChild<QToolButton *>("registerButton");
    ASSERT_TRUE(registerButton->isEnabled());
    QTest::mouseClick(registerButton, Qt::LeftButton);

    log::QsoRecord r;
    ASSERT_EQ(log::recordCount(f.dir.file("JA1ABC.DAT")), 9);
    ASSERT_EQ(log::readRecord(f.dir.file("JA1ABC.DAT"), 9, r), log::IoResult::Ok);
    EXPECT_EQ(r.field(log::Field::Callsign), "JA1XYZ");
    ASSERT_EQ(log::readRecord(f.dir.file("JA1ABC.DAT"), 4, r), log::IoResult::Ok);
    EXPECT_EQ(r.field(log::Field::Callsign), "JA2AAA");
    EXPECT_EQ(nextNumberShown(dialog), "10");
    EXPECT_EQ(f.state.nextRecordNo, 10);
}

// A second program appends while the dialog still shows the old number (the watch has not
// fired yet): the contact still lands at the log's end, and the state follows the log.
TEST(WindowBesideVezolog, RegisterBeforeTheWatchFiresStillAppends)
{
    Fixture f;
    ContactDialog *dialog = f.openInput();
    ASSERT_TRUE(dialog);
    log::FieldTexts t;
    t[0] = "JA5OTH";
    const log::QsoRecord other = log::buildRecord(t, false, true);
    ASSERT_EQ(log::appendAtEnd(f.dir.file("JA1ABC.DAT"), {std::span(&other, 1)}).firstRecordNo, 4);
    auto *call = dialog->findChild<QLineEdit *>("callsignEdit");
    auto *end = dialog->findChild<QLineEdit *>("endTimeEdit");
    call->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(call, "JA1XYZ");
    end->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(end, "09:45");
    QTest::keyClick(end, Qt::Key_Return);
    ASSERT_TRUE(dialog->findChild<QToolButton *>("registerButton")->isEnabled());
    QTest::mouseClick(dialog->findChild<QToolButton *>("registerButton"), Qt::LeftButton);
    EXPECT_TRUE(f.messages.texts.isEmpty()) << f.messages.last().toStdString();
    log::QsoRecord r;
    ASSERT_EQ(log::readRecord(f.dir.file("JA1ABC.DAT"), 4, r), log::IoResult::Ok);
    EXPECT_EQ(r.field(log::Field::Callsign), "JA5OTH");
    ASSERT_EQ(log::readRecord(f.dir.file("JA1ABC.DAT"), 5, r), log::IoResult::Ok);
    EXPECT_EQ(r.field(log::Field::Callsign), "JA1XYZ");
    EXPECT_EQ(f.state.nextRecordNo, 6);
    EXPECT_EQ(f.state.ownIndex.count(5), 1);
}

// vezolog prints while the window is open; closing the window keeps the number vezolog left,
// and the personal information shows it.
TEST(WindowBesideVezolog, ClosingAfterAPrintKeepsTheCardNumber)
{
    Fixture f;
    ASSERT_EQ(runVezolog({"print", "postcard", f.dir.dataDir(), "JA1ABC", "--unissued", "--pdf",
                          f.dir.path() + "/cards.pdf", "--dpi", "72"}),
              0);
    EXPECT_EQ(app::readUserSettings(f.dir.file("JA1ABC.ini")).settings.cardNo, "4");
    // Another setting changed by the window meanwhile is still written.
    f.state.settings.rig = "IC-7300";
    f.state.startAborted = false;
    f.form->close();
    const app::UserSettings saved = app::readUserSettings(f.dir.file("JA1ABC.ini")).settings;
    EXPECT_EQ(saved.cardNo, "4");
    EXPECT_EQ(saved.rig, "IC-7300");
}
