// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog listen: registers the contacts WSJT-X or JTDX log, heard over UDP, in the user's
// log with the same rules as the window's listener, until interrupted or for SECONDS; one
// line per contact. The socket is a plain POSIX one: vezolog links no Qt network code.
#include "cli/commands.h"

#include "app/user_settings.h"
#include "common/callsign.h"
#include "common/data_dir.h"
#include "common/version.h"
#include "common/whole_number.h"
#include "log/prefix_table.h"
#include "wsjtx/contact_registration.h"
#include "wsjtx/listener_core.h"
#include "wsjtx/listener_settings.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <net/if.h>
#include <netinet/in.h>
#include <optional>
#include <ostream>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vz::cli {

namespace {

constexpr const char *kUsage =
    "usage: vezolog listen DATADIR CALLSIGN [--port P] [--group G [--interface I]] [--for "
    "SECONDS]\n"
    "       listens on 127.0.0.1:P (default 2237), or joins multicast group G on interface I\n";

volatile std::sig_atomic_t g_stop = 0;

void requestStop(int)
{
    g_stop = 1;
}

struct Options
{
    int port = wsjtx::kDefaultPort;
    std::string group;
    std::string interfaceName;
    std::optional<int> seconds;
};

std::optional<int> parseNumber(const std::string &text, int low, int high)
{
    const auto value = parseWholeNumber(text, low, high);
    return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
}

bool parseOptions(const Args &args, Options &o)
{
    for (std::size_t i = 2; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return false;
        const std::string &name = args[i];
        const std::string &value = args[i + 1];
        if (name == "--port") {
            const auto p = parseNumber(value, 1, 65535);
            if (!p)
                return false;
            o.port = *p;
        } else if (name == "--group" && wsjtx::isMulticastGroup(value)) {
            o.group = value;
        } else if (name == "--interface" && !value.empty()) {
            o.interfaceName = value;
        } else if (name == "--for") {
            o.seconds = parseNumber(value, 1, 1'000'000'000);
            if (!o.seconds)
                return false;
        } else {
            return false;
        }
    }
    return o.interfaceName.empty() || !o.group.empty();
}

// The socket, bound for this program alone on a unicast port, shared on a multicast group.
int openSocket(const Options &o, std::ostream &err)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        err << "vezolog: no UDP socket: " << std::strerror(errno) << "\n";
        return -1;
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(o.port));
    a.sin_addr.s_addr = htonl(o.group.empty() ? INADDR_LOOPBACK : INADDR_ANY);
    if (!o.group.empty()) {
        const int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    }
    if (::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        err << "vezolog: cannot listen on UDP port " << o.port << ": " << std::strerror(errno)
            << "\n";
        ::close(fd);
        return -1;
    }
    if (!o.group.empty()) {
        ip_mreqn join{};
        ::inet_pton(AF_INET, o.group.c_str(), &join.imr_multiaddr);
        join.imr_ifindex = o.interfaceName.empty()
                               ? 0
                               : static_cast<int>(::if_nametoindex(o.interfaceName.c_str()));
        if ((!o.interfaceName.empty() && join.imr_ifindex == 0) ||
            ::setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof join) != 0) {
            err << "vezolog: cannot join " << o.group << ": " << std::strerror(errno) << "\n";
            ::close(fd);
            return -1;
        }
    }
    return fd;
}

std::int64_t nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

const char *listenUsage()
{
    return kUsage;
}

int runListen(const Args &args, std::ostream &out, std::ostream &err)
{
    Options o;
    if (args.size() < 2 || !parseOptions(args, o)) {
        err << kUsage;
        return 2;
    }
    app::AppState user;
    if (const int status = enterCommand(needsOf("listen"), args[0], args[1], user, err))
        return status;
    if (!readPrefixTable(user, err))
        return 1;
    log::PrefixTable &table = user.prefixTable;
    const wsjtx::ListenerSettings settings = wsjtx::readListenerSettings(user.settingsPath);
    adif::ImportOptions importOptions;
    importOptions.confirmationMark = user.settings.confirmationMark;
    importOptions.lotwMark = user.settings.lotwMark;
    importOptions.eqslMark = user.settings.eqslMark;

    const int fd = openSocket(o, err);
    if (fd < 0)
        return 1;
    g_stop = 0;
    struct sigaction action
    {
    };
    action.sa_handler = requestStop;
    struct sigaction oldInt
    {
    }, oldTerm{};
    ::sigaction(SIGINT, &action, &oldInt);
    ::sigaction(SIGTERM, &action, &oldTerm);

    wsjtx::ListenerCore core(programVersion());
    int status = 0;
    const std::string unlogged = wsjtx::unloggedPath(user.logPath, args[1]);
    auto registerAll = [&](std::vector<wsjtx::ReadyContact> ready) {
        for (wsjtx::ReadyContact &c : ready) {
            if (settings.qslCard)
                if (const auto eor = c.adif.rfind("<EOR>"); eor != std::string::npos)
                    c.adif.insert(eor, "<QSL_SENT:1>R ");
            table.refreshIfChanged();
            const auto result = wsjtx::registerContact(c, user.logPath, table, importOptions);
            const std::string line = wsjtx::registrationLine(c, result);
            if (result.outcome == wsjtx::Registration::Registered ||
                result.outcome == wsjtx::Registration::Duplicate) {
                out << line << std::endl;
                continue;
            }
            err << "vezolog: " << line << "\n";
            if (result.outcome == wsjtx::Registration::WriteFailed)
                status = 1; // the log could not be written
            if (wsjtx::keepUnlogged(unlogged, c)) {
                err << "vezolog: kept in " << unlogged << "\n";
            } else {
                err << "vezolog: cannot write " << unlogged << "\n";
                status = 1;
            }
        }
    };
    const std::int64_t end = o.seconds ? nowMs() + std::int64_t{*o.seconds} * 1000 : INT64_MAX;
    std::string buffer(wsjtx::kMaxDatagramBytes + 1, '\0');
    while (!g_stop) {
        const std::int64_t now = nowMs();
        if (now >= end)
            break;
        std::int64_t wait = end - now;
        if (const auto due = core.nextDue())
            wait = std::min(wait, std::max<std::int64_t>(0, *due - now));
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::min<std::int64_t>(wait, 1000)));
        if (ready > 0) {
            sockaddr_in from{};
            socklen_t size = sizeof from;
            const ssize_t n = ::recvfrom(fd, buffer.data(), buffer.size(), 0,
                                         reinterpret_cast<sockaddr *>(&from), &size);
            if (n >= 0) {
                auto outcome = core.datagram(
                    std::string_view(buffer.data(), static_cast<std::size_t>(n)), nowMs());
                if (outcome.reply)
                    ::sendto(fd, outcome.reply->data(), outcome.reply->size(), 0,
                             reinterpret_cast<sockaddr *>(&from), size);
                registerAll(std::move(outcome.ready));
            }
        }
        registerAll(core.expire(nowMs()));
    }
    registerAll(core.flush());
    ::close(fd);
    ::sigaction(SIGINT, &oldInt, nullptr);
    ::sigaction(SIGTERM, &oldTerm, nullptr);
    return status;
}

} // namespace vz::cli
