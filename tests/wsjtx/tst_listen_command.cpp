// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog listen: the contacts it hears are registered once, one line each, until its time is up.
#include "cli/commands.h"

#include "log/log_file.h"
#include "log/qso_record.h"

#include "support/temp_dir.h"
#include "wsjtx/datagrams.h"
#include "wsjtx/udp_daemon_process.h"
#include "wsjtx/udp_test_socket.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <thread>

using namespace vz;

namespace {

TEST(ListenCommand, RegistersWhatItHearsUntilItsTimeIsUp)
{
    test::TempDir dir;
    dir.installPrefixTable();
    log::FieldTexts t;
    t[0] = "JA3QRP";
    t[3] = "26/01/01";
    t[4] = "10:00";
    ASSERT_EQ(log::appendRecord(dir.file("JA1ZZZ.DAT"), 1, log::buildRecord(t, false, true)),
              log::IoResult::Ok);
    const int port = test::freeUdpPort();
    std::ostringstream out, err;
    int status = -1;
    std::thread listener([&] {
        status = cli::runListen(
            {dir.dataDir(), "JA1ZZZ", "--port", std::to_string(port), "--for", "4"}, out, err);
    });
    test::UdpSender sender;
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    sender.send(port,
                test::qsoLoggedDatagram("JA1ABC", 7'075'200, "FT8", test::utcTime(23, 15, 0)));
    sender.send(port, test::loggedAdifDatagram(test::loggedAdifText("JA1ABC", "231500")));
    sender.send(port, std::string("not a datagram"));
    // JTDX's lone 5 near the end: the stop registers it.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    sender.send(port, test::qsoLoggedDatagram("BV1AA", 14'080'000, "FT4", test::utcTime(1, 2, 0), 2,
                                              "JTDX"));
    listener.join();
    EXPECT_EQ(status, 0) << err.str();
    EXPECT_EQ(log::recordCount(dir.file("JA1ZZZ.DAT")), 3) << out.str() << err.str();
    EXPECT_NE(out.str().find("JA1ABC"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("BV1AA"), std::string::npos) << out.str();

    const struct
    {
        std::vector<std::string> args;
        int status;
    } bad[] = {
        {{dir.dataDir(), "JA1ZZZ", "--port", "0"}, 2},
        {{dir.dataDir(), "JA1ZZZ", "--interface", "lo"}, 2},
        {{dir.dataDir(), "JA1ZZZ", "--group", "10.0.0.1"}, 2},
        {{dir.dataDir(), "JA1ZZZ", "--for"}, 2},
        {{dir.dataDir(), "JA9NOLOG", "--for", "1"}, 1},
    };
    for (const auto &c : bad) {
        std::ostringstream o, e;
        EXPECT_EQ(cli::runListen(c.args, o, e), c.status) << c.args[2];
    }
}

// Two members of one multicast group on the loopback of a network namespace of its own: the
// listener and WSJT-X's reference server both hear the contact, and it is registered once.
TEST(ListenCommand, MulticastGroupInANetworkNamespace)
{
    if (!std::getenv("VEZO_IN_NETNS")) {
        if (std::system("unshare -rn true >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "no network namespace here (unshare -rn fails): multicast not tested";
        char self[4096] = {};
        ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
        const std::string command =
            "VEZO_IN_NETNS=1 unshare -rn sh -c 'ip link set lo up && ip link set lo multicast on "
            "&& ip route add 239.0.0.0/8 dev lo && exec \"" +
            std::string(self) +
            "\" --gtest_filter=ListenCommand.MulticastGroupInANetworkNamespace'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        return;
    }
    test::TempDir dir;
    dir.installPrefixTable();
    log::FieldTexts t;
    t[0] = "JA3QRP";
    t[3] = "26/01/01";
    t[4] = "10:00";
    ASSERT_EQ(log::appendRecord(dir.file("JA1ZZZ.DAT"), 1, log::buildRecord(t, false, true)),
              log::IoResult::Ok);
    const int port = test::freeUdpPort();
    std::unique_ptr<test::UdpDaemon> daemon;
    if (!test::UdpDaemon::program().empty())
        daemon = std::make_unique<test::UdpDaemon>(
            port, std::vector<std::string>{"--multicast-group", "239.255.0.1",
                                           "--network-interface", "lo"});
    std::ostringstream out, err;
    int status = -1;
    std::thread listener([&] {
        status = cli::runListen({dir.dataDir(), "JA1ZZZ", "--port", std::to_string(port), "--group",
                                 "239.255.0.1", "--interface", "lo", "--for", "3"},
                                out, err);
    });
    test::UdpSender sender;
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    auto hb = test::header(0);
    hb.u32(3);
    hb.utf8("2.6.1");
    hb.utf8("group");
    sender.send(port, hb.bytes(), "239.255.0.1");
    sender.send(port, test::qsoLoggedDatagram("JA1ABC", 7'075'200, "FT8", test::utcTime(23, 15, 0)),
                "239.255.0.1");
    sender.send(port, test::loggedAdifDatagram(test::loggedAdifText("JA1ABC", "231500")),
                "239.255.0.1");
    listener.join();
    EXPECT_EQ(status, 0) << err.str();
    EXPECT_EQ(log::recordCount(dir.file("JA1ZZZ.DAT")), 2) << out.str() << err.str();
    if (daemon) {
        EXPECT_TRUE(daemon->waitFor("Logged JA1ABC")) << daemon->lines();
    }
}

} // namespace
