// SPDX-License-Identifier: GPL-3.0-or-later
// A contact heard from WSJT-X goes into the log the way an imported ADIF contact does: the
// same field mapping (call area, JST or UTC by area, mode and submode) and the same duplicate
// rule. One that cannot be registered is kept in a file beside the log, so nothing is lost.
#pragma once

#include "adif/adif_import.h"
#include "wsjtx/logged_contact.h"

#include <cstdint>
#include <string>

namespace vz::wsjtx {

enum class Registration {
    Registered,
    Duplicate,   // the log holds it already
    Refused,     // the mapping refused it (callsign too long, no date)
    WriteFailed, // the log could not be read or written
};

struct RegistrationResult
{
    Registration outcome = Registration::WriteFailed;
    std::int32_t recordNo = 0; // the number it got
    int area = 0;              // its area index list
    std::string reason;        // UTF-8: why refused, or what was cut
};

// Appends `contact` at the log's real end.
RegistrationResult registerContact(const ReadyContact &contact, const std::string &logPath,
                                   const log::PrefixTable &table,
                                   const adif::ImportOptions &options);

// The file beside the log that keeps contacts which could not be registered.
std::string unloggedPath(const std::string &logPath, const std::string &userCallsign);
// Appends the contact's ADIF record to it (with a header when the file is new).
bool keepUnlogged(const std::string &path, const ReadyContact &contact);

// One line for the operator: what happened to the contact (UTF-8).
std::string registrationLine(const ReadyContact &contact, const RegistrationResult &result);

} // namespace vz::wsjtx
