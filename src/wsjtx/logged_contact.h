// SPDX-License-Identifier: GPL-3.0-or-later
// From a logged-contact message to the ADIF text the log imports, and the pairing of the two
// messages WSJT-X sends for one contact: a QSO Logged (5) is held for a while for the Logged
// ADIF (12) of the same client, call and time, which carries more; JTDX and older programs
// send only the 5, which is then taken alone.
#pragma once

#include "wsjtx/messages.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vz::wsjtx {

// One ADIF record (with <EOR>) for a QSO Logged message; times in UTC, the frequency in MHz
// as the contact dialog shows a radio's reading.
std::string adifForQsoLogged(const QsoLogged &m);

// The first record of an ADIF text sent by the client, with its frequency in MHz as above;
// nullopt when the text holds no record.
std::optional<std::string> adifForLoggedAdif(std::string_view adif);

struct ReadyContact
{
    std::string clientId;
    std::string callsign; // as sent, UTF-8
    std::string adif;     // one record, UTF-8
};

class ContactPairing
{
public:
    static constexpr std::int64_t kHoldMs = 2000;

    // A QSO Logged is held; nothing is ready yet.
    void qsoLogged(const QsoLogged &m, std::int64_t nowMs);
    // A Logged ADIF is ready at once and takes the place of a held 5 it matches.
    std::optional<ReadyContact> loggedAdif(const LoggedAdif &m);
    // The held 5s whose time is up.
    std::vector<ReadyContact> expire(std::int64_t nowMs);
    // Everything held, for a listener that stops.
    std::vector<ReadyContact> flush();
    // When the oldest held 5 is due; nullopt when none is held.
    std::optional<std::int64_t> nextDue() const;
    std::size_t held() const { return m_held.size(); }

private:
    struct Held
    {
        ReadyContact contact;
        std::string key; // call and start time, to match the 12
        std::int64_t dueMs = 0;
    };
    std::vector<Held> m_held;
};

} // namespace vz::wsjtx
