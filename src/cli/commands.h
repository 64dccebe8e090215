// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog: the command-line companion of the logbook, over the same domain code.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vz::log {
class PrefixTable;
}

namespace vz::cli {

using Args = std::vector<std::string>;

// The whole program: the arguments after its name; returns the process exit status.
int runVezolog(const Args &args, std::ostream &out, std::ostream &err);

// Each command returns the process exit status: 0 done (also when the result is empty), 1 a file
// could not be read or written or an input file holds no ADIF record, 2 bad arguments.
int runInfo(const Args &args, std::ostream &out, std::ostream &err);
int runDump(const Args &args, std::ostream &out, std::ostream &err);
int runSearch(const Args &args, std::ostream &out, std::ostream &err);
int runExportAdif(const Args &args, std::ostream &out, std::ostream &err);
int runImportAdif(const Args &args, std::ostream &out, std::ostream &err);
int runCalendar(const Args &args, std::ostream &out, std::ostream &err);
int runAwards(const Args &args, std::ostream &out, std::ostream &err);
// Reads the radio once: the frequency and mode fields the contact dialog would show.
int runRig(const Args &args, std::ostream &out, std::ostream &err);
// Registers the contacts WSJT-X logs, heard over UDP, until interrupted or for --for SECONDS.
int runListen(const Args &args, std::ostream &out, std::ostream &err);
// QSL cards to PDF; in its own library because it paints with Qt.
int runPrintCommand(const Args &args, std::ostream &out, std::ostream &err);

// Each command's usage lines: on standard error after bad arguments, on standard output for
// COMMAND --help.
const char *infoUsage();
const char *dumpUsage();
const char *searchUsage();
const char *exportAdifUsage();
const char *importAdifUsage();
const char *calendarUsage();
const char *awardsUsage();
const char *rigUsage();
const char *listenUsage();
const char *printUsage();

// The paths of CALLSIGN's log in DATADIR.
struct LogLocation
{
    std::string dataDir;
    std::string logPath;
    std::string prefixPath;
};
// 0 when the log is there; otherwise the exit status, with the error printed to `err`: 2 for a
// callsign no user can have, 1 when the data directory or the log is missing.
// False, having said so, when DATADIR is not a folder.
bool isDataDirectory(const std::string &dataDir, std::ostream &err);
int locateLog(const std::string &dataDir, const std::string &call, LogLocation &where,
              std::ostream &err);
// The special-prefix table of the data directory, read as the window reads it (a missing
// PreFix.CFG is an empty table); false, with the error printed, when it cannot be read.
bool readPrefixTable(const LogLocation &where, log::PrefixTable &table, std::ostream &err);

// A range of record numbers of a log of `last` records, checked as the card dialogs check it:
// each end a record of the log, the first not after the last. False, with the reason printed,
// when it is not (the command then exits 2 and writes nothing).
bool checkRecordRange(long long from, long long to, long long last, std::ostream &err);

} // namespace vz::cli
