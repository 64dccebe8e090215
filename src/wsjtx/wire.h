// SPDX-License-Identifier: GPL-3.0-or-later
// The field shapes of WSJT-X's UDP messages as Qt's QDataStream writes them, big-endian,
// read and written without Qt: integers, booleans, UTF-8 byte strings (a 32-bit length,
// 0xffffffff for a null string), times of day and date-times.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vz::wsjtx {

// A QDateTime as sent: Julian day, milliseconds since midnight and how to read them.
struct WireDateTime
{
    std::int64_t julianDay = 0;
    std::uint32_t msOfDay = 0xffffffffU; // 0xffffffff: no time
    std::uint8_t timeSpec = 1;           // 0 local, 1 UTC, 2 offset from UTC
    std::int32_t offsetSeconds = 0;      // only for timeSpec 2

    bool valid() const { return julianDay > 0 && julianDay < 100'000'000 && msOfDay < 86'400'000; }
    // Seconds since 1970-01-01 UTC; a local time is read in this machine's time zone.
    std::optional<std::int64_t> unixSeconds() const;
    static WireDateTime fromUnixSeconds(std::int64_t seconds);
};

// Reads fields one after another. The first field that does not fit what is left marks the
// reader failed, with the reason; every later read fails too.
class WireReader
{
public:
    explicit WireReader(std::string_view bytes) : m_bytes(bytes) {}

    std::optional<std::uint8_t> u8();
    std::optional<std::uint32_t> u32();
    std::optional<std::uint64_t> u64();
    std::optional<std::int64_t> i64() { return asSigned(u64()); }
    std::optional<bool> boolean();
    std::optional<std::string> utf8(); // a null string reads as empty
    std::optional<WireDateTime> dateTime();

    bool atEnd() const { return m_at == m_bytes.size(); }
    bool failed() const { return !m_error.empty(); }
    const std::string &error() const { return m_error; }

private:
    static std::optional<std::int64_t> asSigned(std::optional<std::uint64_t> v)
    {
        if (!v)
            return std::nullopt;
        return static_cast<std::int64_t>(*v);
    }
    bool take(std::size_t n, std::string_view what);
    std::uint64_t bigEndian(std::size_t n);

    std::string_view m_bytes;
    std::size_t m_at = 0;
    std::string m_error;
};

class WireWriter
{
public:
    void u8(std::uint8_t v);
    void u32(std::uint32_t v);
    void u64(std::uint64_t v);
    void boolean(bool v) { u8(v ? 1 : 0); }
    void utf8(std::string_view text);
    void nullUtf8() { u32(0xffffffffU); }
    void dateTime(const WireDateTime &t);

    const std::string &bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

} // namespace vz::wsjtx
