// SPDX-License-Identifier: GPL-3.0-or-later
// Confirmations from LoTW and eQSL laid on the contacts of a log: each confirmation is matched
// to the contact it confirms, whose user mark then gets the mark of that service. Nothing is
// ever added to the log. A confirmation matches a contact with the same station (designators
// and all), band and mode by the duplicate rule of ADIF import, or with a mode of the same LoTW
// mode group when the two programs named the mode differently, whose time lies within 30
// minutes of it, both in UTC; of several such contacts the nearest in time (the first of equals).
#pragma once

#include "adif/adif_import.h"
#include "adif/confirmation_fields.h"
#include "common/file_io.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vz {
class ProgressSink;
}

namespace vz::log {
class PrefixTable;
}

namespace vz::lotw {

struct ConfirmOptions
{
    // The user's callsign (upper case, no designators): a confirmation whose APP_LoTW_OWNCALL
    // (or STATION_CALLSIGN) names another station is not applied. Empty: not checked.
    std::string ownCallsign;
    std::string lotwMark; // Shift_JIS; the settings' marks
    std::string eqslMark;
    bool dryRun = false; // count only, write nothing
    int windowMinutes = 30;
};

enum class ConfirmResult {
    Ok,
    FileUnreadable,
    NoConfirmationField, // not one LoTW or eQSL confirmation field in the file: the log untouched
    LogUnreadable,
    LogBusy,
    WriteFailed, // some contacts may carry their marks already (writtenBeforeFailure)
};

struct ConfirmSummary
{
    ConfirmResult result = ConfirmResult::Ok;
    files::ReadProblem readProblem = files::ReadProblem::None;
    adif::AdifSource source = adif::AdifSource::Other;
    std::int64_t read = 0;             // records of the file
    std::int64_t confirmations = 0;    // records that confirm a contact ("Y")
    std::int64_t notConfirmations = 0; // records whose confirmation field is not "Y"
    std::int64_t confirmed = 0;        // confirmations matched to a contact of the log
    std::int64_t newly = 0;            // ... whose contact got its mark now
    std::int64_t alreadyConfirmed = 0; // ... whose contact had its mark already
    std::int64_t notFound = 0;
    std::int64_t lotwConfirmed = 0; // confirmed contacts by service (one may count for both)
    std::int64_t eqslConfirmed = 0;
    std::int64_t otherStation = 0; // confirmations of another station's contacts
    std::vector<adif::ImportIssue> notFoundList;
    // Confirmations not applied for another reason: another station, unreadable date or time,
    // a mark that does not fit in the user mark.
    std::vector<adif::ImportIssue> problems;
    std::vector<std::int32_t> markedRecords; // record numbers (from 1) given a mark
    std::int64_t writtenBeforeFailure = 0;
};

// Applies the confirmations of the ADIF file at `adifPath` to the log at `logPath`, holding
// the log's lock (shared for a dry run) from reading it to the last write.
ConfirmSummary applyConfirmations(const std::string &adifPath, const std::string &logPath,
                                  const log::PrefixTable &table, const ConfirmOptions &options,
                                  ProgressSink &progress);
// The same for a file's text held in memory.
ConfirmSummary applyConfirmationText(std::string_view adifText, const std::string &logPath,
                                     const log::PrefixTable &table, const ConfirmOptions &options,
                                     ProgressSink &progress);

// LoTW's mode group of an ADIF mode ("CW", "PHONE", "IMAGE", "DATA"; empty for no mode).
std::string_view modeGroupOf(std::string_view adifMode);

// The summary as lines of text (UTF-8); the report adds every contact not found and every
// problem, one line each.
std::string summaryText(const ConfirmSummary &summary, bool dryRun);
std::string reportText(const ConfirmSummary &summary, bool dryRun);

} // namespace vz::lotw
