// SPDX-License-Identifier: GPL-3.0-or-later
#include "wsjtx/logged_contact.h"
#include "wsjtx/messages.h"

#include "wsjtx/datagrams.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace vz::wsjtx;
using vz::test::header;
using vz::test::utcTime;

TEST(WsjtxMessages, EachTypeInBothSchemas)
{
    for (const std::uint32_t schema : {2U, 3U}) {
        SCOPED_TRACE(schema);
        auto hb = header(0, schema, "JTDX");
        hb.u32(3);
        hb.utf8("2.6.1");
        hb.nullUtf8();
        Decoded d = decode(hb.bytes());
        ASSERT_TRUE(d.ok()) << d.error;
        EXPECT_EQ(d.schema, schema);
        const auto &h = std::get<Heartbeat>(d.message);
        EXPECT_EQ(h.id, "JTDX");
        EXPECT_EQ(h.maxSchema, 3U);
        EXPECT_EQ(h.version, "2.6.1");
        EXPECT_EQ(h.revision, ""); // null string

        d = decode(vz::test::statusDatagram("JA1ABC", 7'074'000, "FT8", schema));
        ASSERT_TRUE(d.ok()) << d.error;
        const auto &s = std::get<Status>(d.message);
        EXPECT_EQ(s.dialFrequency, 7'074'000U);
        EXPECT_EQ(s.mode, "FT8");
        EXPECT_EQ(s.dxCall, "JA1ABC");
        EXPECT_TRUE(s.txEnabled);
        EXPECT_EQ(s.deCall, "JA1ZZZ");
        EXPECT_EQ(s.dxGrid, "");

        d = decode(
            vz::test::qsoLoggedDatagram("BV1AA", 7'075'200, "FT4", utcTime(12, 34, 56), schema));
        ASSERT_TRUE(d.ok()) << d.error;
        const auto &q = std::get<QsoLogged>(d.message);
        EXPECT_EQ(q.dxCall, "BV1AA");
        EXPECT_EQ(q.txFrequency, 7'075'200U);
        EXPECT_EQ(q.timeOn.unixSeconds(), q.timeOff.unixSeconds().value() - 60);
        EXPECT_EQ(q.name, "Taro");
        EXPECT_EQ(q.myCall, "JA1ZZZ");
        EXPECT_EQ(q.operatorCall, "");

        d = decode(header(6, schema).bytes());
        ASSERT_TRUE(d.ok()) << d.error;
        EXPECT_EQ(std::get<Close>(d.message).id, "WSJT-X");

        d = decode(vz::test::loggedAdifDatagram("<call:5>BV1AA <EOR>", schema));
        ASSERT_TRUE(d.ok()) << d.error;
        EXPECT_EQ(std::get<LoggedAdif>(d.message).adif, "<call:5>BV1AA <EOR>");
    }
}

TEST(WsjtxMessages, TimesInUtcOffsetAndLocal)
{
    const std::int64_t noonUtc = (2461164LL - 2440588) * 86400 + 12 * 3600;
    WireDateTime offset = utcTime(21, 0, 0);
    offset.timeSpec = 2;
    offset.offsetSeconds = 9 * 3600;
    EXPECT_EQ(utcTime(12, 0, 0).unixSeconds(), noonUtc);
    EXPECT_EQ(offset.unixSeconds(), noonUtc);

    ::setenv("TZ", "Asia/Tokyo", 1);
    ::tzset();
    WireDateTime local = utcTime(21, 0, 0);
    local.timeSpec = 0;
    EXPECT_EQ(local.unixSeconds(), noonUtc);
    ::unsetenv("TZ");
    ::tzset();

    // The offset travels in the datagram and the fields after it are still found.
    auto w = header(5);
    w.dateTime(offset);
    w.utf8("JA1ABC");
    w.nullUtf8();
    w.u64(14'074'000);
    w.utf8("FT8");
    const Decoded d = decode(w.bytes());
    ASSERT_TRUE(d.ok()) << d.error;
    const auto &q = std::get<QsoLogged>(d.message);
    EXPECT_EQ(q.dxCall, "JA1ABC");
    EXPECT_EQ(q.timeOn.unixSeconds(), noonUtc); // no time on: the time off
    EXPECT_EQ(q.mode, "FT8");

    WireDateTime noTime = utcTime(0, 0, 0);
    noTime.msOfDay = 0xffffffffU;
    EXPECT_FALSE(noTime.unixSeconds());
}

