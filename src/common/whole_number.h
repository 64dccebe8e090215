// SPDX-License-Identifier: GPL-3.0-or-later
// Whole numbers given as decimal text: command arguments, typed fields and stored values.
#pragma once

#include <limits>
#include <optional>
#include <string_view>

namespace vz {

// The number the whole of `text` spells (an optional '-' and then digits, nothing before or
// after), when it lies within [low, high]; nullopt for anything else, an empty text or one
// too large for any range.
std::optional<long long> parseWholeNumber(std::string_view text,
                                          long long low = std::numeric_limits<long long>::min(),
                                          long long high = std::numeric_limits<long long>::max());

} // namespace vz
