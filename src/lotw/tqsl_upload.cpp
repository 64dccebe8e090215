// SPDX-License-Identifier: GPL-3.0-or-later
#include "lotw/tqsl_upload.h"

#include "common/file_io.h"
#include "common/file_lock.h"
#include "common/progress.h"
#include "log/log_file.h"
#include "log/qso_record.h"
#include "lotw/tqsl_process.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace vz::lotw {

namespace {

std::string textOf(const adif::AdifRecord &fields, std::string_view name)
{
    const auto v = fields.find(name);
    return v ? std::string(*v) : std::string();
}

} // namespace

PrepareResult prepareBatch(const std::string &logPath, const std::string &sentPath,
                           const log::PrefixTable &table, adif::ExportOptions options,
                           const std::string &adifPath, UploadBatch &batch)
{
    batch = UploadBatch();
    SentList sent;
    if (sent.load(sentPath) == SentList::Load::Unreadable)
        return PrepareResult::SentListUnreadable;
    options.format = adif::Format::Adi;
    options.charset = adif::Charset::Ascii;
    options.stationCallsign.clear();
    options.ownJcc.clear();
    options.confirmationMark.clear();

    // The log stays as it is between the two passes: a reorganize meanwhile would renumber the
    // records the second pass picks by number.
    FileLock lock;
    if (const log::IoResult locked = log::lockLog(logPath, lock); locked != log::IoResult::Ok)
        return locked == log::IoResult::Busy ? PrepareResult::LogBusy
                                             : PrepareResult::LogUnreadable;
    const int fd = files::openRegularForReading(logPath);
    std::FILE *in = fd < 0 ? nullptr : ::fdopen(fd, "rb");
    if (!in) {
        if (fd >= 0)
            ::close(fd);
        return PrepareResult::LogUnreadable;
    }
    log::QsoRecord record;
    adif::RecordFields fields;
    std::vector<bool> chosen(1, false); // by record number
    std::int32_t number = 0;
    while (std::fread(record.bytes.data(), log::kRecordSize, 1, in) == 1) {
        ++number;
        chosen.push_back(false);
        if (record.isDeleted())
            continue;
        adif::fieldsOfRecord(record, table, options, fields);
        if (fields.unreadable) {
            batch.notSendable.emplace_back(number, *fields.unreadable);
            continue;
        }
        SentKey key{textOf(fields.fields, "CALL"), textOf(fields.fields, "QSO_DATE"),
                    textOf(fields.fields, "TIME_ON"), textOf(fields.fields, "BAND"),
                    textOf(fields.fields, "MODE")};
        if (const std::string sub = textOf(fields.fields, "SUBMODE"); !sub.empty())
            key.mode += "/" + sub;
        if (key.band.empty() || key.mode.empty() || key.callsign.empty()) {
            batch.notSendable.emplace_back(number, key.callsign.empty() ? "コールサインがありません"
                                                   : key.band.empty()
                                                       ? "バンドがわかりません"
                                                       : "ADIF のモードがありません");
            continue;
        }
        if (sent.contains(key)) {
            ++batch.alreadySent;
            continue;
        }
        chosen[static_cast<std::size_t>(number)] = true;
        batch.records.push_back(number);
        batch.keys.push_back(std::move(key));
    }
    const bool readFailed = std::ferror(in) != 0;
    std::fclose(in);
    if (readFailed)
        return PrepareResult::LogUnreadable;
    if (adifPath.empty() || batch.keys.empty())
        return PrepareResult::Ok;
    options.to = number; // records appended meanwhile are not in the batch
    options.onlyRecords = [&chosen](std::int32_t n) {
        return static_cast<std::size_t>(n) < chosen.size() && chosen[static_cast<std::size_t>(n)];
    };
    NoProgress quiet;
    const adif::ExportSummary summary = adif::exportAdif(logPath, adifPath, table, options, quiet);
    if (summary.result == adif::ExportResult::LogUnreadable)
        return PrepareResult::LogUnreadable;
    if (summary.result != adif::ExportResult::Ok ||
        summary.exported != static_cast<std::int64_t>(batch.keys.size()))
        return PrepareResult::WriteFailed;
    return PrepareResult::Ok;
}

UploadReport finishUpload(const UploadBatch &batch, const TqslRun &run,
                          const MessageDetails &details, const std::string &sentPath)
{
    UploadReport report;
    report.outcome = outcomeOf(run);
    report.tqslLines = lastLines(run.output);
    MessageDetails d = details;
    d.contacts = static_cast<long long>(batch.keys.size());
    d.exitStatus = run.exitStatus;
    report.message = outcomeMessage(report.outcome, d);
    if (!marksSent(report.outcome) || batch.keys.empty())
        return report;
    switch (addSent(sentPath, batch.keys)) {
    case AddResult::Ok:
        report.marked = true;
        break;
    case AddResult::Busy:
        report.message +=
            "\nほかのプログラムが送信済みリストを使用中のため、送信済みを記録できませんでした: " +
            sentPath;
        break;
    case AddResult::Failed:
        report.message += "\n送信済みリストを書けませんでした: " + sentPath;
        break;
    }
    return report;
}

std::string prepareMessage(PrepareResult result, const std::string &logPath,
                           const std::string &sentPath)
{
    switch (result) {
    case PrepareResult::Ok:
        return {};
    case PrepareResult::LogUnreadable:
        return "ログを読めませんでした: " + logPath;
    case PrepareResult::LogBusy:
        return "ほかのプログラムがログを使用中です: " + logPath;
    case PrepareResult::SentListUnreadable:
        return "送信済みリストを読めませんでした: " + sentPath;
    case PrepareResult::WriteFailed:
        return "TQSL に渡す ADIF ファイルを書けませんでした";
    }
    return {};
}

std::string makeTemporaryAdif()
{
    const char *dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/vezodovi-lotw-XXXXXX.adi";
    const int fd = ::mkstemps(path.data(), 4);
    if (fd < 0)
        return {};
    ::close(fd);
    return path;
}

UploadResult uploadUnsent(const UploadRequest &request, const log::PrefixTable &table,
                          const adif::ExportOptions &options, TqslRunner &runner)
{
    UploadResult result;
    const std::string adifPath = makeTemporaryAdif();
    if (adifPath.empty()) {
        result.prepared = PrepareResult::WriteFailed;
        return result;
    }
    result.prepared =
        prepareBatch(request.logPath, request.sentPath, table, options, adifPath, result.batch);
    if (result.prepared == PrepareResult::Ok && !result.batch.keys.empty()) {
        TqslCommand command = request.command;
        command.adifPath = adifPath;
        const TqslRun run = runner.run(tqslArguments(command), request.limit);
        result.ran = true;
        MessageDetails details;
        details.location = command.location;
        details.timeLimitSeconds = static_cast<int>(request.limit.count());
        details.signedFile = command.signedPath;
        result.report = finishUpload(result.batch, run, details, request.sentPath);
    }
    ::unlink(adifPath.c_str());
    return result;
}

} // namespace vz::lotw
