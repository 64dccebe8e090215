// SPDX-License-Identifier: GPL-3.0-or-later
// When two contacts are one: the rule that keeps an imported contact out of a log that holds it
// already, and that matches a contact reported by another program or a confirmation to the log.
// Two contacts are one when callsign (with its designators), date and time to the minute, band
// and mode all agree. A band that cannot be told on either side agrees with any band, and so
// does an unknown mode; modes compare as ADIF modes (USB, LSB and J3E are SSB), their submodes
// only when both sides name one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vz::log {
struct QsoRecord;
}

namespace vz::adif {

// The views of an identity are of texts that live as long as the program.
struct ContactIdentity
{
    std::string call;         // upper case, with designators as ADIF writes them
    std::int64_t minute = 0;  // date and time in minutes (one clock for both sides: UTC)
    std::string_view band;    // ADIF band, lower case; empty when it cannot be told
    std::string_view mode;    // ADIF mode; empty when unknown
    std::string_view submode; // ADIF submode; empty when none
};

// `call` with designators ("DL/JA1ABC", "JA1ABC/1/P"); `bandOrFrequency` an ADIF band, a
// frequency in MHz or a band or frequency as an operator types it; `mode` an ADIF mode or
// submode or the log's mode text.
ContactIdentity contactIdentity(std::string_view call, std::int64_t minute,
                                std::string_view bandOrFrequency, std::string_view mode);

// The identity of a log record, its minute in the log's own clock (Japanese time for Japanese
// stations): comparable with other log records, whose clock follows from the same callsign.
// False when its date or time cannot be read.
bool logContactIdentity(const log::QsoRecord &record, ContactIdentity &out);

bool sameContact(const ContactIdentity &a, const ContactIdentity &b);
// The same rule without the time: the same station (with designators) on the same band and mode.
bool sameStationBandMode(const ContactIdentity &a, const ContactIdentity &b);
// The same band (either unknown agrees), ignoring the mode.
bool sameBand(const ContactIdentity &a, const ContactIdentity &b);

// Equal for any two contacts sameContact holds one: for tables of contacts.
std::size_t contactHash(const ContactIdentity &contact);

} // namespace vz::adif
