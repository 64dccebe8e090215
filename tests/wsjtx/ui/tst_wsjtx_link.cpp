// SPDX-License-Identifier: GPL-3.0-or-later
#include "wsjtx/ui/wsjtx_link.h"

#include "common/profile_file.h"
#include "common/progress.h"
#include "common/ui/qt_text.h"
#include "log/call_area.h"
#include "log/log_file.h"
#include "log/qso_record.h"
#include "log/ui/contact_dialog.h"
#include "wsjtx/ui/udp_listener.h"
#include "wsjtx/ui/wsjtx_page.h"

#include "support/window_fixture.h"
#include "wsjtx/datagrams.h"
#include "wsjtx/udp_daemon_process.h"
#include "wsjtx/udp_test_socket.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

using namespace vz;
using namespace vz::ui;

namespace {

struct LinkFixture : test::WindowFixture
{
    int port = test::freeUdpPort();
    std::unique_ptr<WsjtxLink> link;
    test::UdpSender sender;

    explicit LinkFixture(const std::string &forwardTo = {})
    {
        dir.installPrefixTable();
        state.currentCall = "JA1ZZZ";
        app::buildUserPaths(state);
        NoProgress quiet;
        app::openLog(state, quiet);
        dir.write("JA1ZZZ.ini", "[WSJTX]\nEnabled=1\nPort=" + std::to_string(port) +
                                    "\nForwardTo=" + forwardTo + "\n");
        state.settingsPath = dir.file("JA1ZZZ.ini");
        link = std::make_unique<WsjtxLink>(state, services.messages);
    }

    std::string field(std::int32_t n, log::Field f) const
    {
        log::QsoRecord r;
        log::readRecord(state.logPath, n, r);
        return std::string(r.field(f));
    }
};

TEST(WsjtxLink, LoggedContactsLandInTheLogOnceInJstOrUtc)
{
    LinkFixture f;
    f.link->follow();
    ASSERT_TRUE(f.link->listener() && f.link->listener()->listening())
        << f.messages.last().toStdString();
    // WSJT-X's pair for one Japanese contact: registered once, in JST.
    f.sender.send(f.port,
                  test::qsoLoggedDatagram("JA1ABC", 7'075'200, "FT8", test::utcTime(23, 15, 0)));
    f.sender.send(f.port, test::loggedAdifDatagram(test::loggedAdifText("JA1ABC", "231500")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.state.nextRecordNo == 2; }, 5000));
    EXPECT_EQ(f.field(1, log::Field::QsoDate), "26/05/04");
    EXPECT_EQ(f.field(1, log::Field::StartTime), "08:15");
    EXPECT_EQ(f.field(1, log::Field::Frequency), "7.075");
    EXPECT_EQ(f.field(1, log::Field::Mode), "FT8");

    // JTDX sends a 5 alone: registered after the wait, in UTC for a foreign station.
    f.sender.send(f.port, test::qsoLoggedDatagram("BV1AA", 14'080'000, "FT4",
                                                  test::utcTime(23, 15, 0), 2, "JTDX"));
    QTest::qWait(500);
    EXPECT_EQ(f.state.nextRecordNo, 2); // held for a 12
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.state.nextRecordNo == 3; }, 5000));
    EXPECT_EQ(f.field(2, log::Field::Callsign), "BV1AA");
    EXPECT_EQ(f.field(2, log::Field::StartTime), "23:15");
    EXPECT_EQ(f.field(2, log::Field::Mode), "FT4");
    // Each is listed under its area, as a typed contact is.
    std::int32_t listed = 0;
    for (int area = 0; area < log::kAreaCount; ++area)
        listed += f.state.ownIndex.count(area);
    EXPECT_EQ(listed, 2);
    QTest::qWait(2500);
    EXPECT_EQ(log::recordCount(f.state.logPath), 2);

    // A contact the log cannot take is named once and kept beside the log.
    f.messages.texts.clear();
    f.sender.send(f.port, test::loggedAdifDatagram(test::loggedAdifText("JA1ABCDEFG", "0100")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.messages.texts.size() == 1; }, 5000));
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("JA1ABCDEFG")));
    EXPECT_NE(f.dir.read("JA1ZZZ.wsjtx-unlogged.adi").find("JA1ABCDEFG"), std::string::npos);

    // A listener that stops registers what it holds.
    f.sender.send(f.port,
                  test::qsoLoggedDatagram("JA2XYZ", 7'041'000, "FT8", test::utcTime(1, 0, 0)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.link->listener()->handled() >= 5; }, 5000));
    f.link->stop();
    EXPECT_EQ(log::recordCount(f.state.logPath), 3);
}

