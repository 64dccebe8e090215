// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/data_dir.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace vz {

DataDir::DataDir(std::string root) : m_root(std::move(root))
{
    if (!m_root.empty() && m_root.back() != '/')
        m_root += '/';
}

DataDir DataDir::forWorkingDirectory(std::string_view workingDir)
{
    std::string root(workingDir);
    if (!root.empty() && root.back() == '/')
        root.pop_back();
    return DataDir(root + "/Data/");
}

std::optional<std::string> DataDir::findExisting(std::string_view name) const
{
    const std::string exact = m_root + std::string(name);
    struct stat st
    {
    };
    if (::stat(exact.c_str(), &st) == 0)
        return exact;
    DIR *dir = ::opendir(m_root.c_str());
    if (!dir)
        return std::nullopt;
    std::optional<std::string> found;
    const std::string wanted(name);
    while (const dirent *entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, wanted.c_str()) == 0) {
            found = m_root + entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

std::string DataDir::path(std::string_view name) const
{
    if (auto existing = findExisting(name))
        return *existing;
    return m_root + std::string(name);
}

bool DataDir::exists(std::string_view name) const
{
    return findExisting(name).has_value();
}

} // namespace vz
