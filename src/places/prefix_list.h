// SPDX-License-Identifier: GPL-3.0-or-later
// The special-prefix list as the personal information edits it: the lines of PreFix.CFG,
// changed in memory (add, replace or remove the line last picked) and written back whole.
// The file keeps the line ends it has always had (CR LF after every line).
#pragma once

#include "places/master_file.h"

#include <string>
#include <string_view>
#include <vector>

namespace vz::places {

class PrefixList
{
public:
    enum class AddResult {
        Added,
        Empty,  // nothing to add
        Exists, // the list holds this line already
    };

    // Lines of the file's text; a CR before a line's LF is not part of the line.
    static std::vector<std::string> parse(std::string_view bytes);
    static std::string serialize(const std::vector<std::string> &lines);

    // The lines of the file; false (and the list unchanged) when it cannot be read.
    bool load(const std::string &path);
    // Writes the list as the whole file, through a temporary file; false when it could not be.
    bool save(const std::string &path, FileWriteIo &io = diskWriteIo()) const;

    const std::vector<std::string> &lines() const { return m_lines; }

    // The position the operator picked last (0 before any pick).
    void pick(int position) { m_picked = position; }
    int picked() const { return m_picked; }
    bool pickedIsValid() const;

    AddResult add(std::string_view line);
    // Replace or remove the picked line; false (nothing changed) when the position is not in
    // the list.
    bool replacePicked(std::string_view line);
    bool removePicked();

private:
    std::vector<std::string> m_lines;
    int m_picked = 0;
};

} // namespace vz::places
