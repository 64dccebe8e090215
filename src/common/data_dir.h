// SPDX-License-Identifier: GPL-3.0-or-later
// The data directory: the working directory at start-up + "/Data/". Every name in it is
// looked up without regard to letter case, so files copied from another machine
// (PREFIX.CFG, ja1abc.dat) are found; a new file gets the spelling the program asks for.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vz {

class DataDir
{
public:
    DataDir() = default;
    // `root` ends with a slash.
    explicit DataDir(std::string root);

    // DataDir for a working directory: workingDir + "/Data/".
    static DataDir forWorkingDirectory(std::string_view workingDir);

    const std::string &root() const { return m_root; }

    // The path of `name`: an existing file whose name matches without regard to letter case,
    // else root + name as given.
    std::string path(std::string_view name) const;
    bool exists(std::string_view name) const;

private:
    std::optional<std::string> findExisting(std::string_view name) const;
    std::string m_root;
};

} // namespace vz
