// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog lotw-upload: the contacts not yet sent to LoTW, signed and uploaded by TQSL, and the
// sent list brought up to date by what TQSL says.
#include "cli/commands.h"

#include "adif/adif_exchange.h"
#include "common/whole_number.h"
#include "lotw/tqsl_process.h"
#include "lotw/tqsl_settings.h"
#include "lotw/tqsl_upload.h"

#include <ostream>

namespace vz::cli {

namespace {

constexpr const char *kUsage =
    "usage: vezolog lotw-upload DATADIR CALLSIGN [--location NAME] [--dry-run]\n"
    "                           [--sign-only FILE] [--time-limit SECONDS]\n"
    "       --location   TQSL's station location (default: the one chosen in the settings)\n"
    "       --dry-run    list the contacts that would be sent; run nothing, mark nothing\n"
    "       --sign-only  sign into FILE (.tq8) instead of uploading; the contacts count as sent\n"
    "       --time-limit stop tqsl after SECONDS (default 600)\n";

void printBatch(const lotw::UploadBatch &batch, bool listAll, std::ostream &out)
{
    out << "送信する交信: " << batch.keys.size() << " 件 (送信済み " << batch.alreadySent
        << " 件)\n";
    if (listAll)
        for (std::size_t i = 0; i < batch.keys.size(); ++i)
            out << batch.records[i] << '\t' << batch.keys[i].line() << '\n';
    for (const auto &[record, reason] : batch.notSendable)
        out << "送れない交信 " << record << ": " << reason << '\n';
}

} // namespace

const char *lotwUploadUsage()
{
    return kUsage;
}

int runLotwUpload(const Args &args, std::ostream &out, std::ostream &err)
{
    if (args.size() < 2) {
        err << kUsage;
        return 2;
    }
    std::optional<std::string> location;
    std::string signedPath;
    bool dryRun = false;
    std::chrono::seconds limit = lotw::kDefaultTimeLimit;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (a == "--dry-run") {
            dryRun = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            err << kUsage;
            return 2;
        }
        const std::string &value = args[++i];
        if (a == "--location" && !location && !value.empty()) {
            location = value;
        } else if (a == "--sign-only" && signedPath.empty() && !value.empty()) {
            signedPath = value;
        } else if (a == "--time-limit") {
            const auto seconds = parseWholeNumber(value, 1, 86400);
            if (!seconds) {
                err << kUsage;
                return 2;
            }
            limit = std::chrono::seconds(*seconds);
        } else {
            err << kUsage;
            return 2;
        }
    }
    app::AppState user;
    if (const int status = enterCommand(needsOf("lotw-upload"), args[0], args[1], user, err))
        return status;
    if (!readPrefixTable(user, err))
        return 1;
    const lotw::TqslSettings settings = lotw::readTqslSettings(user.settingsPath);
    if (!location && !settings.location.empty())
        location = settings.location;
    if (!location) {
        err << "vezolog: no station location: give --location NAME (one of TQSL's station "
               "locations)\n";
        return 2;
    }
    const adif::ExportOptions options =
        app::adifExportOptions(user.settings, user.currentCall, user.clock->now(),
                               adif::Format::Adi, adif::Charset::Ascii);
    lotw::UploadRequest request;
    request.logPath = user.logPath;
    request.sentPath = lotw::sentListPath(user.logPath);
    request.command.program = settings.program;
    request.command.location = *location;
    request.command.signedPath = signedPath;
    request.limit = limit;

    if (dryRun) {
        lotw::UploadBatch batch;
        const auto prepared = lotw::prepareBatch(request.logPath, request.sentPath,
                                                 user.prefixTable, options, "", batch);
        if (prepared != lotw::PrepareResult::Ok) {
            err << "vezolog: " << lotw::prepareMessage(prepared, request.logPath, request.sentPath)
                << "\n";
            return 1;
        }
        printBatch(batch, true, out);
        if (lotw::findProgram(settings.program).empty())
            err << lotw::outcomeMessage(lotw::TqslOutcome::NotInstalled, {}) << "\n";
        return 0;
    }
    lotw::SpawnRunner runner;
    const lotw::UploadResult result =
        lotw::uploadUnsent(request, user.prefixTable, options, runner);
    if (result.prepared != lotw::PrepareResult::Ok) {
        err << "vezolog: "
            << lotw::prepareMessage(result.prepared, request.logPath, request.sentPath) << "\n";
        return 1;
    }
    printBatch(result.batch, false, out);
    if (!result.ran) {
        out << "新しく送る交信はありません。\n";
        return 0;
    }
    const bool ok = result.report.marked;
    std::ostream &to = ok ? out : err;
    to << result.report.message << "\n";
    std::string lines = result.report.tqslLines;
    std::size_t at = 0;
    while (at < lines.size()) {
        const std::size_t end = lines.find('\n', at);
        to << "  tqsl: " << lines.substr(at, end - at) << "\n";
        at = end == std::string::npos ? lines.size() : end + 1;
    }
    return ok ? 0 : 1;
}

} // namespace vz::cli
