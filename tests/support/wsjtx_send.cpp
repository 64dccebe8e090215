// SPDX-License-Identifier: GPL-3.0-or-later
// Sends WSJT-X's datagrams to a port on this machine, as WSJT-X would: for runs that drive the
// real program from outside.
//   wsjtx_send PORT status CALL HZ MODE
//   wsjtx_send PORT logged CALL HZ MODE HHMM      (2026-05-03, UTC; a QSO Logged message)
#include "wsjtx/datagrams.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    const std::string kind = argc > 2 ? argv[2] : "";
    if (!((kind == "status" && argc == 6) || (kind == "logged" && argc == 7))) {
        std::fputs("usage: wsjtx_send PORT status CALL HZ MODE\n"
                   "       wsjtx_send PORT logged CALL HZ MODE HHMM\n",
                   stderr);
        return 2;
    }
    const std::uint64_t hz = std::strtoull(argv[4], nullptr, 10);
    std::string datagram;
    if (kind == "status") {
        datagram = vz::test::statusDatagram(argv[3], hz, argv[5]);
    } else {
        const int hhmm = std::atoi(argv[6]);
        datagram = vz::test::qsoLoggedDatagram(argv[3], hz, argv[5],
                                               vz::test::utcTime(hhmm / 100, hhmm % 100, 0));
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(std::atoi(argv[1])));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool sent = fd >= 0 && ::sendto(fd, datagram.data(), datagram.size(), 0,
                                          reinterpret_cast<const sockaddr *>(&to),
                                          sizeof to) == static_cast<ssize_t>(datagram.size());
    if (fd >= 0)
        ::close(fd);
    if (!sent) {
        std::perror("wsjtx_send");
        return 1;
    }
    return 0;
}
