// SPDX-License-Identifier: GPL-3.0-or-later
// Importing ADIF files from other programs and from this one into a log. Nothing that cannot
// be logged is taken silently: refused contacts, cut texts, replaced characters and fields
// without a place are all reported.
#pragma once

#include "adif/adif_reader.h"
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
    // QSL_RCVD "Y" adds it to the user mark when not there (Shift_JIS; empty: nothing added).
    std::string confirmationMark{};
    // ADI files this large are read in two stretches at once.
    std::size_t splitFrom = std::size_t{1} << 20;
};

enum class ImportResult {
    Ok,
    FileUnreadable,
    NoRecord, // the file holds no ADIF record at all (empty, or not ADIF); the log is untouched
    LogUnreadable,
    WriteFailed, // the log could not be written and is as it was before
};

struct ImportIssue
{
    std::int64_t adifRecord = 0; // 1-based position in the file
    std::string callsign;        // as the file gives it, UTF-8
    std::string what;
};

struct ImportSummary
{
    ImportResult result = ImportResult::Ok;
    files::ReadProblem readProblem = files::ReadProblem::None; // why the file could not be read
    ParsedFile file;
    std::int64_t read = 0;
    std::int64_t imported = 0;
    std::int64_t duplicates = 0;
    std::vector<ImportIssue> refused;
    std::vector<ImportIssue> changed; // texts cut or characters replaced
    std::map<std::string, std::int64_t> ignoredFields;
    std::int32_t firstRecordNo = 0; // numbers the imported contacts got (0 when none)
    std::int32_t lastRecordNo = 0;
    std::vector<int> areas;  // area index list of each imported contact (its callsign's area)
    bool logAsBefore = true; // WriteFailed: the log has the size it had before the import
};

// Imports `adifPath` into the log at `logPath`, whose next record number is `nextRecordNo`.
ImportSummary importAdif(const std::string &adifPath, const std::string &logPath,
                         std::int32_t nextRecordNo, const PrefixTable &table,
                         const ImportOptions &options, ProgressSink &progress);

// The summary as lines of text (UTF-8), as the command line and the window show it.
std::string summaryText(const ImportSummary &summary, bool dryRun);
std::string summaryText(const ExportSummary &summary);

} // namespace vz::adif
