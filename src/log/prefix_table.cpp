// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/prefix_table.h"

#include "common/file_io.h"

#include <sys/stat.h>

namespace vz::log {

PrefixTable::PrefixTable(std::string path) : m_path(std::move(path))
{
    refreshIfChanged();
}

void PrefixTable::setPath(std::string path)
{
    m_path = std::move(path);
    m_mtimeNs = -1;
    m_size = -1;
    refreshIfChanged();
}

std::uint32_t PrefixTable::key(std::string_view prefix)
{
    // Length in the top byte keeps "JA" apart from "JA\0".
    std::uint32_t k = static_cast<std::uint32_t>(prefix.size()) << 24;
    for (std::size_t i = 0; i < prefix.size() && i < 3; ++i)
        k |= static_cast<std::uint32_t>(static_cast<unsigned char>(prefix[i])) << (8 * i);
    return k;
}

std::size_t PrefixTable::pairOf(std::string_view prefix)
{
    const auto first = prefix.empty() ? 0u : static_cast<unsigned char>(prefix[0]);
    const auto second = prefix.size() < 2 ? 0u : static_cast<unsigned char>(prefix[1]);
    return (first << 8) | second;
}

std::optional<std::pair<std::string, int>> PrefixTable::parseLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.size() < 6)
        return std::nullopt;
    const std::string_view digits = line.substr(4, 2);
    int area = 0;
    bool anyDigit = false;
    for (char c : digits) {
        if (c == ' ' && !anyDigit)
            continue;
        if (c < '0' || c > '9')
            return std::nullopt;
        area = area * 10 + (c - '0');
        anyDigit = true;
    }
    if (!anyDigit || area > 10)
        return std::nullopt;
    return std::make_pair(std::string(line.substr(0, 3)), area);
}

void PrefixTable::loadFromBytes(std::string_view bytes)
{
    m_areas.clear();
    m_pairs.assign(m_pairs.size(), false);
    while (!bytes.empty()) {
        const auto nl = bytes.find('\n');
        const std::string_view line = bytes.substr(0, nl);
        bytes.remove_prefix(nl == std::string_view::npos ? bytes.size() : nl + 1);
        if (const auto entry = parseLine(line)) {
            m_areas.emplace(key(entry->first), entry->second); // first line wins
            m_pairs[pairOf(entry->first)] = true;
        }
    }
}

void PrefixTable::refreshIfChanged()
{
    struct stat st
    {
    };
    m_unreadable = false;
    if (m_path.empty() || ::stat(m_path.c_str(), &st) != 0) {
        m_areas.clear();
        m_pairs.assign(m_pairs.size(), false);
        m_mtimeNs = -1;
        m_size = -1;
        return;
    }
    const std::int64_t mtime =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    if (mtime == m_mtimeNs && st.st_size == m_size)
        return;
    const auto bytes = files::readAll(m_path);
    if (!bytes) {
        // Tried again at the next look.
        loadFromBytes({});
        m_unreadable = true;
        m_mtimeNs = -1;
        m_size = -1;
        return;
    }
    loadFromBytes(*bytes);
    m_mtimeNs = mtime;
    m_size = st.st_size;
}

std::optional<int> PrefixTable::lookup(std::string_view callsign) const
{
    if (m_areas.empty() || !m_pairs[pairOf(callsign)])
        return std::nullopt;
    const auto it = m_areas.find(key(callsign.substr(0, 3)));
    if (it == m_areas.end())
        return std::nullopt;
    return it->second;
}

} // namespace vz::log
