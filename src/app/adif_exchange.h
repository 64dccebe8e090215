// SPDX-License-Identifier: GPL-3.0-or-later
// What an ADIF export takes from the user: the own callsign, the own JCC (the mobile one while
// mobile operation is on), and the clock that dates the file and settles two-digit years.
// Shared by the main window and vezolog so both write the same file.
#pragma once

#include "app/user_settings.h"
#include "calendar/clock.h"
#include "log/adif_export.h"

#include <string>

namespace vz::app {

log::adif::ExportOptions adifExportOptions(const UserSettings &settings, const std::string &call,
                                           const calendar::ClockSnapshot &clock,
                                           log::adif::Format format, log::adif::Charset charset);

} // namespace vz::app
