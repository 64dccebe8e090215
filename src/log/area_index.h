// SPDX-License-Identifier: GPL-3.0-or-later
// Per loaded log: the live records of each call area as 0-based record indexes in file order.
// The history lookup and the area searches read only the records listed for one area, which
// is what keeps them fast on logs of decades.
#pragma once

#include "log/call_area.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vz {
class ProgressSink;
}

namespace vz::log {

class PrefixTable;

// Room kept in each list for contacts registered while the program runs.
constexpr std::size_t kSpareSlots = 200;

class AreaIndex
{
public:
    // Live records of an area; AreaCounts of the loaded log.
    std::int32_t count(int area) const { return static_cast<std::int32_t>(m_lists[area].size()); }
    const std::vector<std::int32_t> &list(int area) const { return m_lists[area]; }
    std::int64_t total() const;

    // A contact registered while the program runs joins the end of its area's list; lists grow
    // past their 200 spare slots as needed.
    void append(int area, std::int32_t recordIndex);
    void clear();
    // Keeps room for `kSpareSlots` more entries per area, as a freshly loaded log has.
    void reserveSpareSlots();
    bool built() const { return m_built; }
    void markBuilt() { m_built = true; }

private:
    std::array<std::vector<std::int32_t>, kAreaCount> m_lists;
    bool m_built = false;
};

enum class IndexResult {
    Ok,
    NoMemory,
    ReadFailed,
};

// Counts and indexes the live records of a log (a missing file gives empty lists). Deleted
// records ("-" in the callsign) are skipped; a partial tail is not a record.
IndexResult buildAreaIndex(const std::string &logPath, PrefixTable &table, ProgressSink &progress,
                           AreaIndex &index);

// Files records `from` to `to` - 1 (0-based) at the end of the lists: the records another
// program appended since the index was built, in file order. On failure the lists may hold
// part of them; the caller builds the index again.
IndexResult extendAreaIndex(const std::string &logPath, PrefixTable &table, std::int32_t from,
                            std::int32_t to, AreaIndex &index);

} // namespace vz::log
