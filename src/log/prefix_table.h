// SPDX-License-Identifier: GPL-3.0-or-later
// The special-prefix table (PreFix.CFG): callsigns whose first three characters do not tell
// their call area. Per line: columns 1-3 the prefix (compared exactly, case-sensitive), column
// 4 a separator, columns 5-6 the area 0..10; the first line for a prefix wins. The file is the
// installation's data and is edited by the user, so it is read once and read again whenever
// its modification time or size changes, never once per callsign. A table given a path holds
// that file's lines from then on: there is no table that has a path and was never read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vz::log {

class PrefixTable
{
public:
    // A table without a file: nothing is listed.
    PrefixTable() = default;
    // Reads the file at `path`; a missing file is an empty table.
    explicit PrefixTable(std::string path);

    // Reads the file at `path` in place of the table held so far.
    void setPath(std::string path);
    const std::string &path() const { return m_path; }

    // Reloads the table when the file changed since the last look; a missing file is empty.
    void refreshIfChanged();
    // True when the file exists but could not be read at the last look (the table is empty).
    bool unreadable() const { return m_unreadable; }
    // Builds the table from file content directly (tests, the prefix editor's preview).
    void loadFromBytes(std::string_view bytes);

    // The area of the first line whose prefix equals the first three characters of `callsign`
    // (fewer when it is shorter).
    std::optional<int> lookup(std::string_view callsign) const;

    // Parses one line; nullopt when its columns 5-6 are not a decimal 0..10 (such a line is
    // skipped rather than putting a callsign outside the eleven areas).
    static std::optional<std::pair<std::string, int>> parseLine(std::string_view line);

private:
    static std::uint32_t key(std::string_view prefix);
    static std::size_t pairOf(std::string_view prefix);

    std::string m_path;
    std::unordered_map<std::uint32_t, int> m_areas;
    // The first two characters of every listed prefix: most callsigns are ruled out by one
    // bit test, which keeps counting a large log close to the speed of reading it.
    std::vector<bool> m_pairs = std::vector<bool>(65536);
    std::int64_t m_mtimeNs = -1;
    std::int64_t m_size = -1;
    bool m_unreadable = false;
};

} // namespace vz::log
