// SPDX-License-Identifier: GPL-3.0-or-later
// WSJT-X's reference UDP server, udp_daemon, run for a test: it prints one line per message
// it decodes, which the test reads as they come.
#pragma once

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace vz::test {

class UdpDaemon
{
public:
    static std::string program()
    {
        for (const char *p : {"/usr/bin/udp_daemon", "/usr/local/bin/udp_daemon"})
            if (::access(p, X_OK) == 0)
                return p;
        return {};
    }

    explicit UdpDaemon(int port, const std::vector<std::string> &more = {})
    {
        int fds[2];
        if (program().empty() || ::pipe2(fds, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
        const std::string portText = std::to_string(port);
        const std::string daemon = program();
        // stdbuf: its lines would otherwise wait in a full buffer of a pipe.
        std::vector<const char *> args{"stdbuf",       "-oL",    "-eL",
                                       daemon.c_str(), "--port", portText.c_str()};
        for (const std::string &arg : more)
            args.push_back(arg.c_str());
        args.push_back(nullptr);
        if (::posix_spawnp(&m_pid, "stdbuf", &actions, nullptr,
                           const_cast<char *const *>(args.data()), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        m_out = fds[0];
    }
    ~UdpDaemon()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0)
            ::close(m_out);
    }
    UdpDaemon(const UdpDaemon &) = delete;
    UdpDaemon &operator=(const UdpDaemon &) = delete;

    bool running() const { return m_pid > 0; }

    // Reads its output until a line holds `text`; false after `timeout`.
    bool waitFor(const std::string &text,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (true) {
            std::size_t nl;
            while ((nl = m_pending.find('\n')) != std::string::npos) {
                const std::string line = m_pending.substr(0, nl);
                m_pending.erase(0, nl + 1);
                m_lines.push_back(line);
                if (line.find(text) != std::string::npos)
                    return true;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            pollfd p{m_out, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(m_out, buffer, sizeof buffer);
            if (n <= 0)
                return false;
            m_pending.append(buffer, static_cast<std::size_t>(n));
        }
    }
    // Every line read so far, for a failure message.
    std::string lines() const
    {
        std::string all;
        for (const auto &l : m_lines)
            all += l + '\n';
        return all + m_pending;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_pending;
    std::vector<std::string> m_lines;
};

} // namespace vz::test
