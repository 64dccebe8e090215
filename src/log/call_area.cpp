// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/call_area.h"

#include "log/prefix_table.h"

namespace vz::log {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int areaFromThirdCharacter(std::string_view callsign)
{
    return isDigit(callsign[2]) ? callsign[2] - '0' : kAbroad;
}

} // namespace

int classifyCallArea(std::string_view callsign, const PrefixTable &table)
{
    if (const auto listed = table.lookup(callsign))
        return *listed;
    if (callsign.size() < 3)
        return kAbroad;
    const char first = callsign[0];
    const char second = callsign[1];
    if (first == '8' && (second == 'J' || second == 'j'))
        return areaFromThirdCharacter(callsign);
    if ((first == 'J' || first == 'j') &&
        std::string_view("AEFGHIJKLMNOPQRS").find(second) != std::string_view::npos)
        return areaFromThirdCharacter(callsign);
    return kAbroad;
}

int jccAreaOf(std::string_view jcc)
{
    if (jcc.size() < 2 || !isDigit(jcc[0]) || !isDigit(jcc[1]))
        return kAbroad;
    const int n = (jcc[0] - '0') * 10 + (jcc[1] - '0');
    if (n == 0)
        return 0;
    if (n == 1)
        return 8;
    if (n <= 7)
        return 7;
    if (n <= 9)
        return 0;
    if (n <= 17)
        return 1;
    if (n <= 21)
        return 2;
    if (n <= 27)
        return 3;
    if (n <= 30)
        return 9;
    if (n <= 35)
        return 4;
    if (n <= 39)
        return 5;
    if (n <= 47)
        return 6;
    return kAbroad;
}

} // namespace vz::log
