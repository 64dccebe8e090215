// SPDX-License-Identifier: GPL-3.0-or-later
// The callsign with its portable designators, as a QSL card prints it and an ADIF file sends
// it to other programs.
#pragma once

#include <string>
#include <string_view>

namespace vz::log {

// From the record's portable area and form: both "-" give the callsign alone; area "A"
// (operation abroad) with a form gives callsign/form (the prefix used follows the callsign);
// a digit area gives callsign/area, then /form unless the form is "-". An empty form counts as
// "-". The comparisons are exact. Every other combination (a form without an area, "A" without a
// form, an empty or other area) gives the callsign alone rather than half a designator.
std::string toRadioCall(std::string_view call, std::string_view area, std::string_view form);

} // namespace vz::log
