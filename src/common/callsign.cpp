// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/callsign.h"

#include <algorithm>

namespace vz {

bool isValidOwnCallsign(std::string_view call)
{
    if (call.empty() || call.size() > kCallSlotSize)
        return false;
    return std::all_of(call.begin(), call.end(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

CallSlot toCallSlot(std::string_view call)
{
    CallSlot slot{};
    std::copy_n(call.begin(), std::min(call.size(), kCallSlotSize), slot.begin());
    return slot;
}

std::string fromCallSlot(std::string_view slotBytes)
{
    slotBytes = slotBytes.substr(0, std::min(slotBytes.size(), kCallSlotSize));
    return std::string(slotBytes.substr(0, slotBytes.find('\0')));
}

} // namespace vz
