// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/temp_dir.h"

#include "common/file_io.h"
#include "common/sjis.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace vz::test {

TempDir::TempDir()
{
    std::string templ = (std::filesystem::temp_directory_path() / "vezo-XXXXXX").string();
    if (!::mkdtemp(templ.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = templ;
    std::filesystem::create_directory(dataDir());
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::permissions(dataDir(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

void TempDir::write(std::string_view name, std::string_view bytes) const
{
    if (!files::replaceAtomically(file(name), bytes))
        throw std::runtime_error("cannot write test file");
}

std::string TempDir::read(std::string_view name) const
{
    return files::readAll(file(name)).value_or(std::string());
}

void TempDir::installPrefixTable() const
{
    const char *data = std::getenv("VEZO_TEST_DATA");
    const std::string source = std::string(data ? data : VEZO_SOURCE_DATA) + "/PreFix.CFG";
    const auto bytes = files::readAll(source);
    if (!bytes)
        throw std::runtime_error("cannot read " + source);
    write("PreFix.CFG", *bytes);
}

std::string sj(std::string_view utf8)
{
    return sjis::fromUtf8(utf8).value();
}

} // namespace vz::test
