// SPDX-License-Identifier: GPL-3.0-or-later
// Call areas: 0 to 9 the Japanese areas, 10 abroad and every callsign no rule places in 0..9.
// The area decides which records the history and the area searches read, whether a contact
// is logged in UTC, and which standard remark is shown.
#pragma once

#include <string_view>

namespace vz::log {

class PrefixTable;

constexpr int kAreaCount = 11;
constexpr int kAbroad = 10;

// First rule that applies: the prefix table; 8J + digit; J + one of "AEFGHIJKLMNOPQRS" + digit;
// else 10. The first letter may be either case, the second only upper case.
int classifyCallArea(std::string_view callsign, const PrefixTable &table);

// Area of a JCC/JCG code from its prefecture number (its first two digits).
int jccAreaOf(std::string_view jcc);

} // namespace vz::log
