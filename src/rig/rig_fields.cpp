// SPDX-License-Identifier: GPL-3.0-or-later
#include "rig/rig_fields.h"

#include <array>
#include <cmath>
#include <utility>

namespace vz::rig {

namespace {

constexpr std::size_t kFrequencyBytes = 8;

} // namespace

std::string frequencyFieldText(double hertz)
{
    if (!std::isfinite(hertz) || hertz <= 0 || hertz > 1e15)
        return {};
    const long long kilohertz = std::llround(hertz / 1000.0);
    if (kilohertz <= 0)
        return {};
    // Three decimals are kHz; each decimal fewer rounds to ten times more.
    long long unit = 1;
    for (int decimals = 3; decimals >= 0; --decimals, unit *= 10) {
        const long long rounded = (kilohertz + unit / 2) / unit; // in units of 10^-decimals MHz
        long long scale = 1;
        for (int i = 0; i < decimals; ++i)
            scale *= 10;
        std::string out = std::to_string(rounded / scale);
        if (decimals > 0) {
            const std::string fraction = std::to_string(rounded % scale);
            out += '.';
            out.append(static_cast<std::size_t>(decimals) - fraction.size(), '0');
            out += fraction;
        }
        if (out.size() <= kFrequencyBytes)
            return out;
    }
    return {};
}

std::string modeFieldText(std::string_view hamlibMode, std::string_view dataMode)
{
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kModes{{
        {"USB", "SSB"},
        {"LSB", "SSB"},
        {"CW", "CW"},
        {"CWR", "CW"},
        {"AM", "AM"},
        {"FM", "FM"},
        {"WFM", "FM"},
        {"RTTY", "RTTY"},
        {"RTTYR", "RTTY"},
    }};
    if (hamlibMode == "PKTUSB" || hamlibMode == "PKTLSB")
        return std::string(dataMode);
    for (const auto &[name, logName] : kModes)
        if (name == hamlibMode)
            return std::string(logName);
    return {};
}

} // namespace vz::rig
