// SPDX-License-Identifier: GPL-3.0-or-later
#include "wsjtx/wire.h"

#include <ctime>

namespace vz::wsjtx {

namespace {

constexpr std::int64_t kJulianDayOf1970 = 2440588;

} // namespace

std::optional<std::int64_t> WireDateTime::unixSeconds() const
{
    if (!valid())
        return std::nullopt;
    const std::int64_t wall = (julianDay - kJulianDayOf1970) * 86400 + msOfDay / 1000;
    switch (timeSpec) {
    case 1:
        return wall;
    case 2:
        return wall - offsetSeconds;
    case 0: {
        // The sender's local time; it runs on this machine or one in the same zone.
        const auto t = static_cast<std::time_t>(wall);
        std::tm parts{};
        if (!::gmtime_r(&t, &parts))
            return std::nullopt;
        parts.tm_isdst = -1;
        const std::time_t local = std::mktime(&parts);
        if (local == static_cast<std::time_t>(-1))
            return std::nullopt;
        return static_cast<std::int64_t>(local);
    }
    default:
        return std::nullopt;
    }
}

WireDateTime WireDateTime::fromUnixSeconds(std::int64_t seconds)
{
    WireDateTime t;
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    t.julianDay = days + kJulianDayOf1970;
    t.msOfDay = static_cast<std::uint32_t>(rest * 1000);
    t.timeSpec = 1;
    return t;
}

bool WireReader::take(std::size_t n, std::string_view what)
{
    if (failed())
        return false;
    if (m_bytes.size() - m_at < n) {
        m_error = std::string(what) + " past the end of the datagram";
        return false;
    }
    return true;
}

std::uint64_t WireReader::bigEndian(std::size_t n)
{
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i)
        v = (v << 8) | static_cast<unsigned char>(m_bytes[m_at + i]);
    m_at += n;
    return v;
}

std::optional<std::uint8_t> WireReader::u8()
{
    if (!take(1, "field"))
        return std::nullopt;
    return static_cast<std::uint8_t>(bigEndian(1));
}

std::optional<std::uint32_t> WireReader::u32()
{
    if (!take(4, "field"))
        return std::nullopt;
    return static_cast<std::uint32_t>(bigEndian(4));
}

std::optional<std::uint64_t> WireReader::u64()
{
    if (!take(8, "field"))
        return std::nullopt;
    return bigEndian(8);
}

std::optional<bool> WireReader::boolean()
{
    const auto v = u8();
    if (!v)
        return std::nullopt;
    return *v != 0;
}

std::optional<std::string> WireReader::utf8()
{
    const auto length = u32();
    if (!length)
        return std::nullopt;
    if (*length == 0xffffffffU)
        return std::string();
    if (!take(*length, "string length"))
        return std::nullopt;
    std::string text(m_bytes.substr(m_at, *length));
    m_at += *length;
    return text;
}

std::optional<WireDateTime> WireReader::dateTime()
{
    WireDateTime t;
    const auto day = i64();
    const auto ms = u32();
    const auto zone = u8();
    if (!day || !ms || !zone)
        return std::nullopt;
    t.julianDay = *day;
    t.msOfDay = *ms;
    t.timeSpec = *zone;
    if (t.timeSpec == 2) {
        const auto offset = u32();
        if (!offset)
            return std::nullopt;
        t.offsetSeconds = static_cast<std::int32_t>(*offset);
    } else if (t.timeSpec > 2) {
        // A time zone follows in a shape of Qt's own; the fields after it cannot be found.
        m_error = "date-time with a time zone";
        return std::nullopt;
    }
    return t;
}

void WireWriter::u8(std::uint8_t v)
{
    m_bytes += static_cast<char>(v);
}

void WireWriter::u32(std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        m_bytes += static_cast<char>((v >> shift) & 0xff);
}

void WireWriter::u64(std::uint64_t v)
{
    for (int shift = 56; shift >= 0; shift -= 8)
        m_bytes += static_cast<char>((v >> shift) & 0xff);
}

void WireWriter::utf8(std::string_view text)
{
    u32(static_cast<std::uint32_t>(text.size()));
    m_bytes += text;
}

void WireWriter::dateTime(const WireDateTime &t)
{
    u64(static_cast<std::uint64_t>(t.julianDay));
    u32(t.msOfDay);
    u8(t.timeSpec);
    if (t.timeSpec == 2)
        u32(static_cast<std::uint32_t>(t.offsetSeconds));
}

} // namespace vz::wsjtx
