// SPDX-License-Identifier: GPL-3.0-or-later
// The full list of what an import did, saved to a file the operator names (`--report FILE`,
// the window's 保存): written as an export is, never into the data folder and never over
// anything but a regular file.
#pragma once

#include "adif/adif_import.h"

#include <optional>
#include <string>

namespace vz::adif {

// Writes reportText of `summary` to `reportPath`; nullopt when written, else what went wrong
// (UTF-8, one or more lines ending in a newline).
std::optional<std::string> saveImportReport(const std::string &logPath,
                                            const std::string &reportPath,
                                            const ImportSummary &summary, bool dryRun);

} // namespace vz::adif
