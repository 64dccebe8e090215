// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh data directory per test, removed afterwards.
#pragma once

#include <string>
#include <string_view>

namespace vz::test {

class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    // The working directory; its data directory is path() + "/Data/".
    const std::string &path() const { return m_path; }
    std::string dataDir() const { return m_path + "/Data/"; }
    std::string file(std::string_view name) const { return dataDir() + std::string(name); }

    void write(std::string_view name, std::string_view bytes) const;
    std::string read(std::string_view name) const;
    // Copies the shipped PreFix.CFG into the data directory.
    void installPrefixTable() const;

private:
    std::string m_path;
};

// UTF-8 literal to Shift_JIS bytes.
std::string sj(std::string_view utf8);

} // namespace vz::test
