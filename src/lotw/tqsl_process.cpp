// SPDX-License-Identifier: GPL-3.0-or-later
#include "lotw/tqsl_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace vz::lotw {

namespace {

using Clock = std::chrono::steady_clock;

bool isLocaleVariable(std::string_view entry)
{
    return entry.starts_with("LC_") || entry.starts_with("LANG=") || entry.starts_with("LANGUAGE=");
}

} // namespace

std::vector<std::string> tqslEnvironment()
{
    std::vector<std::string> env;
    for (char **e = environ; e && *e; ++e)
        if (!isLocaleVariable(*e))
            env.emplace_back(*e);
    env.emplace_back("LC_ALL=C.UTF-8");
    return env;
}

std::string findProgram(const std::string &program)
{
    if (program.empty())
        return {};
    if (program.find('/') != std::string::npos)
        return ::access(program.c_str(), X_OK) == 0 ? program : std::string();
    const char *path = std::getenv("PATH");
    const std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t at = 0;
    while (at <= dirs.size()) {
        std::size_t end = dirs.find(':', at);
        if (end == std::string::npos)
            end = dirs.size();
        std::string candidate = end > at ? dirs.substr(at, end - at) : std::string(".");
        candidate += '/';
        candidate += program;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        at = end + 1;
    }
    return {};
}

TqslRun SpawnRunner::run(const std::vector<std::string> &argv, std::chrono::seconds limit)
{
    TqslRun result;
    const std::string program = argv.empty() ? std::string() : findProgram(argv[0]);
    if (program.empty()) {
        result.notFound = true;
        return result;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    ::posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    // Its own process group, so that the time limit stops whatever it started as well.
    posix_spawnattr_t attr;
    ::posix_spawnattr_init(&attr);
    ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    ::posix_spawnattr_setpgroup(&attr, 0);
    std::vector<char *> args;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    const std::vector<std::string> envTexts = tqslEnvironment();
    std::vector<char *> env;
    for (const std::string &e : envTexts)
        env.push_back(const_cast<char *>(e.c_str()));
    env.push_back(nullptr);
    pid_t pid = -1;
    const int spawned =
        ::posix_spawn(&pid, program.c_str(), &actions, &attr, args.data(), env.data());
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attr);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        result.notFound = spawned == ENOENT;
        return result;
    }
    result.started = true;
    const auto deadline = Clock::now() + limit;
    auto killAt = Clock::time_point::max();
    bool open = true;
    int status = 0;
    for (;;) {
        if (!open) {
            // Output closed: wait for the end, still within the limit.
            const pid_t done = ::waitpid(pid, &status, WNOHANG);
            if (done == pid)
                break;
            if (done < 0 && errno != EINTR)
                return result;
        }
        const auto now = Clock::now();
        if (now >= deadline && !result.timedOut) {
            result.timedOut = true;
            ::kill(-pid, SIGTERM);
            killAt = now + std::chrono::seconds(2);
        }
        if (now >= killAt) {
            ::kill(-pid, SIGKILL);
            killAt = Clock::time_point::max();
        }
        pollfd p{fds[0], POLLIN, 0};
        const int wait = open ? 200 : 50;
        if (open && ::poll(&p, 1, wait) > 0) {
            char buffer[4096];
            const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
            if (got > 0)
                result.output.append(buffer, static_cast<std::size_t>(got));
            else if (got == 0 || (errno != EINTR && errno != EAGAIN))
                open = false;
        } else if (!open) {
            ::usleep(50 * 1000);
        }
    }
    ::close(fds[0]);
    if (WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);
    return result;
}

} // namespace vz::lotw
