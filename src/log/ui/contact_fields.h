// SPDX-License-Identifier: GPL-3.0-or-later
// What the parts of the contact dialog share: the numbers of its record fields (1..20, in
// record layout order).
#pragma once

#include "log/qso_record.h"

namespace vz::ui::log_fields {

inline constexpr int kCallsign = 1, kPortableArea = 2, kPortableForm = 3, kDate = 4, kStart = 5,
                     kFixedCity = 6, kFixedJcc = 7, kPortableCity = 8, kPortableJcc = 9, kName = 10,
                     kHisRst = 11, kEndTime = 20;

inline log::Field recordField(int number)
{
    return static_cast<log::Field>(number - 1);
}

} // namespace vz::ui::log_fields
