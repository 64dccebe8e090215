// SPDX-License-Identifier: GPL-3.0-or-later
// Station history: has the station been worked before, how often, when last and where. Only the
// records the area index lists under the callsign's call area are compared.
//
// Leaving the callsign field runs a lookup, and the busiest area of a large log lists a third of
// its records, far too many to read from the file each time. So the callsigns of a log are kept
// in memory (CallsignCache, 7 bytes a record): a lookup compares them there and reads only the
// last matching record from the file. Before every use the copy is checked against the file's
// identity, size and modification time and read again when anything else changed the file; the
// edit dialog's own appends are taken over without reading it again.
#pragma once

#include "log/log_file.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vz::log {

class AreaIndex;

// The longest history line, in bytes.
constexpr std::size_t kHistoryLineBytes = 127;

class CallsignCache
{
public:
    explicit CallsignCache(std::string logPath) : m_path(std::move(logPath)) {}

    const std::string &path() const { return m_path; }
    // Brings the copy in line with the file: nothing to do when the file is as it was, else
    // one sequential read of it. Missing when there is no file.
    IoResult refresh();
    // A record this program has just written at 0-based `index` (an append or a rewrite). The
    // copy takes it over when the file is otherwise as the copy knew it; else the next refresh
    // reads the file again.
    void noteWritten(std::int32_t index, const QsoRecord &record);
    void invalidate() { m_valid = false; }

    std::int32_t size() const { return static_cast<std::int32_t>(m_calls.size()); }
    // The callsign of record `index` equals `key` (whole text, case-sensitive).
    bool matches(std::int32_t index, std::string_view key) const;

private:
    struct Stamp
    {
        std::uint64_t device = 0, inode = 0, size = 0;
        std::int64_t mtimeNs = 0, ctimeNs = 0;
        bool operator==(const Stamp &) const = default;
    };
    static bool stampOf(int fd, Stamp &stamp);

    std::string m_path;
    std::vector<std::array<char, 7>> m_calls;
    Stamp m_stamp;
    bool m_valid = false;
};

struct HistoryResult
{
    IoResult result = IoResult::Missing; // Missing: no log file, nothing to show
    int hits = 0;                        // every live record whose callsign equals the key
    // The line for the last contact (Shift_JIS, at most 127 bytes), or "初めての局です。" when
    // there is none.
    std::string line;
    // The last contact's record, for the name and places the entry takes over.
    QsoRecord last;
};

// Looks for `key` (the whole callsign text, case-sensitive) among the records `index` lists
// under `area`, in file order; deleted records never match, records past the end of the file
// are skipped.
HistoryResult lookupHistory(CallsignCache &calls, const AreaIndex &index, int area,
                            std::string_view key);
// The same for a one-off lookup (reads the callsigns of the whole file).
HistoryResult lookupHistory(const std::string &logPath, const AreaIndex &index, int area,
                            std::string_view key);

// The history line of a contact seen `hits` times, `last` the latest: the portable form when
// the contact had no fixed JCC ("-" in its first byte), else the fixed form.
std::string historyLine(const QsoRecord &last, int hits);

// "初めての局です。" in Shift_JIS.
std::string firstContactLine();

} // namespace vz::log
