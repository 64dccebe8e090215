// SPDX-License-Identifier: GPL-3.0-or-later
// The user's own places: the fixed (home) and the mobile (portable) location are entered as
// JCC numbers; the master gives the city name and the position, which the personal information
// shows as a line of text and keeps as six numbers for distance and bearing.
#pragma once

#include "places/jcc_master.h"

#include <array>
#include <string>
#include <string_view>

namespace vz {
class DataDir;
}

namespace vz::places {

// "  北緯   35度  5分  7秒    東経  136度 05分 07秒" in Shift_JIS: the latitude minutes and
// seconds padded with blanks, the longitude's with zeros; a hemisphere letter other than
// N, S, E, W gives no word.
std::string positionText(const JccMasterRecord &record);

struct OwnCity
{
    bool found = false;
    std::string city;         // Shift_JIS
    std::string positionText; // Shift_JIS
    std::array<double, 6> spot{};
};

// The first record of the number's master file with exactly this number. A missing or
// unreadable master file finds nothing, as a number it does not hold.
OwnCity lookupOwnCity(const DataDir &dataDir, std::string_view jcc);

} // namespace vz::places
