// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog's entry point: the table of its commands, --help and --version.
#include "cli/commands.h"

#include "common/version.h"

#include <algorithm>
#include <array>
#include <ostream>
#include <string>
#include <string_view>

namespace vz::cli {

namespace {

struct Command
{
    std::string_view name;
    int (*run)(const Args &, std::ostream &, std::ostream &);
    const char *(*usage)();
    const char *synopsis; // after the command's name
    const char *summary;
};

constexpr std::array<Command, 12> kCommands{{
    {"info", runInfo, infoUsage, "DATADIR CALLSIGN",
     "record count, NextRecordNo, live records per call area, deleted records"},
    {"dump", runDump, dumpUsage, "DATADIR CALLSIGN", "every record as one tab-separated line"},
    {"search", runSearch, searchUsage,
     "DATADIR CALLSIGN (--area N | --item ITEM [KEY]) [--reference CALL]",
     "the rows of the search list, twelve tab-separated columns"},
    {"calendar", runCalendar, calendarUsage, "DATADIR CALLSIGN YEAR MONTH",
     "each day of the month: date, weekday, colour, holiday and events"},
    {"awards", runAwards, awardsUsage,
     "DATADIR CALLSIGN [--ward | --jcg] [--prefecture NN] [--confirmed-by card,lotw,eqsl]",
     "cities, wards or districts worked and confirmed, per prefecture or per place"},
    {"export-adif", runExportAdif, exportAdifUsage,
     "DATADIR CALLSIGN [--from N] [--to M] [--charset ascii|utf-8|shift_jis] -o FILE",
     "the log as an ADIF file (ADX when FILE ends in .adx, else ADI)"},
    {"import-adif", runImportAdif, importAdifUsage, "DATADIR CALLSIGN FILE [--dry-run] [--strict]",
     "the new contacts of an ADI or ADX file appended to the log"},
    {"confirm", runConfirm, confirmUsage, "DATADIR CALLSIGN FILE [--dry-run] [--report FILE]",
     "LoTW and eQSL confirmations marked on the contacts of the log they confirm"},
    {"rig", runRig, rigUsage, "DATADIR CALLSIGN [--model N [--port PORT] [--speed BAUD]]",
     "the radio's frequency and mode as the contact dialog shows them, tab-separated"},
    {"listen", runListen, listenUsage,
     "DATADIR CALLSIGN [--port P] [--group G [--interface I]] [--for SECONDS]",
     "contacts logged in WSJT-X or JTDX, heard over UDP, registered one line each"},
    {"lotw-upload", runLotwUpload, lotwUploadUsage,
     "DATADIR CALLSIGN [--location NAME] [--dry-run] [--sign-only FILE]",
     "the contacts not yet sent to LoTW, signed and uploaded by TQSL (tqsl)"},
    {"print", runPrintCommand, printUsage, "KIND DATADIR CALLSIGN ... --pdf FILE",
     "QSL cards to a PDF file; KIND is postcard, horizontal, vertical, blank or test"},
}};

constexpr const char *kUsageLines = "Usage: vezolog COMMAND DATADIR CALLSIGN [ARGUMENT]...\n"
                                    "  or:  vezolog COMMAND --help\n"
                                    "  or:  vezolog --help | --version\n";

void printHelp(std::ostream &out)
{
    out << kUsageLines
        << "Reads, searches, prints and exchanges the logs of the VEZODovi logbook without a\n"
           "window. DATADIR is the program's data folder and CALLSIGN the user whose log,\n"
           "settings and card layout are used. Output is UTF-8; the files stay Shift_JIS.\n"
           "\n"
           "Commands:\n";
    // Each summary on a line of its own, indented far enough for help2man to tag it.
    for (const Command &c : kCommands)
        out << "  " << c.name << ' ' << c.synopsis << "\n"
            << std::string(20, ' ') << c.summary << "\n";
    out << "\n"
           "Options:\n"
           "      --help     display this help and exit; after a command, its usage\n"
           "      --version  output version information and exit\n"
           "\n"
           "Exit status:\n"
           "  0  done, also when there is nothing to list, print, export or import\n"
           "  1  a file could not be read or written, an input file holds no ADIF record, or\n"
           "     tqsl is missing or did not sign\n"
           "  2  bad arguments\n";
}

void printTry(std::ostream &err)
{
    err << kUsageLines << "Try 'vezolog --help' for more information.\n";
}

} // namespace

int runVezolog(const Args &args, std::ostream &out, std::ostream &err)
{
    if (args.empty()) {
        printTry(err);
        return 2;
    }
    const std::string &name = args[0];
    if (name == "--help") {
        printHelp(out);
        return 0;
    }
    if (name == "--version") {
        out << "vezolog " << programVersion() << "\n";
        return 0;
    }
    const auto command = std::find_if(kCommands.begin(), kCommands.end(),
                                      [&](const Command &c) { return c.name == name; });
    if (command == kCommands.end()) {
        err << "vezolog: unknown command: " << name << "\n";
        printTry(err);
        return 2;
    }
    const Args rest(args.begin() + 1, args.end());
    if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
        out << command->usage();
        return 0;
    }
    return command->run(rest, out, err);
}

} // namespace vz::cli
