// SPDX-License-Identifier: GPL-3.0-or-later
// What a listener does with each datagram, apart from the socket: decoding, the heartbeat
// answer, the pairing of logged contacts and a short log of what was dropped or done. The
// window and the command line each put their own socket around it.
#pragma once

#include "wsjtx/logged_contact.h"
#include "wsjtx/messages.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace vz::wsjtx {

class ListenerCore
{
public:
    static constexpr std::size_t kLogLines = 100;

    struct Outcome
    {
        std::optional<std::string> reply; // to send back to the sender (a heartbeat)
        std::optional<Status> status;     // a contact in progress
        std::vector<ReadyContact> ready;  // contacts to register now
    };

    explicit ListenerCore(std::string version) : m_version(std::move(version)) {}

    Outcome datagram(std::string_view bytes, std::int64_t nowMs);
    std::vector<ReadyContact> expire(std::int64_t nowMs) { return m_pairing.expire(nowMs); }
    std::vector<ReadyContact> flush() { return m_pairing.flush(); }
    std::optional<std::int64_t> nextDue() const { return m_pairing.nextDue(); }

    // One line of the listener's log (UTF-8); the oldest go past the last hundred.
    void note(std::string line);
    const std::deque<std::string> &log() const { return m_log; }
    std::uint64_t dropped() const { return m_dropped; }
    std::uint64_t noted() const { return m_noted; } // lines noted since the start

private:
    std::string m_version;
    ContactPairing m_pairing;
    std::deque<std::string> m_log;
    std::uint64_t m_dropped = 0;
    std::uint64_t m_noted = 0;
};

} // namespace vz::wsjtx
