// SPDX-License-Identifier: GPL-3.0-or-later
// The rules that help while a contact is typed and need no window: which keys the portable
// area field takes and what area it gives, when a city field holds a kana initial, and the
// date and time texts the entry fills in, in UTC for stations abroad and Japanese time
// otherwise.
#pragma once

#include "calendar/clock.h"

#include <optional>
#include <string>
#include <string_view>

namespace vz::log {

// The portable area field takes "0123456789aA" and control characters (Backspace and the like);
// every other character is discarded.
bool isPortableAreaKey(char32_t c);

// The call area a portable area text gives: a digit its own area, "A" (or "a") abroad (10);
// nullopt for anything that is not exactly one such character.
std::optional<int> portableAreaOf(std::string_view text);

// A city field holding exactly one double-byte character (two Shift_JIS bytes) holds the initial
// of a city name and starts the city lookup.
bool isCityInitial(std::string_view sjis);

// Stations abroad (area 10) are logged in UTC, Japanese stations in Japanese time.
bool logsInUtc(int area);
// "%02d/%02d/%02d" of year of the century, month, day.
std::string clockDateText(const calendar::ClockSnapshot &clock, int area);
// "%02d:%02d" of hour, minute.
std::string clockTimeText(const calendar::ClockSnapshot &clock, int area);

} // namespace vz::log
