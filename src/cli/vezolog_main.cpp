// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include <iostream>

namespace {

void usage(std::ostream &err)
{
    err << "usage: vezolog info DATADIR CALLSIGN\n"
           "       vezolog dump DATADIR CALLSIGN\n"
           "       vezolog search DATADIR CALLSIGN (--area N | --item ITEM [KEY])"
           " [--reference CALL]\n"
           "       vezolog export-adif DATADIR CALLSIGN [--from N] [--to M]"
           " [--charset ascii|utf-8|shift_jis] -o FILE\n"
           "       vezolog import-adif DATADIR CALLSIGN FILE [--dry-run] [--strict]\n"
           "       vezolog calendar DATADIR CALLSIGN YEAR MONTH\n"
           "       vezolog rig DATADIR CALLSIGN [--model N --port PORT [--speed BAUD]]\n"
           "       vezolog print KIND DATADIR CALLSIGN ... --pdf FILE (see vezolog print)\n";
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
    if (command == "export-adif")
        return vz::cli::runExportAdif(args, std::cout, std::cerr);
    if (command == "import-adif")
        return vz::cli::runImportAdif(args, std::cout, std::cerr);
    if (command == "calendar")
        return vz::cli::runCalendar(args, std::cout, std::cerr);
    if (command == "rig")
        return vz::cli::runRig(args, std::cout, std::cerr);
    if (command == "print")
        return vz::cli::runPrintCommand(args, std::cout, std::cerr);
    usage(std::cerr);
    return 2;
}
