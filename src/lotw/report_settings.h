// SPDX-License-Identifier: GPL-3.0-or-later
// The settings of the download of confirmations from LoTW, in the [LoTW] section of the user's
// settings file beside the upload's: the LoTW user name, the address of the report service and
// the date the next download starts from. The password is never kept here.
#pragma once

#include <string>

namespace vz::lotw {

struct ReportSettings
{
    std::string user;    // LoTW's login, often but not always the callsign
    std::string address; // the report service; LoTW's own unless changed
    std::string since;   // "YYYY-MM-DD[ HH:MM:SS]" of the last confirmation fetched; empty: none
};

// Defaults when the file or the keys are missing or the file cannot be read.
ReportSettings readReportSettings(const std::string &settingsPath);
// Writes the user name and the address, each only when it differs from the file (the address
// also only when it differs from LoTW's or the file holds it already). False when the file
// could not be read or written; true without writing when nothing changed.
bool writeReportAccount(const std::string &settingsPath, const std::string &user,
                        const std::string &address);
// Writes the date the next download starts from (only when it changed).
bool writeReportSince(const std::string &settingsPath, const std::string &since);

} // namespace vz::lotw
