// SPDX-License-Identifier: GPL-3.0-or-later
// A confirmation mark is a text an operator may have typed into user marks before it meant a
// confirmation (an "L" inside "OLD"): once it does, those contacts would count as confirmed.
// When a mark is first set or first used, the contacts that hold it already are counted, so
// the operator is warned.
#pragma once

#include "app/user_settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vz::lotw {

struct MarkInUse
{
    std::string_view service; // "LoTW" or "eQSL"
    std::string mark;         // Shift_JIS
    std::int64_t contacts = 0;
};

// The LoTW and eQSL marks that have never been set or used (not in the settings file) and
// that contacts of the log hold already.
std::vector<MarkInUse> unusedMarksHeld(const std::string &logPath,
                                       const app::UserSettings &settings);

// The warning for one such mark (UTF-8).
std::string markInUseText(const MarkInUse &use);

} // namespace vz::lotw
