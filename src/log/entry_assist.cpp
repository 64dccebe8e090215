// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/entry_assist.h"

#include "log/call_area.h"

#include <cstdio>

namespace vz::log {

namespace {

const calendar::DateTimeParts &partsFor(const calendar::ClockSnapshot &clock, int area)
{
    return logsInUtc(area) ? clock.utc : clock.local;
}

} // namespace

bool isPortableAreaKey(char32_t c)
{
    if (c < 0x20 || c == 0x7F)
        return true;
    return (c >= U'0' && c <= U'9') || c == U'a' || c == U'A';
}

std::optional<int> portableAreaOf(std::string_view text)
{
    if (text.size() != 1)
        return std::nullopt;
    const char c = text[0];
    if (c == 'A' || c == 'a')
        return kAbroad;
    if (c >= '0' && c <= '9')
        return c - '0';
    return std::nullopt;
}

bool isCityInitial(std::string_view sjis)
{
    return sjis.size() == 2;
}

bool logsInUtc(int area)
{
    return area == kAbroad;
}

std::string clockDateText(const calendar::ClockSnapshot &clock, int area)
{
    const calendar::DateTimeParts &t = partsFor(clock, area);
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d", t.year % 100, t.month, t.day);
    return text;
}

std::string clockTimeText(const calendar::ClockSnapshot &clock, int area)
{
    const calendar::DateTimeParts &t = partsFor(clock, area);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", t.hour, t.minute);
    return text;
}

} // namespace vz::log
