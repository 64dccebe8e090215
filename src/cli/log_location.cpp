// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include "common/callsign.h"
#include "common/data_dir.h"
#include "common/file_io.h"
#include "log/prefix_table.h"

#include <ostream>
#include <sys/stat.h>

namespace vz::cli {

bool isDataDirectory(const std::string &dataDir, std::ostream &err)
{
    struct stat st
    {
    };
    if (::stat(dataDir.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return true;
    err << "vezolog: no data directory: " << dataDir << "\n";
    return false;
}

int locateLog(const std::string &dataDir, const std::string &call, LogLocation &where,
              std::ostream &err)
{
    if (!isValidOwnCallsign(call)) {
        err << "vezolog: not a callsign (A-Z and 0-9, 1 to 10 characters): " << call << "\n";
        return 2;
    }
    if (!isDataDirectory(dataDir, err))
        return 1;
    const DataDir dir(dataDir);
    where.dataDir = dir.root();
    where.logPath = dir.path(call + ".DAT");
    where.prefixPath = dir.path("PreFix.CFG");
    if (!files::exists(where.logPath)) {
        err << "vezolog: no log for " << call << ": " << where.logPath << "\n";
        return 1;
    }
    return 0;
}

bool readPrefixTable(const LogLocation &where, log::PrefixTable &table, std::ostream &err)
{
    table.setPath(where.prefixPath);
    if (!table.unreadable())
        return true;
    err << "vezolog: cannot read " << where.prefixPath << "\n";
    return false;
}

} // namespace vz::cli
