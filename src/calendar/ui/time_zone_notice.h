// SPDX-License-Identifier: GPL-3.0-or-later
// The word the program says once when the computer is not on Japanese time: every JST date
// and time comes from the local clock, while ADIF turns JST into UTC by nine hours.
#pragma once

#include "calendar/clock_offset.h"

#include <QString>

namespace vz::ui {

// "このコンピュータの時刻は日本時間ではありません（UTC+0:00）" when the local time is not
// nine hours ahead of UTC; empty on Japanese time.
QString timeZoneNotice(const calendar::ClockSnapshot &at);

// How to set Japanese time, for the whole computer or for this program alone.
QString timeZoneAdvice();

} // namespace vz::ui
