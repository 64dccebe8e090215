// SPDX-License-Identifier: GPL-3.0-or-later
#include "lotw/sent_list.h"

#include "common/file_io.h"
#include "common/file_lock.h"

#include <algorithm>

namespace vz::lotw {

namespace {

constexpr std::string_view kHeader =
    "# VEZODovi: contacts sent to LoTW (callsign, UTC date, UTC time, band, mode)\n";
constexpr std::chrono::milliseconds kLockWait{10000};

// The contact lines of a file's text, comments and blank lines left out.
std::vector<std::string> contactLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty() && line.front() != '#')
            lines.emplace_back(line);
        at = end + 1;
    }
    return lines;
}

} // namespace

std::string SentKey::line() const
{
    return callsign + '\t' + date + '\t' + time + '\t' + band + '\t' + mode;
}

std::string sentListPath(const std::string &logPath)
{
    const auto dot = logPath.rfind('.');
    const auto slash = logPath.rfind('/');
    const bool hasSuffix = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasSuffix ? logPath.substr(0, dot) : logPath) + "_LoTW.txt";
}

SentList::Load SentList::load(const std::string &path)
{
    m_lines.clear();
    if (!files::exists(path))
        return Load::Missing;
    const auto text = files::readAll(path);
    if (!text)
        return Load::Unreadable;
    for (std::string &line : contactLines(*text))
        m_lines.insert(std::move(line));
    return Load::Ok;
}

AddResult addSent(const std::string &path, const std::vector<SentKey> &keys)
{
    FileLock lock;
    switch (lock.acquire(path, LockMode::Exclusive, kLockWait, true)) {
    case LockResult::Ok:
        break;
    case LockResult::Busy:
        return AddResult::Busy;
    case LockResult::Failed:
        return AddResult::Failed;
    }
    // Read under the lock: another program may have added its own since this one read.
    const auto before = files::readAll(path);
    if (!before)
        return AddResult::Failed; // never replace a list that could not be read
    std::vector<std::string> lines = contactLines(*before);
    std::unordered_set<std::string> known(lines.begin(), lines.end());
    for (const SentKey &key : keys)
        if (std::string line = key.line(); known.insert(line).second)
            lines.push_back(std::move(line));
    std::string text(kHeader);
    for (const std::string &line : lines)
        text += line + '\n';
    return files::replaceAtomically(path, text) ? AddResult::Ok : AddResult::Failed;
}

} // namespace vz::lotw