TEST(WsjtxLink, APortInUseIsOneNoticeAndNothingElse)
{
    LinkFixture f;
    const int holder = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(f.port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
    f.link->follow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.messages.texts.size() == 1; }, 3000));
    EXPECT_TRUE(f.messages.last().contains(QString::number(f.port)));
    EXPECT_FALSE(f.link->listener()->listening());
    QTest::qWait(100);
    EXPECT_EQ(f.messages.texts.size(), 1);
    ::close(holder);
}

TEST(WsjtxLink, StatusFillsTheContactDialogWithoutOverwritingTyping)
{
    LinkFixture f;
    f.state.dialogModes.log = ContactDialog::Input;
    ContactDialog dialog(f.state, f.services, ContactDialog::Input);
    dialog.show();
    auto *call = dialog.findChild<QLineEdit *>(QStringLiteral("callsignEdit"));
    auto *freq = dialog.findChild<QLineEdit *>(QStringLiteral("frequencyEdit"));
    auto *mode = dialog.findChild<QLineEdit *>(QStringLiteral("modeEdit"));
    ASSERT_TRUE(call && freq && mode);
    dialog.fillFromWsjtx(QStringLiteral("ja1abc"), QStringLiteral("7.074"), QStringLiteral("FT8"));
    EXPECT_EQ(call->text(), QStringLiteral("JA1ABC"));
    EXPECT_EQ(freq->text(), QStringLiteral("7.074"));
    EXPECT_EQ(mode->text(), QStringLiteral("FT8"));

    // The operator types a frequency: the next status leaves it, and moves the rest.
    freq->setFocus();
    freq->selectAll();
    QTest::keyClicks(freq, QStringLiteral("7.041"));
    dialog.fillFromWsjtx(QStringLiteral("JA2XYZ"), QStringLiteral("14.074"), QStringLiteral("FT4"));
    EXPECT_EQ(freq->text(), QStringLiteral("7.041"));
    EXPECT_EQ(mode->text(), QStringLiteral("FT4"));
    EXPECT_EQ(call->text(), QStringLiteral("JA2XYZ"));
}

