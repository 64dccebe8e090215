// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/rigctld.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vz::test {

namespace {

using namespace std::chrono_literals;

int freeLoopbackPort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t length = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &length) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

bool accepts(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

pid_t spawn(const std::vector<std::string> &args, bool quiet)
{
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    // The child dies with the test, also when the test aborts.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (quiet) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
    }
    ::execvp(argv[0], argv.data());
    ::_exit(127);
}

int reap(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

int runProgram(const std::vector<std::string> &argv)
{
    const pid_t pid = spawn(argv, true);
    return pid > 0 ? reap(pid) : -1;
}

Rigctld::Rigctld()
{
    // Another program may take the free port first: try a few.
    for (int attempt = 0; attempt < 5 && !running(); ++attempt) {
        m_port = freeLoopbackPort();
        start();
    }
}

Rigctld::~Rigctld()
{
    kill();
}

bool Rigctld::start()
{
    m_pid = spawn({"rigctld", "-m", "1", "-T", "127.0.0.1", "-t", std::to_string(m_port)}, true);
    if (m_pid <= 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < deadline) {
        // Listening is not answering yet: a busy machine lets a client in before the daemon
        // serves it, so wait for a real answer.
        if (accepts(m_port) && runProgram({"rigctl", "-m", "2", "-r", address(), "f"}) == 0)
            return true;
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) { // it ended: the port was taken
            m_pid = -1;
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    kill();
    return false;
}

bool Rigctld::tune(long long hertz, const std::string &mode) const
{
    return runProgram({"rigctl", "-m", "2", "-r", address(), "F", std::to_string(hertz), "M", mode,
                       "0"}) == 0;
}

void Rigctld::kill()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    reap(m_pid);
    m_pid = -1;
}

bool Rigctld::restart()
{
    kill();
    // The old listening port may linger for a moment.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (start())
            return true;
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

void Rigctld::freeze() const
{
    if (m_pid > 0)
        ::kill(m_pid, SIGSTOP);
}

void Rigctld::thaw() const
{
    if (m_pid > 0)
        ::kill(m_pid, SIGCONT);
}

bool Rigctld::hasUnreadRequest() const
{
    // Lines of /proc/net/tcp: "sl local rem st tx_queue:rx_queue ...", addresses and the
    // queues in hex. The daemon's side of a connection has its port as the local one.
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line); // the header
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues;
        fields >> slot >> local >> remote >> state >> queues;
        const std::size_t colon = local.find(':');
        const std::size_t queueColon = queues.find(':');
        if (colon == std::string::npos || queueColon == std::string::npos)
            continue;
        const bool established = state == "01";
        if (established && std::stoi(local.substr(colon + 1), nullptr, 16) == m_port &&
            std::stoul(queues.substr(queueColon + 1), nullptr, 16) > 0)
            return true;
    }
    return false;
}

} // namespace vz::test
