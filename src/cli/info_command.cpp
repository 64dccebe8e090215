// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include "common/progress.h"
#include "log/area_index.h"
#include "log/log_file.h"

#include <ostream>

namespace vz::cli {

const char *infoUsage()
{
    return "usage: vezolog info DATADIR CALLSIGN\n";
}

int runInfo(const Args &args, std::ostream &out, std::ostream &err)
{
    if (args.size() != 2) {
        err << infoUsage();
        return 2;
    }
    app::AppState user;
    if (const int status = enterCommand(needsOf("info"), args[0], args[1], user, err))
        return status;
    if (!readPrefixTable(user, err))
        return 1;
    log::AreaIndex index;
    NoProgress quiet;
    if (log::buildAreaIndex(user.logPath, user.prefixTable, quiet, index) != log::IndexResult::Ok) {
        err << "vezolog: cannot read " << user.logPath << "\n";
        return 1;
    }
    const std::int32_t count = log::recordCount(user.logPath);
    out << "log\t" << user.logPath << "\n";
    out << "records\t" << count << "\n";
    out << "NextRecordNo\t" << count + 1 << "\n";
    for (int a = 0; a < log::kAreaCount; ++a)
        out << "area " << a << "\t" << index.count(a) << "\n";
    out << "deleted\t" << count - index.total() << "\n";
    return 0;
}

} // namespace vz::cli
