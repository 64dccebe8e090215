// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/profile_file.h"

#include "common/file_io.h"
#include "common/sjis.h"
#include "common/whole_number.h"

#include <cerrno>
#include <limits>

#include <sys/stat.h>

namespace vz {

namespace {

char foldAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string_view trimSpaces(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace

bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (sjis::isLeadByte(static_cast<unsigned char>(a[i]))) {
            if (a[i] != b[i] || i + 1 >= a.size() || a[i + 1] != b[i + 1])
                return false;
            ++i;
            continue;
        }
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    }
    return true;
}

ProfileFile::Line ProfileFile::makeLine(std::string raw)
{
    Line line;
    line.raw = std::move(raw);
    const std::string_view t = trimSpaces(line.raw);
    if (t.size() >= 2 && t.front() == '[') {
        const auto close = t.find(']');
        if (close != std::string_view::npos) {
            line.isSection = true;
            line.section = std::string(trimSpaces(t.substr(1, close - 1)));
            return line;
        }
    }
    if (!t.empty() && t.front() != ';') {
        const auto eq = t.find('=');
        if (eq != std::string_view::npos && eq > 0) {
            line.isKey = true;
            line.key = std::string(trimSpaces(t.substr(0, eq)));
        }
    }
    return line;
}

ProfileFile ProfileFile::parse(std::string_view bytes)
{
    ProfileFile profile;
    while (!bytes.empty()) {
        const auto nl = bytes.find('\n');
        std::string_view raw = bytes.substr(0, nl);
        bytes.remove_prefix(nl == std::string_view::npos ? bytes.size() : nl + 1);
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        profile.m_lines.push_back(makeLine(std::string(raw)));
    }
    return profile;
}

std::optional<ProfileFile> ProfileFile::load(const std::string &path)
{
    // Only a file that is not there at all is an empty profile; a folder or a device of that
    // name cannot be read, and must not be replaced by a file that lost its lines.
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? std::optional<ProfileFile>(ProfileFile{}) : std::nullopt;
    if (!S_ISREG(st.st_mode))
        return std::nullopt;
    const auto bytes = files::readAll(path);
    if (!bytes)
        return std::nullopt;
    return parse(*bytes);
}

std::optional<std::size_t> ProfileFile::findSection(std::string_view section) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].isSection && equalsIgnoreAsciiCase(m_lines[i].section, section))
            return i;
    return std::nullopt;
}

std::size_t ProfileFile::sectionEnd(std::size_t sectionLine) const
{
    std::size_t i = sectionLine + 1;
    while (i < m_lines.size() && !m_lines[i].isSection)
        ++i;
    return i;
}

std::optional<std::size_t> ProfileFile::findKey(std::size_t sectionLine, std::string_view key) const
{
    const std::size_t end = sectionEnd(sectionLine);
    for (std::size_t i = sectionLine + 1; i < end; ++i)
        if (m_lines[i].isKey && equalsIgnoreAsciiCase(m_lines[i].key, key))
            return i;
    return std::nullopt;
}

std::optional<std::string> ProfileFile::value(std::string_view section, std::string_view key) const
{
    const auto s = findSection(section);
    if (!s)
        return std::nullopt;
    const auto k = findKey(*s, key);
    if (!k)
        return std::nullopt;
    const std::string &raw = m_lines[*k].raw;
    std::string_view v = trimSpaces(std::string_view(raw).substr(raw.find('=') + 1));
    // A value written in double quotes is read without them.
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

std::string ProfileFile::text(std::string_view section, std::string_view key,
                              std::string_view fallback) const
{
    if (auto v = value(section, key))
        return *v;
    return std::string(trimSpaces(fallback));
}

int ProfileFile::integer(std::string_view section, std::string_view key, int fallback) const
{
    const auto v = value(section, key);
    if (!v || v->empty())
        return fallback;
    std::string_view text = *v;
    if (text.front() == '+')
        text.remove_prefix(1);
    const auto result =
        parseWholeNumber(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    return result ? static_cast<int>(*result) : fallback;
}

bool ProfileFile::boolean(std::string_view section, std::string_view key, bool fallback) const
{
    return integer(section, key, fallback ? 1 : 0) != 0;
}

namespace {

// Built by appending into one string: GCC 12 at -O3 reports a false overlap (-Wrestrict) for
// operator+ with a literal in front.
std::string joined(std::string_view a, char between, std::string_view b, std::string_view tail = {})
{
    std::string out;
    out.reserve(a.size() + 1 + b.size() + tail.size());
    out.append(a).append(1, between).append(b).append(tail);
    return out;
}

} // namespace

void ProfileFile::set(std::string_view section, std::string_view key, std::string_view value)
{
    std::string raw = joined(key, '=', trimSpaces(value));
    auto s = findSection(section);
    if (!s) {
        Line header = makeLine(joined({}, '[', section, "]"));
        m_lines.push_back(std::move(header));
        m_lines.push_back(makeLine(std::move(raw)));
        return;
    }
    if (const auto k = findKey(*s, key)) {
        // Keep the key as it is spelled in the file; only the value changes.
        const std::string spelled = m_lines[*k].key;
        m_lines[*k] = makeLine(joined(spelled, '=', trimSpaces(value)));
        return;
    }
    // After the last non-blank line of the section, so blank separators stay between sections.
    std::size_t insertAt = sectionEnd(*s);
    while (insertAt > *s + 1 && trimSpaces(m_lines[insertAt - 1].raw).empty())
        --insertAt;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                   makeLine(std::move(raw)));
}

void ProfileFile::setInteger(std::string_view section, std::string_view key, long long value)
{
    set(section, key, std::to_string(value));
}

void ProfileFile::setBoolean(std::string_view section, std::string_view key, bool value)
{
    set(section, key, value ? "1" : "0");
}

std::string ProfileFile::serialize() const
{
    std::string out;
    for (const Line &line : m_lines) {
        out += line.raw;
        out += "\r\n";
    }
    return out;
}

bool ProfileFile::save(const std::string &path) const
{
    return files::replaceAtomically(path, serialize());
}

} // namespace vz
