// SPDX-License-Identifier: GPL-3.0-or-later
// The contacts a user has sent to LoTW, kept in a file beside the log. A contact is named by
// what LoTW itself matches on (callsign, UTC date and time, band and mode), never by its record
// number, so a reorganized log keeps its list right.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vz::lotw {

struct SentKey
{
    std::string callsign; // as written to ADIF, with its designators ("JA1ABC/1")
    std::string date;     // YYYYMMDD, UTC
    std::string time;     // HHMM, UTC
    std::string band;     // ADIF band ("20m")
    std::string mode;     // ADIF mode, "MODE/SUBMODE" when there is a submode

    // One line of the file: the five texts tab-separated.
    std::string line() const;
    bool operator==(const SentKey &) const = default;
};

// The file of a user: "<CALLSIGN>_LoTW.txt" in the data folder, beside "<CALLSIGN>.DAT".
std::string sentListPath(const std::string &logPath);

class SentList
{
public:
    enum class Load { Ok, Missing, Unreadable };
    // Reads the file; a missing file is an empty list.
    Load load(const std::string &path);
    bool contains(const SentKey &key) const { return m_lines.contains(key.line()); }
    std::size_t size() const { return m_lines.size(); }

private:
    std::unordered_set<std::string> m_lines;
};

enum class AddResult { Ok, Busy, Failed };
// Adds `keys` to the file under its lock, merged with what another program wrote meanwhile,
// and replaces it atomically; the old file stays whole when that fails.
AddResult addSent(const std::string &path, const std::vector<SentKey> &keys);

} // namespace vz::lotw
