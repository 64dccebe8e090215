// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog: the command-line companion of the logbook, over the same domain code.
#pragma once

#include "app/app_state.h"

#include <array>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

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
// Lays LoTW and eQSL confirmations on the contacts of the log; never adds a contact.
int runConfirm(const Args &args, std::ostream &out, std::ostream &err);
// Reads the radio once: the frequency and mode fields the contact dialog would show.
int runRig(const Args &args, std::ostream &out, std::ostream &err);
// Registers the contacts WSJT-X logs, heard over UDP, until interrupted or for --for SECONDS.
int runListen(const Args &args, std::ostream &out, std::ostream &err);
// The contacts not yet sent to LoTW, signed and uploaded by tqsl.
int runLotwUpload(const Args &args, std::ostream &out, std::ostream &err);
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
const char *confirmUsage();
const char *rigUsage();
const char *listenUsage();
const char *printUsage();
const char *lotwUploadUsage();

// What a command reads of the user's files besides its arguments.
struct Needs
{
    bool log = false;      // the user's log, which must exist
    bool settings = false; // the settings file, which must be readable where it exists
};

struct CommandNeeds
{
    std::string_view command;
    Needs needs;
};

// Every command's needs, one row each; a new command adds its row and enters through
// enterCommand(needsOf("name"), ...).
inline constexpr std::array<CommandNeeds, 12> kCommandNeeds{{
    {"info", {.log = true, .settings = false}},
    {"dump", {.log = true, .settings = false}},
    {"search", {.log = true, .settings = false}},
    {"calendar", {.log = false, .settings = false}},  // a missing event file is an empty one
    {"awards", {.log = false, .settings = true}},     // no log yet: nothing counted
    {"export-adif", {.log = true, .settings = true}}, // the operator and the station
    {"import-adif", {.log = true, .settings = true}}, // the confirmation mark
    {"confirm", {.log = true, .settings = true}},     // the LoTW and eQSL marks
    {"rig", {.log = false, .settings = true}},        // the radio and the data mode
    {"print", {.log = true, .settings = true}},       // blank and test cards read no log
    {"listen", {.log = true, .settings = true}},      // the listener's section and the mark
    {"lotw-upload", {.log = true, .settings = true}}, // the [LoTW] section
}};

// The row of `command`; a name without a row does not compile.
consteval Needs needsOf(std::string_view command)
{
    for (const CommandNeeds &row : kCommandNeeds)
        if (row.command == command)
            return row.needs;
    throw "a command without a row in kCommandNeeds";
}

// The door every command comes through once its own arguments are understood. Checks, in
// this order: the callsign (2 when no user can have it), the data folder (1 when missing),
// the log when the command needs one (1 when missing) and the settings file when the command
// uses it (1 when it is there and cannot be read: the defaults would quietly stand in for the
// user's own). Fills `user` as the window does for a user: the data folder, PreFix.CFG, the
// user's paths (log, settings, layout, events, backup) and, when used, the settings. Returns
// 0 when the command may go on, else its exit status with the reason printed to `err`.
int enterCommand(Needs needs, const std::string &dataDir, const std::string &call,
                 app::AppState &user, std::ostream &err);
// The special-prefix table of the data folder, read as the window reads it (a missing
// PreFix.CFG is an empty table) into user.prefixTable; false, with the error printed, when it
// cannot be read.
bool readPrefixTable(app::AppState &user, std::ostream &err);

// A range of record numbers of a log of `last` records, checked as the card dialogs check it:
// each end a record of the log, the first not after the last. False, with the reason printed,
// when it is not (the command then exits 2 and writes nothing).
bool checkRecordRange(long long from, long long to, long long last, std::ostream &err);

} // namespace vz::cli