TEST(WsjtxMessages, BrokenDatagramsAreDroppedWithAReason)
{
    const std::string logged =
        vz::test::qsoLoggedDatagram("JA1ABC", 7'075'200, "FT8", utcTime(1, 2, 3));
    std::string otherMagic = logged;
    otherMagic[0] = 0x00;
    auto longString = header(12);
    longString.u32(1000);
    longString.utf8("<call:3>K1A");
    auto zone = header(5);
    WireDateTime zoned = utcTime(1, 2, 3);
    zoned.timeSpec = 3;
    zone.dateTime(zoned);
    zone.utf8("JA1ABC");
    auto schema4 = header(0, 4);
    auto schema0 = header(0, 0);

    const struct
    {
        const char *what;
        std::string datagram;
    } cases[] = {
        {"empty", ""},
        {"header cut", logged.substr(0, 10)},
        {"no id", logged.substr(0, 12)},
        {"required field cut", logged.substr(0, 30)},
        {"optional field cut mid-way", logged.substr(0, logged.size() - 2)},
        {"other magic", otherMagic},
        {"string past the end", longString.bytes()},
        {"time zone", zone.bytes()},
        {"schema 4", schema4.bytes()},
        {"schema 0", schema0.bytes()},
        {"over 64 KiB", vz::test::loggedAdifDatagram(std::string(70'000, 'x'))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(decode(c.datagram).ok());
    }
    // Every cut of a contact either fails or keeps what it has in full.
    for (std::size_t n = 0; n < logged.size(); ++n) {
        const Decoded d = decode(logged.substr(0, n));
        if (d.ok()) {
            EXPECT_EQ(std::get<QsoLogged>(d.message).dxCall, "JA1ABC");
        }
    }
}

TEST(WsjtxMessages, UnknownTypesAndTrailingFieldsArePassedOver)
{
    auto decodeMsg = header(2);
    decodeMsg.boolean(true);
    Decoded d = decode(decodeMsg.bytes());
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(std::get<OtherType>(d.message).type, 2U);

    std::string status = vz::test::statusDatagram("JA1ABC", 50'313'000, "FT8");
    status += std::string(40, '\x7f');
    d = decode(status);
    ASSERT_TRUE(d.ok()) << d.error;
    EXPECT_EQ(std::get<Status>(d.message).dialFrequency, 50'313'000U);

    // The oldest heartbeat has only its id: schema 2 at most.
    d = decode(header(0, 2).bytes());
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(std::get<Heartbeat>(d.message).maxSchema, 2U);
}

TEST(WsjtxMessages, HeartbeatAnswer)
{
    const std::string bytes = encodeHeartbeat({"VEZODovi", 3, "1.0", ""}, 2);
    EXPECT_EQ(bytes.substr(0, 12), std::string("\xad\xbc\xcb\xda\0\0\0\x02\0\0\0\0", 12));
    const Decoded d = decode(bytes);
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d.schema, 2U);
    EXPECT_EQ(std::get<Heartbeat>(d.message).id, "VEZODovi");
    EXPECT_EQ(std::get<Heartbeat>(d.message).version, "1.0");
}

TEST(WsjtxContacts, AdifOfAQsoLogged)
{
    const struct
    {
        std::string mode;
        std::uint64_t hz;
        std::vector<std::string> want;
    } cases[] = {
        {"FT8",
         7'075'200,
         {"<CALL:6>JA1ABC", "<FREQ:5>7.075", "<MODE:3>FT8", "<QSO_DATE:8>20260503",
          "<TIME_ON:6>235930", "<NAME:4>Taro", "<GRIDSQUARE:4>PM95"}},
        {"FT4", 14'080'000, {"<FREQ:6>14.080", "<MODE:4>MFSK", "<SUBMODE:3>FT4"}},
    };
    for (const auto &c : cases) {
        QsoLogged m = std::get<QsoLogged>(
            decode(vz::test::qsoLoggedDatagram("JA1ABC", c.hz, c.mode, utcTime(23, 59, 30)))
                .message);
        const std::string adif = adifForQsoLogged(m);
        for (const auto &part : c.want)
            EXPECT_NE(adif.find(part), std::string::npos) << part << " in " << adif;
        EXPECT_EQ(adif.find("OPERATOR"), std::string::npos); // null strings are left out
    }
    const auto fromClient = adifForLoggedAdif(vz::test::loggedAdifText("JA1ABC", "235930"));
    ASSERT_TRUE(fromClient);
    EXPECT_NE(fromClient->find("<FREQ:5>7.075 "), std::string::npos) << *fromClient;
    EXPECT_FALSE(adifForLoggedAdif("no record here"));
}

TEST(WsjtxContacts, PairingOfQsoLoggedAndLoggedAdif)
{
    auto five = [](const std::string &call, const std::string &id = "WSJT-X") {
        return std::get<QsoLogged>(
            decode(vz::test::qsoLoggedDatagram(call, 7'075'200, "FT8", utcTime(10, 0, 15), 3, id))
                .message);
    };
    ContactPairing p;
    // 5 + 12 of one contact: the 12 alone.
    p.qsoLogged(five("JA1ABC"), 0);
    auto ready = p.loggedAdif({"WSJT-X", vz::test::loggedAdifText("JA1ABC", "100015")});
    ASSERT_TRUE(ready);
    EXPECT_EQ(ready->callsign, "JA1ABC");
    EXPECT_EQ(p.held(), 0U);

    // A 12 of another client or call leaves the 5 held until its time is up.
    p.qsoLogged(five("JA2XYZ"), 1000);
    p.qsoLogged(five("JA2XYZ", "JTDX"), 1500);
    EXPECT_TRUE(p.loggedAdif({"WSJT-X", vz::test::loggedAdifText("JA3AAA", "100015")}));
    EXPECT_TRUE(p.loggedAdif({"Other", vz::test::loggedAdifText("JA2XYZ", "100015")}));
    EXPECT_EQ(p.nextDue(), 3000);
    EXPECT_TRUE(p.expire(2999).empty());
    const auto due = p.expire(3000);
    ASSERT_EQ(due.size(), 1U);
    EXPECT_NE(due[0].adif.find("<CALL:6>JA2XYZ"), std::string::npos);
    EXPECT_EQ(p.flush().size(), 1U);
    EXPECT_FALSE(p.nextDue());
}

} // namespace
