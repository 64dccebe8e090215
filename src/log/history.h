// SPDX-License-Identifier: GPL-3.0-or-later
// Station history: has the station been worked before, how often, when last and where. Only the
// records the area index lists under the callsign's call area are read, so a lookup reads a
// fraction of the log; the file is opened once per lookup.
#pragma once

#include "log/log_file.h"

#include <string>
#include <string_view>

namespace vz::log {

class AreaIndex;

// The longest history line, in bytes.
constexpr std::size_t kHistoryLineBytes = 127;

struct HistoryResult
{
    IoResult result = IoResult::Missing; // Missing: no log file, nothing to show
    int hits = 0;                        // every record whose callsign equals the key
    // The line for the last contact (Shift_JIS, at most 127 bytes), or "初めての局です。" when
    // there is none.
    std::string line;
    // The last contact's record, for the name and places the entry takes over.
    QsoRecord last;
};

// Looks for `key` (the whole callsign text, case-sensitive) among the records `index` lists
// under `area`, in file order. Records past the end of the file are skipped.
HistoryResult lookupHistory(const std::string &logPath, const AreaIndex &index, int area,
                            std::string_view key);

// The history line of a contact seen `hits` times, `last` the latest: the portable form when
// the contact had no fixed JCC ("-" in its first byte), else the fixed form.
std::string historyLine(const QsoRecord &last, int hits);

// "初めての局です。" in Shift_JIS.
std::string firstContactLine();

} // namespace vz::log
