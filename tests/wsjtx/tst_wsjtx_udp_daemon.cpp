// SPDX-License-Identifier: GPL-3.0-or-later
// The tests' datagrams against WSJT-X's own reference server: what this logbook takes for a
// WSJT-X datagram is what WSJT-X's own code reads the same way.
#include "wsjtx/messages.h"

#include "wsjtx/datagrams.h"
#include "wsjtx/udp_daemon_process.h"
#include "wsjtx/udp_test_socket.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <thread>

namespace {

using vz::test::UdpDaemon;

TEST(WsjtxReferenceServer, DecodesTheFixtures)
{
    if (UdpDaemon::program().empty())
        GTEST_SKIP() << "udp_daemon (Debian package wsjtx) is not installed";
    const int port = vz::test::freeUdpPort();
    UdpDaemon daemon(port);
    ASSERT_TRUE(daemon.running());
    vz::test::UdpSender sender;
    // It answers the first heartbeat once it listens: resend until it does.
    auto hb = vz::test::header(0, 3, "WSJT-X");
    hb.u32(3);
    hb.utf8("2.6.1");
    hb.utf8("fixture");
    bool answered = false;
    for (int i = 0; i < 50 && !answered; ++i) {
        sender.send(port, hb.bytes());
        pollfd p{sender.fd(), POLLIN, 0};
        if (::poll(&p, 1, 200) > 0) {
            char buffer[1024];
            const ssize_t n = ::recv(sender.fd(), buffer, sizeof buffer, 0);
            const auto reply = vz::wsjtx::decode(std::string(buffer, static_cast<std::size_t>(n)));
            ASSERT_TRUE(reply.ok()) << reply.error; // its heartbeat, read by this decoder
            answered = std::holds_alternative<vz::wsjtx::Heartbeat>(reply.message);
        }
    }
    ASSERT_TRUE(answered) << daemon.lines();
    ASSERT_TRUE(daemon.waitFor("v2.6.1 (fixture)")) << daemon.lines();

    const struct
    {
        const char *what;
        std::string datagram;
        std::string expected;
    } cases[] = {
        {"status frequency", vz::test::statusDatagram("JA1ABC", 7'074'000, "FT8"),
         "Dial frequency changed to 7074000"},
        {"status mode", vz::test::statusDatagram("JA1ABC", 14'080'000, "FT4"),
         "Mode changed to FT4"},
        {"logged FT8 schema 3",
         vz::test::qsoLoggedDatagram("BV1AA", 7'075'200, "FT8", vz::test::utcTime(12, 33, 56)),
         "Logged BV1AA grid: PM95 power: 50 sent: -10 recd: -12 freq: 7075200 time_off: "
         "2026-05-03 12:34:56"},
        {"logged FT4 schema 2",
         vz::test::qsoLoggedDatagram("JA1XYZ", 14'081'500, "FT4", vz::test::utcTime(0, 1, 2), 2),
         "Logged JA1XYZ grid: PM95 power: 50 sent: -10 recd: -12 freq: 14081500"},
        {"logged ADIF",
         vz::test::loggedAdifDatagram(vz::test::loggedAdifText("JA1ABC", "101500", "FT4")),
         "<call:6>JA1ABC"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(vz::wsjtx::decode(c.datagram).ok());
        sender.send(port, c.datagram);
        EXPECT_TRUE(daemon.waitFor(c.expected)) << daemon.lines();
    }
}

} // namespace
