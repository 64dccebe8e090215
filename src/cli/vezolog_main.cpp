// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include "common/callsign.h"
#include "common/data_dir.h"

#include <iostream>
#include <sys/stat.h>

namespace vz::cli {

bool locateLog(const std::string &dataDir, const std::string &call, LogLocation &where,
               std::ostream &err)
{
    struct stat st {};
    if (::stat(dataDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        err << "vezolog: no data directory: " << dataDir << "\n";
        return false;
    }
    if (!isValidOwnCallsign(call)) {
        err << "vezolog: not a callsign (A-Z and 0-9, 1 to 10 characters): " << call << "\n";
        return false;
    }
    const DataDir dir(dataDir);
    where.dataDir = dir.root();
    where.logPath = dir.path(call + ".DAT");
    where.prefixPath = dir.path("PreFix.CFG");
    if (!files::exists(where.logPath)) {
        err << "vezolog: no log for " << call << ": " << where.logPath << "\n";
        return false;
    }
    return true;
}

} // namespace vz::cli

namespace {

void usage(std::ostream &err)
{
    err << "usage: vezolog info DATADIR CALLSIGN\n"
           "       vezolog dump DATADIR CALLSIGN\n"
           "       vezolog search DATADIR CALLSIGN (--area N | --item ITEM [KEY])"
           " [--reference CALL]\n";
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        usage(std::cerr);
        return 2;
    }
    const std::string command = argv[1];
    const vz::cli::Args args(argv + 2, argv + argc);
    if (command == "info")
        return vz::cli::runInfo(args, std::cout, std::cerr);
    if (command == "dump")
        return vz::cli::runDump(args, std::cout, std::cerr);
    if (command == "search")
        return vz::cli::runSearch(args, std::cout, std::cerr);
    usage(std::cerr);
    return 2;
}
