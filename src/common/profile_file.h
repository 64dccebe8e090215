// SPDX-License-Identifier: GPL-3.0-or-later
// Private-profile (INI) files over Shift_JIS bytes, with the conventions such files have
// always had: section and key names compared without regard to ASCII letter case, values
// trimmed of surrounding blanks, lines the program does not know kept as they are on
// rewrite, and the file created on first write.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vz {

class ProfileFile
{
public:
    // Missing file: an empty profile. Unreadable file: nullopt.
    static std::optional<ProfileFile> load(const std::string &path);
    static ProfileFile parse(std::string_view bytes);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string text(std::string_view section, std::string_view key,
                     std::string_view fallback) const;
    // Decimal integer; the fallback when the key is missing or its value is not a number.
    int integer(std::string_view section, std::string_view key, int fallback) const;
    bool boolean(std::string_view section, std::string_view key, bool fallback) const;

    // Replaces the key's value in place, or adds the key at the end of its section, or adds
    // the section at the end of the file.
    void set(std::string_view section, std::string_view key, std::string_view value);
    void setInteger(std::string_view section, std::string_view key, long long value);
    void setBoolean(std::string_view section, std::string_view key, bool value);

    std::string serialize() const;
    // Whole-file replacement through a temporary file; false when it could not be written.
    bool save(const std::string &path) const;

private:
    struct Line
    {
        std::string raw;     // the line without its line end
        std::string section; // for section headers: the name
        std::string key;     // for key lines: the trimmed key
        bool isSection = false;
        bool isKey = false;
    };
    // Index of the section header, or nullopt.
    std::optional<std::size_t> findSection(std::string_view section) const;
    std::optional<std::size_t> findKey(std::size_t sectionLine, std::string_view key) const;
    std::size_t sectionEnd(std::size_t sectionLine) const;
    static Line makeLine(std::string raw);

    std::vector<Line> m_lines;
};

// Shift_JIS-aware comparison that folds ASCII letters only (trail bytes are never folded).
bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b);

} // namespace vz
