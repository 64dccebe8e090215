// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog confirm: LoTW and eQSL confirmations laid on the contacts of the log, never adding
// one. The summary goes to standard error.
#include "cli/commands.h"

#include "adif/adif_export.h"
#include "app/user_settings.h"
#include "common/file_io.h"
#include "common/progress.h"
#include "lotw/confirmation_matching.h"
#include "lotw/mark_use.h"

#include <optional>
#include <ostream>
#include <vector>

namespace vz::cli {

namespace {

constexpr const char *kConfirmUsage =
    "usage: vezolog confirm DATADIR CALLSIGN FILE [--dry-run] [--report FILE]\n"
    "       FILE is a LoTW report or an eQSL inbox (ADIF); --report writes every confirmation\n"
    "       not found in the log and every one not applied to FILE\n";

} // namespace

const char *confirmUsage()
{
    return kConfirmUsage;
}

int runConfirm(const Args &args, std::ostream &, std::ostream &err)
{
    if (args.size() < 3) {
        err << kConfirmUsage;
        return 2;
    }
    lotw::ConfirmOptions options;
    std::optional<std::string> reportPath;
    for (std::size_t i = 3; i < args.size(); ++i) {
        if (args[i] == "--dry-run") {
            options.dryRun = true;
        } else if (args[i] == "--report" && !reportPath && i + 1 < args.size()) {
            reportPath = args[++i];
        } else {
            err << kConfirmUsage;
            return 2;
        }
    }
    app::AppState user;
    if (const int status = enterCommand(needsOf("confirm"), args[0], args[1], user, err))
        return status;
    if (!readPrefixTable(user, err))
        return 1;
    options.ownCallsign = user.currentCall;
    options.lotwMark = user.settings.lotwMark;
    options.eqslMark = user.settings.eqslMark;
    // A mark used for the first time may be in the log already, typed for something else:
    // counted before the marks are added, told for the marks the file uses.
    const std::vector<lotw::MarkInUse> held = lotw::unusedMarksHeld(user.logPath, user.settings);
    NoProgress quiet;
    const lotw::ConfirmSummary summary =
        lotw::applyConfirmations(args[2], user.logPath, user.prefixTable, options, quiet);
    for (const lotw::MarkInUse &use : held)
        if ((use.service == "LoTW" ? summary.lotwConfirmed : summary.eqslConfirmed) > 0)
            err << "注意: " << lotw::markInUseText(use) << "\n";
    err << lotw::summaryText(summary, options.dryRun);
    // The marks are used now: the settings file keeps which texts they are.
    if (!options.dryRun && summary.result == lotw::ConfirmResult::Ok &&
        !app::keepElectronicMarks(user.settingsPath, user.settings, summary.lotwConfirmed > 0,
                                  summary.eqslConfirmed > 0))
        err << "設定ファイルに確認マークを書き込めませんでした: " << user.settingsPath << "\n";
    if (reportPath) {
        adif::ExportSummary target;
        target.result = adif::checkExportOutput(user.logPath, *reportPath);
        if (target.result != adif::ExportResult::Ok) {
            err << "報告ファイルはデータフォルダの外の通常のファイルにしてください: " << *reportPath
                << "\n";
            return 1;
        }
        files::AtomicFileWriter writer(*reportPath);
        if (!writer.write(lotw::reportText(summary, options.dryRun)) || !writer.commit()) {
            err << "報告ファイルに書き込めませんでした: " << *reportPath << "\n";
            return 1;
        }
    }
    return summary.result == lotw::ConfirmResult::Ok ? 0 : 1;
}

} // namespace vz::cli
