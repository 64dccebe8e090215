// SPDX-License-Identifier: GPL-3.0-or-later
// A plain UDP socket for the tests: a free port, sending datagrams to a local port.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace vz::test {

// A UDP port nobody holds at the moment.
inline int freeUdpPort()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &size);
    ::close(fd);
    return ntohs(a.sin_port);
}

class UdpSender
{
public:
    UdpSender() : m_fd(::socket(AF_INET, SOCK_DGRAM, 0)) {}
    ~UdpSender() { ::close(m_fd); }
    UdpSender(const UdpSender &) = delete;
    UdpSender &operator=(const UdpSender &) = delete;

    bool send(int port, const std::string &datagram, const char *address = "127.0.0.1") const
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        ::inet_pton(AF_INET, address, &a.sin_addr);
        return ::sendto(m_fd, datagram.data(), datagram.size(), 0,
                        reinterpret_cast<const sockaddr *>(&a),
                        sizeof a) == static_cast<ssize_t>(datagram.size());
    }
    int fd() const { return m_fd; }

private:
    int m_fd;
};

} // namespace vz::test
