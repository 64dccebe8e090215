// SPDX-License-Identifier: GPL-3.0-or-later
// The confirmation mark: the text an operator types into a contact's user mark when the
// station's card has arrived. The award progress counts such contacts as confirmed, and ADIF
// carries the mark as QSL_RCVD "Y".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vz::log {

// "受" in Shift_JIS.
inline constexpr std::string_view kDefaultConfirmationMark = "\x8e\xf3";
// The marks of the electronic confirmations, kept apart from the paper card's.
inline constexpr std::string_view kDefaultLotwMark = "L";
inline constexpr std::string_view kDefaultEqslMark = "E";

// Which confirmations count for the award progress: any non-empty choice; paper cards alone
// unless the operator chooses otherwise.
struct ConfirmedBy
{
    bool card = true;
    bool lotw = false;
    bool eqsl = false;
    bool any() const { return card || lotw || eqsl; }
};

// Whether `userMark` holds `mark` starting on one of its characters: the texts are compared
// by whole Shift_JIS characters, so an ASCII mark never matches the trail byte of a
// double-byte character. An empty mark is never held.
bool holdsConfirmationMark(std::string_view userMark, std::string_view mark);

// Live contacts of the log at `logPath` whose user mark holds `mark`: before a text becomes a
// confirmation mark, the contacts that hold it already (an "L" inside "OLD") would count as
// confirmed. nullopt when the log cannot be read; a missing log holds none.
std::optional<std::int64_t> contactsHoldingMark(const std::string &logPath, std::string_view mark);

} // namespace vz::log
