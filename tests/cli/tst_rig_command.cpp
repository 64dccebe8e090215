// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog rig: one reading of the radio, printed as the contact dialog's two field texts.
#include "cli/commands.h"
#include "common/file_io.h"
#include "rig/rig_settings.h"

#include "support/command_run.h"
#include "support/rigctld.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>

using namespace vz;

namespace {

using test::CommandRun;

CommandRun rigOf(const cli::Args &args)
{
    return test::runCommand(cli::runRig, args);
}

} // namespace

TEST(RigCommand, PrintsTheFieldTextsOfTheConfiguredOrTheNamedRadio)
{
    test::TempDir dir;
    test::Rigctld daemon;
    ASSERT_TRUE(daemon.running());
    ASSERT_TRUE(daemon.tune(7050000, "CW"));

    // Named by the options.
    CommandRun r = rigOf({dir.dataDir(), "JA1ABC", "--model", "2", "--port", daemon.address()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "7.050\tCW\n");

    // Configured, with the user's data mode for the packet modes.
    rig::RigSettings settings;
    settings.link = rig::RigLink::Rigctld;
    settings.rigctldAddress = daemon.address();
    settings.dataMode = "FT4";
    ASSERT_TRUE(rig::writeRigSettings(dir.file("JA1ABC.ini"), settings));
    ASSERT_TRUE(daemon.tune(14080000, "PKTUSB"));
    r = rigOf({dir.dataDir(), "JA1ABC"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "14.080\tFT4\n");

    // A mode the log has no name for prints an empty text: the dialog would leave the field.
    ASSERT_TRUE(daemon.tune(3500000, "DSB"));
    EXPECT_EQ(rigOf({dir.dataDir(), "JA1ABC"}).out, "3.500\t\n");

    // The in-process dummy.
    EXPECT_EQ(rigOf({dir.dataDir(), "JA1ABC", "--model", "1"}).out, "145.000\tFM\n");

    // Not answering: exit 1 and the reason.
    daemon.kill();
    r = rigOf({dir.dataDir(), "JA1ABC"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("does not answer"), std::string::npos) << r.err;
}

TEST(RigCommand, NoRadioIsAFailureAndBadArgumentsAreUsageErrors)
{
    test::TempDir dir;
    CommandRun r = rigOf({dir.dataDir(), "JA1ABC"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no radio"), std::string::npos) << r.err;
    EXPECT_EQ(rigOf({dir.path() + "/missing", "JA1ABC", "--model", "1"}).status, 1);

    const cli::Args bad[] = {
        {},
        {dir.dataDir()},
        {dir.dataDir(), "JA1ABC", "--model", "99999999999"},
        {dir.dataDir(), "JA1ABC", "--model"},
        {dir.dataDir(), "JA1ABC", "--model", "0"},
        {dir.dataDir(), "JA1ABC", "--model", "x1"},
        {dir.dataDir(), "JA1ABC", "--port", "/dev/ttyUSB0"}, // a port without a model
        {dir.dataDir(), "JA1ABC", "--model", "1", "--speed", "fast"},
        {dir.dataDir(), "JA1ABC", "--model", "1", "--model", "2"},
        {dir.dataDir(), "JA1ABC", "--baud", "9600"},
    };
    for (const cli::Args &args : bad) {
        r = rigOf(args);
        EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage: vezolog rig"), std::string::npos);
    }
    r = rigOf({dir.dataDir(), "JA1-ABC"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("not a callsign"), std::string::npos) << r.err;
}

TEST(RigCommand, TheProgramSaysOnlyItsOwnWordsWithHamlibsDebugOutputOff)
{
    test::TempDir dir;
    test::Rigctld daemon;
    ASSERT_TRUE(daemon.running());
    const std::string address = daemon.address();
    daemon.kill(); // nobody listens there now
    const std::string out = dir.path() + "/out.txt";
    const std::string err = dir.path() + "/err.txt";
    const std::string command = std::string("'") + VEZOLOG + "' rig '" + dir.dataDir() +
                                "' JA1ABC --model 2 --port " + address + " >'" + out + "' 2>'" +
                                err + "'";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_EQ(files::readAll(out).value_or("?"), "");
    EXPECT_EQ(files::readAll(err).value_or(""), "vezolog: the radio does not answer: IO error\n");
}

namespace {

// A daemon of the test's own on a free loopback port: to every line it receives it answers
// `answer`, a byte every `pace` (zero: at once), until the client goes or the test ends.
class ScriptedDaemon
{
public:
    ScriptedDaemon(std::string answer, std::chrono::milliseconds pace)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof at;
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&at), sizeof at) != 0 ||
            ::listen(m_listener, 4) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&at), &length) != 0)
            return;
        m_port = ntohs(at.sin_port);
        m_thread = std::thread([this, answer = std::move(answer), pace] {
            while (!m_stop) {
                pollfd p{m_listener, POLLIN, 0};
                if (::poll(&p, 1, 100) <= 0)
                    continue;
                const int client = ::accept(m_listener, nullptr, nullptr);
                char buffer[512];
                while (!m_stop && client >= 0 && ::recv(client, buffer, sizeof buffer, 0) > 0) {
                    for (const char c : answer) {
                        if (m_stop || ::send(client, &c, 1, MSG_NOSIGNAL) != 1)
                            break;
                        std::this_thread::sleep_for(pace);
                    }
                }
                if (client >= 0)
                    ::close(client);
            }
        });
    }
    ~ScriptedDaemon()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_listener);
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(m_port); }

private:
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace

// Whatever a daemon answers, the command ends in time with exit 1 and a reason: an error
// number outside Hamlib's own (its table of texts is never read past its end), and a daemon
// that trickles its answer (a byte every 0.4 s, each within Hamlib's own wait) (the command gives
// up after 5 s in all).
TEST(RigCommand, StrangeAndSlowDaemonsEndInTimeWithAReason)
{
    test::TempDir dir;
    struct Row
    {
        const char *name;
        std::string answer;
        std::chrono::milliseconds pace;
        const char *reason;
    };
    const Row rows[] = {
        {"error number past Hamlib's", "RPRT -2147483648\n", std::chrono::milliseconds(0),
         "unknown error"},
        {"error number of Hamlib's", "RPRT -5\n", std::chrono::milliseconds(0), "imed out"},
        {"a trickling answer", std::string(200, '1') + "\n", std::chrono::milliseconds(400),
         "within 5 s"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedDaemon daemon(row.answer, row.pace);
        const auto start = std::chrono::steady_clock::now();
        const CommandRun r =
            rigOf({dir.dataDir(), "JA1ABC", "--model", "2", "--port", daemon.address()});
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(row.reason), std::string::npos) << r.err;
        EXPECT_LT(took, std::chrono::seconds(20)) << "the limit did not hold";
    }
}
