// SPDX-License-Identifier: GPL-3.0-or-later
// Texts read from files on their way to a terminal: a control character in a log or an ADIF
// file (an escape sequence, a carriage return) must not move the cursor or recolour the screen.
#pragma once

#include <string>
#include <string_view>

namespace vz {

// `text` with each control character (below 0x20, and 0x7F) written as "\xNN".
std::string printable(std::string_view text);

} // namespace vz
