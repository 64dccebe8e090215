// SPDX-License-Identifier: GPL-3.0-or-later
// Own callsigns name the user's files (JA1ABC.DAT, JA1ABC.ini), so only A-Z and 0-9, one to
// ten characters, are ever taken as one: nothing else can turn into a file name.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vz {

constexpr std::size_t kCallSlotSize = 10;
using CallSlot = std::array<char, kCallSlotSize>;

bool isValidOwnCallsign(std::string_view call);

// The callsign NUL-padded to 10 bytes; a 10-character callsign fills the slot with no NUL.
CallSlot toCallSlot(std::string_view call);
// The bytes up to the first NUL, at most 10.
std::string fromCallSlot(std::string_view slotBytes);

} // namespace vz
