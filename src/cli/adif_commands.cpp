// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog export-adif and import-adif: a log to and from the interchange format of amateur
// radio logs. The summary goes to standard error.
#include "cli/commands.h"

#include "adif/adif_exchange.h"
#include "adif/adif_import.h"
#include "adif/import_report.h"
#include "common/file_io.h"
#include "common/progress.h"
#include "common/whole_number.h"
#include "log/log_file.h"
#include "log/prefix_table.h"
#include "lotw/mark_use.h"

#include <limits>
#include <optional>
#include <ostream>
#include <vector>

namespace vz::cli {

namespace {

constexpr const char *kExportUsage =
    "usage: vezolog export-adif DATADIR CALLSIGN [--from N] [--to M]"
    " [--charset ascii|utf-8|shift_jis] -o FILE\n"
    "       FILE ending in .adx is written as ADX, any other as ADI (UTF-8 unless --charset)\n";
constexpr const char *kImportUsage =
    "usage: vezolog import-adif DATADIR CALLSIGN FILE [--dry-run] [--strict] [--report FILE]\n"
    "       --report writes every refused, changed and duplicate contact to FILE\n";

// A record number: 1 and up.
std::optional<std::int32_t> parseRecordNumber(const std::string &text)
{
    const auto value = parseWholeNumber(text, 1, std::numeric_limits<std::int32_t>::max());
    if (!value)
        return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

} // namespace

const char *exportAdifUsage()
{
    return kExportUsage;
}

const char *importAdifUsage()
{
    return kImportUsage;
}

int runExportAdif(const Args &args, std::ostream &, std::ostream &err)
{
    if (args.size() < 2) {
        err << kExportUsage;
        return 2;
    }
    std::string outPath;
    std::optional<std::int32_t> from;
    std::optional<std::int32_t> to;
    // UTF-8 with lengths in bytes, as most logging programs and services write ADI today;
    // --charset ascii for readers that take nothing else.
    std::optional<adif::Charset> charset = adif::Charset::Utf8;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (i + 1 >= args.size()) {
            err << kExportUsage;
            return 2;
        }
        const std::string &value = args[++i];
        if (a == "-o" && outPath.empty()) {
            outPath = value;
        } else if (a == "--from" && !from) {
            from = parseRecordNumber(value);
        } else if (a == "--to" && !to) {
            to = parseRecordNumber(value);
        } else if (a == "--charset") {
            charset = adif::charsetNamed(value);
        } else {
            err << kExportUsage;
            return 2;
        }
        if ((a == "--from" && !from) || (a == "--to" && !to) || !charset) {
            err << kExportUsage;
            return 2;
        }
    }
    if (outPath.empty()) {
        err << kExportUsage;
        return 2;
    }
    app::AppState user;
    if (const int status = enterCommand(needsOf("export-adif"), args[0], args[1], user, err))
        return status;
    // A range outside the log is refused before anything is written, as `print` refuses it.
    if (from || to) {
        const std::int32_t last = log::recordCount(user.logPath);
        if (!checkRecordRange(from.value_or(1), to.value_or(last), last, err))
            return 2;
    }
    if (!readPrefixTable(user, err))
        return 1;
    adif::ExportOptions options = app::adifExportOptions(
        user.settings, user.currentCall, user.clock->now(), adif::formatForPath(outPath), *charset);
    if (from)
        options.from = *from;
    if (to)
        options.to = *to;
    adif::ExportSummary summary;
    summary.result = adif::checkExportOutput(user.logPath, outPath);
    if (summary.result == adif::ExportResult::Ok) {
        NoProgress quiet;
        summary = adif::exportAdif(user.logPath, outPath, user.prefixTable, options, quiet);
    }
    err << adif::summaryText(summary);
    return summary.result == adif::ExportResult::Ok ? 0 : 1;
}

int runImportAdif(const Args &args, std::ostream &, std::ostream &err)
{
    if (args.size() < 3) {
        err << kImportUsage;
        return 2;
    }
    adif::ImportOptions options;
    std::optional<std::string> reportPath;
    for (std::size_t i = 3; i < args.size(); ++i) {
        if (args[i] == "--dry-run") {
            options.dryRun = true;
        } else if (args[i] == "--strict") {
            options.strict = true;
        } else if (args[i] == "--report" && !reportPath && i + 1 < args.size()) {
            reportPath = args[++i];
        } else {
            err << kImportUsage;
            return 2;
        }
    }
    app::AppState user;
    if (const int status = enterCommand(needsOf("import-adif"), args[0], args[1], user, err))
        return status;
    if (!readPrefixTable(user, err))
        return 1;
    const adif::ImportOptions asked = options;
    options = app::adifImportOptions(user.settings, user.currentCall);
    options.dryRun = asked.dryRun;
    options.strict = asked.strict;
    // The contacts that hold a LoTW or eQSL mark before its first use, counted before the
    // imported ones join them.
    const std::vector<lotw::MarkInUse> held = lotw::unusedMarksHeld(user.logPath, user.settings);
    NoProgress quiet;
    const adif::ImportSummary summary =
        adif::importAdif(args[2], user.logPath, log::recordCount(user.logPath) + 1,
                         user.prefixTable, options, quiet);
    err << adif::summaryText(summary, options.dryRun);
    for (const lotw::MarkInUse &use : held)
        if ((use.service == "LoTW" ? summary.lotwMarked : summary.eqslMarked) > 0)
            err << "注意: " << lotw::markInUseText(use) << "\n";
    if (!options.dryRun && summary.result == adif::ImportResult::Ok && summary.imported > 0 &&
        !app::keepElectronicMarks(user.settingsPath, user.settings, summary.lotwMarked > 0,
                                  summary.eqslMarked > 0))
        err << "設定ファイルに確認マークを書き込めませんでした: " << user.settingsPath << "\n";
    if (reportPath) {
        if (const auto problem =
                adif::saveImportReport(user.logPath, *reportPath, summary, options.dryRun)) {
            err << *problem;
            return 1;
        }
    }
    // A contact of the file that was not logged (a file cut off inside one among them) is not
    // a success, in a dry run as well; contacts the log held already are.
    if (adif::anyRefused(summary))
        err << "取込不可の交信が " << summary.refused.size() << " 件あります\n";
    return summary.result == adif::ImportResult::Ok && !adif::anyRefused(summary) ? 0 : 1;
}

} // namespace vz::cli
