// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/prefix_list.h"

#include "common/file_io.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vz::places {

std::vector<std::string> PrefixList::parse(std::string_view bytes)
{
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const auto nl = bytes.find('\n');
        std::string_view line = bytes.substr(0, nl);
        bytes.remove_prefix(nl == std::string_view::npos ? bytes.size() : nl + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
    }
    return lines;
}

std::string PrefixList::serialize(const std::vector<std::string> &lines)
{
    std::string out;
    for (const std::string &line : lines)
        out += line + "\r\n";
    return out;
}

bool PrefixList::load(const std::string &path)
{
    const auto bytes = files::readAll(path);
    if (!bytes)
        return false;
    m_lines = parse(*bytes);
    return true;
}

bool PrefixList::save(const std::string &path, FileWriteIo &io) const
{
    const std::array<std::pair<std::string, std::string>, 1> file{{{path, serialize(m_lines)}}};
    return replaceFiles(file, io);
}

bool PrefixList::pickedIsValid() const
{
    return m_picked >= 0 && m_picked < static_cast<int>(m_lines.size());
}

PrefixList::AddResult PrefixList::add(std::string_view line)
{
    if (line.empty())
        return AddResult::Empty;
    if (std::find(m_lines.begin(), m_lines.end(), line) != m_lines.end())
        return AddResult::Exists;
    m_lines.emplace_back(line);
    return AddResult::Added;
}

bool PrefixList::replacePicked(std::string_view line)
{
    if (!pickedIsValid())
        return false;
    m_lines[static_cast<std::size_t>(m_picked)] = std::string(line);
    return true;
}

bool PrefixList::removePicked()
{
    if (!pickedIsValid())
        return false;
    m_lines.erase(m_lines.begin() + m_picked);
    return true;
}

} // namespace vz::places
