// SPDX-License-Identifier: GPL-3.0-or-later
#include "adif/import_report.h"

#include "adif/adif_export.h"
#include "common/file_io.h"

namespace vz::adif {

std::optional<std::string> saveImportReport(const std::string &logPath,
                                            const std::string &reportPath,
                                            const ImportSummary &summary, bool dryRun)
{
    ExportSummary target;
    target.result = checkExportOutput(logPath, reportPath);
    if (target.result != ExportResult::Ok)
        return summaryText(target);
    files::AtomicFileWriter writer(reportPath);
    if (!writer.write(reportText(summary, dryRun)) || !writer.commit())
        return "報告ファイルに書き込めませんでした: " + reportPath + "\n";
    return std::nullopt;
}

} // namespace vz::adif
