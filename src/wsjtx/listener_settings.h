// SPDX-License-Identifier: GPL-3.0-or-later
// The WSJT-X link of a user: a section of its own in the user's settings file, written only
// when the operator changes it, so the files of operators who never set it stay as they are.
#pragma once

#include <string>
#include <vector>

namespace vz::wsjtx {

inline constexpr const char *kDefaultAddress = "127.0.0.1";
inline constexpr int kDefaultPort = 2237;

struct ListenerSettings
{
    bool enabled = false;
    std::string address = kDefaultAddress; // unicast address to bind, or a multicast group
    int port = kDefaultPort;
    std::string interfaceName;          // the interface a multicast group is joined on
    bool qslCard = false;               // logged contacts get the QSL-card box
    std::vector<std::string> forwardTo; // "host:port" each datagram is sent on to

    bool operator==(const ListenerSettings &) const = default;
};

// Defaults when the file or the section is missing, or the file cannot be read.
ListenerSettings readListenerSettings(const std::string &settingsPath);
// Sets the keys of the section and nothing else; false when the file could not be written.
bool writeListenerSettings(const std::string &settingsPath, const ListenerSettings &settings);

// True for an IPv4 multicast group (224.0.0.0/4).
bool isMulticastGroup(const std::string &address);
// "host:port" split; nullopt-like empty host when it is not one.
struct Endpoint
{
    std::string host;
    int port = 0;
};
bool parseEndpoint(const std::string &text, Endpoint &out);

} // namespace vz::wsjtx
