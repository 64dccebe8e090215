// SPDX-License-Identifier: GPL-3.0-or-later
// Importing ADIF files from other programs and from this one into a log. Nothing that cannot
// be logged is taken silently: refused contacts, cut texts, replaced characters and fields
// without a place are all reported.
#pragma once

#include "adif/adif_reader.h"
#include "common/data_dir.h"
#include "common/file_io.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vz {
class ProgressSink;
}

namespace vz::adif {

struct ImportOptions
{
    bool strict = false; // refuse contacts whose texts would be cut
    bool dryRun = false; // report only, write nothing
    // A received confirmation adds its mark to the user mark when not there (Shift_JIS; empty:
    // nothing added): QSL_RCVD "Y" the card's, outside LoTW's and eQSL's downloads, where it is
    // their own; LOTW_QSL_RCVD and EQSL_QSL_RCVD theirs.
    std::string confirmationMark{};
    std::string lotwMark{};
    std::string eqslMark{};
    // ADI files this large are read in two stretches at once.
    std::size_t splitFrom = std::size_t{1} << 20;
    // The user's callsign (upper case, no designators): contacts whose STATION_CALLSIGN (or
    // OPERATOR, without one) names another station are counted. Empty: not checked.
    std::string ownCallsign{};
    // The own JCC/JCG the export writes as MY_CNTY: a file's MY_CNTY and MY_STATE that say
    // otherwise are listed as skipped. Empty: not checked.
    std::string ownJcc{};
    // Fill ImportSummary::contacts with the outcome of every contact of the file.
    bool reportEachContact = false;
};

enum class ImportResult {
    Ok,
    FileUnreadable,
    NoRecord, // the file holds no ADIF record at all (empty, or not ADIF); the log is untouched
    LogUnreadable,
    WriteFailed, // the log could not be written and is as it was before
    LogBusy,     // another program held the log (a reorganization) for the whole wait
};

struct ImportIssue
{
    std::int64_t adifRecord = 0; // 1-based position in the file
    std::string callsign;        // as the file gives it, UTF-8
    std::string what;
    std::string example{}; // a change's old and stored text ("old → stored"), UTF-8; may be empty
};

enum class ContactOutcome { Imported, Duplicate, Refused };

struct ContactReport
{
    std::int64_t adifRecord = 0; // 1-based position in the file
    ContactOutcome outcome = ContactOutcome::Imported;
    std::int32_t recordNo = 0; // Imported: the log record number it got (else 0)
    std::string why;           // Refused: the reason (UTF-8)
};

struct ImportSummary
{
    ImportResult result = ImportResult::Ok;
    files::ReadProblem readProblem = files::ReadProblem::None; // why the file could not be read
    ParsedFile file;
    std::int64_t read = 0;
    std::int64_t imported = 0;
    std::int64_t duplicates = 0;
    std::vector<ImportIssue> duplicateList; // the contacts the log held already
    std::vector<ImportIssue> refused;
    std::vector<ImportIssue> changed; // texts cut or characters replaced
    std::map<std::string, std::int64_t> ignoredFields;
    std::int64_t otherStation = 0;   // contacts made by another station (ImportOptions)
    std::string otherStationExample; // the first such station, UTF-8
    std::int32_t firstRecordNo = 0;  // numbers the imported contacts got (0 when none)
    std::int32_t lastRecordNo = 0;
    std::vector<int> areas; // area index list of each imported contact (its callsign's area)
    // Contacts of the file given the LoTW or eQSL mark (imported or not).
    std::int64_t lotwMarked = 0;
    std::int64_t eqslMarked = 0;
    // With ImportOptions::reportEachContact: every contact of the file, in the file's order.
    std::vector<ContactReport> contacts;
    // The log's end was not where the caller expected: another program wrote it meanwhile.
    bool logGrewElsewhere = false;
    bool logAsBefore = true; // WriteFailed: the log has the size it had before the import
};

// Imports `adifPath` into the log at `logPath`, holding the log's lock from the duplicate check
// to the append. The contacts take the numbers at the log's real end (firstRecordNo on);
// `expectedNextRecordNo` is the number the caller last knew, and logGrewElsewhere says when the
// log had grown past it.
ImportSummary importAdif(const std::string &adifPath, const std::string &logPath,
                         std::int32_t expectedNextRecordNo, const PrefixTable &table,
                         const ImportOptions &options, ProgressSink &progress);

// The same for ADIF text held in memory (an ADI or ADX document), as another program hands its
// contacts over: every contact goes through the same mapping and the same duplicate rule.
ImportSummary importAdifText(std::string_view adifText, const std::string &logPath,
                             std::int32_t expectedNextRecordNo, const PrefixTable &table,
                             const ImportOptions &options, ProgressSink &progress);

// Issues of one kind (the same text) as one line with their count and the first as example, a
// kind met once as that contact's own line, after two blanks: as the summaries list them.
void appendGroupedIssues(std::string &out, const std::vector<ImportIssue> &items);
// One issue as a line (without its indent or line end), control characters shown as \xNN.
std::string issueLine(const ImportIssue &issue);

// True when any contact of the file was refused (duplicates are not refusals).
inline bool anyRefused(const ImportSummary &summary)
{
    return !summary.refused.empty();
}

// The summary as lines of text (UTF-8), as the command line and the window show it.
std::string summaryText(const ImportSummary &summary, bool dryRun);
std::string summaryText(const ExportSummary &summary);
// The summary followed by every refused, changed and duplicate contact, one line each: what
// `--report FILE` and the window's 保存 write.
std::string reportText(const ImportSummary &summary, bool dryRun);

} // namespace vz::adif
