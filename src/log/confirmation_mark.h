// SPDX-License-Identifier: GPL-3.0-or-later
// The confirmation mark: the text an operator types into a contact's user mark when the
// station's card has arrived. The award progress counts such contacts as confirmed, and ADIF
// carries the mark as QSL_RCVD "Y".
#pragma once

#include <string_view>

namespace vz::log {

// "受" in Shift_JIS.
inline constexpr std::string_view kDefaultConfirmationMark = "\x8e\xf3";

// Whether `userMark` holds `mark` starting on one of its characters: the texts are compared
// by whole Shift_JIS characters, so an ASCII mark never matches the trail byte of a
// double-byte character. An empty mark is never held.
bool holdsConfirmationMark(std::string_view userMark, std::string_view mark);

} // namespace vz::log
