// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog: the command-line companion of the logbook, over the same domain code.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vz::cli {

using Args = std::vector<std::string>;

// Each command returns the process exit status.
int runInfo(const Args &args, std::ostream &out, std::ostream &err);
int runDump(const Args &args, std::ostream &out, std::ostream &err);
int runSearch(const Args &args, std::ostream &out, std::ostream &err);
int runExportAdif(const Args &args, std::ostream &out, std::ostream &err);
int runImportAdif(const Args &args, std::ostream &out, std::ostream &err);
int runCalendar(const Args &args, std::ostream &out, std::ostream &err);
// Reads the radio once: the frequency and mode fields the contact dialog would show.
int runRig(const Args &args, std::ostream &out, std::ostream &err);
// QSL cards to PDF; in its own library because it paints with Qt.
int runPrintCommand(const Args &args, std::ostream &out, std::ostream &err);

// The log path of CALLSIGN in DATADIR, or an error already printed to `err`.
struct LogLocation
{
    std::string dataDir;
    std::string logPath;
    std::string prefixPath;
};
bool locateLog(const std::string &dataDir, const std::string &call, LogLocation &where,
               std::ostream &err);

} // namespace vz::cli
