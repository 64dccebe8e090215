// SPDX-License-Identifier: GPL-3.0-or-later
// What a contact from WSJT-X comes with that the log's record has no room for: the grid
// squares, the contest exchanges, the propagation mode and the operator. They are kept beside
// the log in "<CALLSIGN>.fields.adi", an ADI file of one record per contact named by CALL,
// QSO_DATE and TIME_ON in UTC, BAND and MODE/SUBMODE (so that a reorganized log still finds
// them), and an ADIF export writes them back into the contact they belong to.
#pragma once

#include "adif/contact_match.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vz::adif {

// The fields kept, as ADIF names them.
inline constexpr std::string_view kKeptFieldNames[] = {
    "GRIDSQUARE", "MY_GRIDSQUARE", "STX_STRING", "SRX_STRING", "PROP_MODE", "OPERATOR",
};

std::string keptFieldsPath(const std::string &logPath, const std::string &userCallsign);

// Appends `text` (whole ADI records) to the ADI file at `path` under its lock, starting the
// file with `header` (ending in <EOH>) when it is new. False when it cannot be written.
bool appendAdiUnderLock(const std::string &path, std::string_view header, std::string_view text);

// Keeps the fields of the one ADIF record `adif` (UTF-8) that the log has no room for; true
// when there were none or they were written.
bool keepFields(const std::string &path, std::string_view adif);

using KeptList = std::vector<std::pair<std::string, std::string>>; // ADIF name, value

class KeptFields
{
public:
    // Reads the file; a missing or unreadable file keeps nothing.
    void load(const std::string &path);
    bool empty() const { return m_byContact.empty(); }
    // The fields kept for the contact (the same one by sameContact); nullptr when none.
    const KeptList *find(const ContactIdentity &contact) const;

private:
    struct Hash
    {
        std::size_t operator()(const ContactIdentity &c) const { return contactHash(c); }
    };
    struct Same
    {
        bool operator()(const ContactIdentity &a, const ContactIdentity &b) const
        {
            return sameContact(a, b);
        }
    };
    std::unordered_multimap<ContactIdentity, KeptList, Hash, Same> m_byContact;
};

// The identity of an ADIF record's contact: CALL, QSO_DATE and TIME_ON, BAND (else FREQ),
// MODE and SUBMODE. False when its date or time cannot be read.
class AdifRecord;
bool adifContactIdentity(const AdifRecord &record, ContactIdentity &out);

} // namespace vz::adif
