// SPDX-License-Identifier: GPL-3.0-or-later
// Sending the contacts not yet sent to LoTW through TQSL, in three steps: an ADIF file of
// those contacts, the run of tqsl on it, and the sent list brought up to date by what TQSL
// says. The command line runs all three; the window runs tqsl itself between the two others.
#pragma once

#include "adif/adif_export.h"
#include "lotw/sent_list.h"
#include "lotw/tqsl_command.h"
#include "lotw/tqsl_exit.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vz::log {
class PrefixTable;
}

namespace vz::lotw {

class TqslRunner;

struct UploadBatch
{
    std::vector<SentKey> keys;         // the contacts in the file, in log order
    std::vector<std::int32_t> records; // their record numbers
    long long alreadySent = 0;
    // Contacts LoTW cannot take (no band or no ADIF mode, a date that cannot be read), with
    // the reason (UTF-8); they are neither written nor marked.
    std::vector<std::pair<std::int32_t, std::string>> notSendable;
};

enum class PrepareResult { Ok, LogUnreadable, LogBusy, SentListUnreadable, WriteFailed };
// The message for a result other than Ok (UTF-8).
std::string prepareMessage(PrepareResult result, const std::string &logPath,
                           const std::string &sentPath);

// Finds the live contacts of the log that the sent list does not name and, unless `adifPath`
// is empty (a dry run), writes them to it as ADI in ASCII. `options` as for an ADIF export;
// the own station's fields are left out, since TQSL takes them from the station location.
PrepareResult prepareBatch(const std::string &logPath, const std::string &sentPath,
                           const log::PrefixTable &table, adif::ExportOptions options,
                           const std::string &adifPath, UploadBatch &batch);

struct UploadReport
{
    TqslOutcome outcome = TqslOutcome::NotStarted;
    std::string message;   // UTF-8, with what happened to the sent list
    std::string tqslLines; // TQSL's last lines
    bool marked = false;   // the batch was added to the sent list
};

// What a run means for the batch: the message, and on success the batch added to the sent
// list (a list that cannot be written is said in the message, and `marked` stays false).
UploadReport finishUpload(const UploadBatch &batch, const TqslRun &run,
                          const MessageDetails &details, const std::string &sentPath);

// A new empty file for the ADIF given to TQSL, in the temporary folder; empty on failure.
std::string makeTemporaryAdif();

// The three steps for the command line. A batch without contacts runs nothing.
struct UploadRequest
{
    std::string logPath;
    std::string sentPath;
    TqslCommand command; // adifPath is filled in here
    std::chrono::seconds limit = kDefaultTimeLimit;
};
struct UploadResult
{
    PrepareResult prepared = PrepareResult::Ok;
    UploadBatch batch;
    bool ran = false;
    UploadReport report;
};
UploadResult uploadUnsent(const UploadRequest &request, const log::PrefixTable &table,
                          const adif::ExportOptions &options, TqslRunner &runner);

} // namespace vz::lotw
