// SPDX-License-Identifier: GPL-3.0-or-later
// What an ADIF export takes from the user: the own callsign, the own JCC (the mobile one while
// mobile operation is on), and the clock that dates the file and settles two-digit years.
// Shared by the main window and vezolog so both write and read files alike.
#pragma once

#include "adif/adif_export.h"
#include "adif/adif_import.h"
#include "app/user_settings.h"
#include "calendar/clock.h"

#include <string>

namespace vz::app {

adif::ExportOptions adifExportOptions(const UserSettings &settings, const std::string &call,
                                      const calendar::ClockSnapshot &clock, adif::Format format,
                                      adif::Charset charset);
// What an ADIF import takes from the user: the confirmation marks, the own callsign and JCC.
adif::ImportOptions adifImportOptions(const UserSettings &settings, const std::string &call);

} // namespace vz::app
