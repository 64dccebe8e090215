// SPDX-License-Identifier: GPL-3.0-or-later
// A radio's frequency and mode as the contact dialog's fields hold them: the frequency in MHz
// as operators type it, the mode in the log's spelling.
#pragma once

#include <string>
#include <string_view>

namespace vz::rig {

// MHz to the nearest kHz ("7.050", "14.074", "430.100"); fewer decimals, rounded, where the
// field's eight bytes need it ("10368.10"). Empty when there is no frequency to show (zero,
// negative, not a number) or it does not fit at all.
std::string frequencyFieldText(double hertz);

// The log's spelling of a Hamlib mode name: USB and LSB are SSB, CW and CWR CW, AM AM, FM and
// WFM FM, RTTY and RTTYR RTTY, PKTUSB and PKTLSB the data mode the operator set. Empty for
// any other mode: the field is then left as it is.
std::string modeFieldText(std::string_view hamlibMode, std::string_view dataMode);

} // namespace vz::rig
