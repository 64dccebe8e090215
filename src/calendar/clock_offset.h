// SPDX-License-Identifier: GPL-3.0-or-later
// How far the computer's local time runs ahead of UTC: every JST date and time is the local
// time, so a computer on another zone logs every Japanese contact off by the difference.
#pragma once

#include "calendar/clock.h"

#include <string>

namespace vz::calendar {

// The local time's lead over UTC in minutes (540 on Japanese time).
int localOffsetMinutes(const ClockSnapshot &at);
// The offset as "UTC+9:00", "UTC-5:00", "UTC+5:30".
std::string offsetText(int minutes);

} // namespace vz::calendar