TEST(WsjtxLink, ForwardedDatagramsReachWsjtxReferenceServer)
{
    if (test::UdpDaemon::program().empty())
        GTEST_SKIP() << "udp_daemon (Debian package wsjtx) is not installed";
    const int daemonPort = test::freeUdpPort();
    test::UdpDaemon daemon(daemonPort);
    ASSERT_TRUE(daemon.running());
    LinkFixture f("127.0.0.1:" + std::to_string(daemonPort));
    f.link->follow();
    ASSERT_TRUE(f.link->listener()->listening());
    auto hb = test::header(0);
    hb.u32(3);
    hb.utf8("2.6.1");
    hb.utf8("forwarded");
    // udp_daemon may still be starting: the heartbeat goes again until it is seen.
    bool seen = false;
    for (int i = 0; i < 30 && !seen; ++i) {
        f.sender.send(f.port, hb.bytes());
        QTest::qWait(100);
        seen = daemon.waitFor("(forwarded)", std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(seen) << daemon.lines();
    f.sender.send(f.port, test::statusDatagram("JA1ABC", 50'313'000, "FT8"));
    QTest::qWait(200);
    EXPECT_TRUE(daemon.waitFor("Dial frequency changed to 50313000")) << daemon.lines();
}

TEST(WsjtxPage, SettingsAreWrittenOnlyWhenChanged)
{
    LinkFixture f;
    const std::string older = "[Settings]\r\nName=Taro\r\n";
    f.dir.write("JA1ZZZ.ini", older);
    WsjtxPage page(f.state);
    page.load();
    EXPECT_TRUE(page.save());
    EXPECT_EQ(f.dir.read("JA1ZZZ.ini"), older); // byte-identical

    auto *port = page.findChild<QLineEdit *>(QStringLiteral("portEdit"));
    auto *forward = page.findChild<QLineEdit *>(QStringLiteral("forwardEdit"));
    ASSERT_TRUE(port && forward);
    EXPECT_EQ(port->text(), QStringLiteral("2237"));
    port->setText(QString());
    QTest::keyClicks(port, QStringLiteral("2240"));
    QTest::keyClicks(forward, QStringLiteral("127.0.0.1:2238, 127.0.0.1:2239"));
    page.findChild<QCheckBox *>(QStringLiteral("enabledCheck"))->setChecked(true);
    ASSERT_TRUE(page.save());
    const wsjtx::ListenerSettings s = wsjtx::readListenerSettings(f.state.settingsPath);
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.port, 2240);
    EXPECT_EQ(s.forwardTo, (std::vector<std::string>{"127.0.0.1:2238", "127.0.0.1:2239"}));
    EXPECT_EQ(f.dir.read("JA1ZZZ.ini").rfind(older, 0), 0U); // the rest kept as it was
}

TEST(WsjtxLink, AFloodNeverHoldsUpTheWindow)
{
    LinkFixture f;
    f.link->follow();
    ASSERT_TRUE(f.link->listener()->listening());
    QElapsedTimer clock;
    qint64 last = 0, worst = 0;
    QTimer timer;
    timer.setInterval(100);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        worst = std::max(worst, now - last);
        last = now;
    });
    std::atomic<bool> done{false};
    const std::string status = test::statusDatagram("JA1ABC", 7'074'000, "FT8");
    const std::string broken = status.substr(0, 20);
    clock.start();
    timer.start();
    std::thread flood([&] {
        // 10,000 datagrams a second for two seconds, every tenth one broken.
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 20'000; ++i) {
            f.sender.send(f.port, i % 10 ? status : broken);
            std::this_thread::sleep_until(start + std::chrono::microseconds(100 * (i + 1)));
        }
        done = true;
    });
    // A real event loop, as the window runs: QTest::qWait sleeps between its turns.
    auto runLoopFor = [](int ms, const std::function<bool()> &until = {}) {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (until && until())
                loop.quit();
        });
        poll.start(20);
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    runLoopFor(60'000, [&] { return done.load(); });
    flood.join();
    // Until what the kernel buffered is read.
    for (std::uint64_t before = 0; before != f.link->listener()->handled();) {
        before = f.link->listener()->handled();
        runLoopFor(300);
    }
    timer.stop();
    std::printf("flood: %llu datagrams handled, longest timer gap %lld ms\n",
                static_cast<unsigned long long>(f.link->listener()->handled()),
                static_cast<long long>(worst));
    EXPECT_LT(worst, 1000); // generous: the machine may be busy with other work
    // What the kernel could not buffer is lost; what came through was handled, and a contact
    // after the flood is still registered.
    EXPECT_GT(f.link->listener()->handled(), 100U);
    f.sender.send(f.port, test::loggedAdifDatagram(test::loggedAdifText("JA1ABC", "120000")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.state.nextRecordNo == 2; }, 5000));
    EXPECT_LE(f.link->listener()->core().log().size(), 100U);
}

} // namespace
