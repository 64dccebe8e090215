// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/whole_number.h"

#include <charconv>

namespace vz {

std::optional<long long> parseWholeNumber(std::string_view text, long long low, long long high)
{
    long long value = 0;
    const char *last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(text.data(), last, value);
    if (text.empty() || ec != std::errc() || end != last || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace vz
