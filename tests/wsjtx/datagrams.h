// SPDX-License-Identifier: GPL-3.0-or-later
// Datagrams as WSJT-X sends them, built field by field for the tests.
#pragma once

#include "wsjtx/messages.h"
#include "wsjtx/wire.h"

#include <string>

namespace vz::test {

inline wsjtx::WireWriter header(std::uint32_t type, std::uint32_t schema = 3,
                                const std::string &id = "WSJT-X")
{
    wsjtx::WireWriter w;
    w.u32(wsjtx::kMagic);
    w.u32(schema);
    w.u32(type);
    w.utf8(id);
    return w;
}

// 2026-05-03 (Julian day 2461164) at `hh:mm:ss` UTC.
inline wsjtx::WireDateTime utcTime(int hh, int mm, int ss, std::int64_t julianDay = 2461164)
{
    wsjtx::WireDateTime t;
    t.julianDay = julianDay;
    t.msOfDay = static_cast<std::uint32_t>(((hh * 60 + mm) * 60 + ss) * 1000);
    t.timeSpec = 1;
    return t;
}

inline std::string statusDatagram(const std::string &dxCall, std::uint64_t hz,
                                  const std::string &mode, std::uint32_t schema = 3,
                                  const std::string &id = "WSJT-X")
{
    auto w = header(1, schema, id);
    w.u64(hz);
    w.utf8(mode);
    w.utf8(dxCall);
    w.utf8("-10");
    w.utf8(mode);
    w.boolean(true);
    w.boolean(false);
    w.boolean(false);
    w.u32(1500);
    w.u32(1200);
    w.utf8("JA1ZZZ");
    w.utf8("PM95");
    w.nullUtf8();
    w.boolean(false);
    w.nullUtf8();
    w.boolean(false);
    w.u8(0);
    w.u32(0xffffffffU);
    w.u32(15);
    w.utf8("Default");
    w.utf8("CQ JA1ZZZ PM95");
    return w.bytes();
}

inline std::string qsoLoggedDatagram(const std::string &dxCall, std::uint64_t hz,
                                     const std::string &mode, wsjtx::WireDateTime on,
                                     std::uint32_t schema = 3, const std::string &id = "WSJT-X")
{
    auto w = header(5, schema, id);
    wsjtx::WireDateTime off = on;
    off.msOfDay += 60'000;
    w.dateTime(off);
    w.utf8(dxCall);
    w.utf8("PM95");
    w.u64(hz);
    w.utf8(mode);
    w.utf8("-10");
    w.utf8("-12");
    w.utf8("50");
    w.utf8("tnx");
    w.utf8("Taro");
    w.dateTime(on);
    w.nullUtf8();
    w.utf8("JA1ZZZ");
    w.utf8("PM95");
    w.nullUtf8();
    w.nullUtf8();
    w.nullUtf8();
    return w.bytes();
}

inline std::string adifField(const std::string &name, const std::string &value)
{
    return "<" + name + ":" + std::to_string(value.size()) + ">" + value + " ";
}

// WSJT-X's own ADIF text for a contact on 2026-05-03.
inline std::string loggedAdifText(const std::string &call, const std::string &timeOn,
                                  const std::string &mode = "FT8",
                                  const std::string &freq = "7.075200")
{
    std::string submode;
    std::string adifMode = mode;
    if (mode == "FT4") {
        adifMode = "MFSK";
        submode = adifField("submode", "FT4");
    }
    return "\n<adif_ver:5>3.1.0\n<programid:6>WSJT-X\n<EOH>\n" + adifField("call", call) +
           adifField("gridsquare", "PM95") + adifField("mode", adifMode) + submode +
           adifField("rst_sent", "-10") + adifField("rst_rcvd", "-12") +
           adifField("qso_date", "20260503") + adifField("time_on", timeOn) +
           adifField("qso_date_off", "20260503") + adifField("time_off", timeOn) +
           adifField("band", "40m") + adifField("freq", freq) +
           adifField("station_callsign", "JA1ZZZ") + adifField("my_gridsquare", "PM95") + " <EOR>";
}

inline std::string loggedAdifDatagram(const std::string &adif, std::uint32_t schema = 3,
                                      const std::string &id = "WSJT-X")
{
    auto w = header(12, schema, id);
    w.utf8(adif);
    return w.bytes();
}

} // namespace vz::test
