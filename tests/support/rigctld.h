// SPDX-License-Identifier: GPL-3.0-or-later
// Hamlib's dummy radio behind a rigctld of the test's own, on a free loopback port, and a
// second client (rigctl) that turns its knobs from outside. Stopped by its process id.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace vz::test {

class Rigctld
{
public:
    // Starts `rigctld -m 1` on a free port of 127.0.0.1 and waits until it accepts.
    Rigctld();
    ~Rigctld(); // stops it when it runs
    Rigctld(const Rigctld &) = delete;
    Rigctld &operator=(const Rigctld &) = delete;

    bool running() const { return m_pid > 0; }
    int port() const { return m_port; }
    std::string address() const { return "127.0.0.1:" + std::to_string(m_port); }

    // Sets frequency (Hz) and mode through `rigctl -m 2`; false when rigctl failed.
    bool tune(long long hertz, const std::string &mode) const;
    // Kills it (SIGKILL) and reaps it.
    void kill();
    // Starts it again on the same port.
    bool restart();
    // Freezes it (SIGSTOP) so that reads wait, and lets it go on (SIGCONT).
    void freeze() const;
    void thaw() const;
    // True while a client is connected with a request the daemon has not read yet: with the
    // daemon frozen, that client is inside a read waiting for its answer.
    bool hasUnreadRequest() const;

private:
    bool start();
    pid_t m_pid = -1;
    int m_port = 0;
};

// Runs a program with arguments and waits for it; its exit status, or -1.
int runProgram(const std::vector<std::string> &argv);

} // namespace vz::test
