// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/sjis.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

using namespace vz;

TEST(Sjis, RoundTripsJapaneseAndAscii)
{
    // 日本 in CP932 is 93 FA 96 7B; a machine without the codec fails here, not at a user's.
    const auto bytes = sjis::fromUtf8("JA1 日本ｱ");
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, std::string("JA1 \x93\xFA\x96\x7B\xB1"));
    EXPECT_EQ(sjis::toUtf8(*bytes), "JA1 日本ｱ");
    // CP932 extensions: the wave dash and full-width tilde used in Japanese text.
    EXPECT_EQ(sjis::toUtf8(*sjis::fromUtf8("～①")), "～①");
}

TEST(Sjis, RefusesCharactersOutsideShiftJis)
{
    EXPECT_FALSE(sjis::fromUtf8("é").has_value());
    EXPECT_FALSE(sjis::fromUtf8("😀").has_value());
}

TEST(Sjis, DamagedBytesDecodeAsReplacementNotTruncation)
{
    // A lead byte cut off at the end of a field.
    EXPECT_EQ(sjis::toUtf8(std::string("A\x81")), "A\xEF\xBF\xBD");
}

// toUtf8 looks characters up in a table taken from iconv: every byte, every pair of bytes and
// mixed texts with damage anywhere must decode exactly as iconv decodes them.
TEST(Sjis, TableDecodesEveryByteAndPairAsIconvDoes)
{
    for (int a = 0; a < 256; ++a) {
        const std::string one(1, static_cast<char>(a));
        ASSERT_EQ(sjis::toUtf8(one), sjis::toUtf8ThroughIconv(one)) << a;
        for (int b = 0; b < 256; ++b) {
            const std::string two{static_cast<char>(a), static_cast<char>(b)};
            ASSERT_EQ(sjis::toUtf8(two), sjis::toUtf8ThroughIconv(two)) << a << " " << b;
        }
    }
    std::mt19937 random(932);
    const std::string pieces[] = {"A",    " ",    "\x81", "\x82\xA0", "\x93\xFA", "\xB1", "\xFD",
                                  "\x80", "\xA0", "\xEF", "\x87\x40", "\xFC\x4B", "\x00"};
    for (int n = 0; n < 20000; ++n) {
        std::string text;
        for (std::size_t k = random() % 12; k-- > 0;) {
            const std::string &p = pieces[random() % std::size(pieces)];
            text += random() % 8 ? p : p.substr(0, 1); // sometimes half a character
        }
        ASSERT_EQ(sjis::toUtf8(text), sjis::toUtf8ThroughIconv(text));
    }
}

// fromUtf8 looks characters up in a table taken from iconv as well: every character of the
// Basic Multilingual Plane, and texts with malformed or unencodable pieces anywhere, must come
// out exactly as through iconv, failure included.
TEST(Sjis, TableEncodesEveryCharacterAsIconvDoes)
{
    const auto utf8Of = [](char32_t c) {
        std::string s;
        sjis::appendUtf8(s, c);
        return s;
    };
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const std::string text = "A" + utf8Of(c) + "\xE6\x97\xA5";
        ASSERT_EQ(sjis::fromUtf8(text), sjis::fromUtf8ThroughIconv(text))
            << std::hex << static_cast<std::uint32_t>(c);
    }
    std::mt19937 random(65001);
    const std::string pieces[] = {"A",
                                  "\xE6\x97\xA5",
                                  "\xEF\xBD\xB1",
                                  "\xC3\xA9",
                                  "\xE3\x80\x9C",
                                  "\xE2\x91\xA0",
                                  "\xE0\x80\x80",
                                  "\xED\xA0\x80",
                                  "\xC0\xAF",
                                  "\xF0\x9F\x98\x80",
                                  "\xEF\xBF\xBE",
                                  "\x80",
                                  "\xE6\x97",
                                  "\xC2\xA5",
                                  "\x00"};
    for (int n = 0; n < 20000; ++n) {
        std::string text;
        for (std::size_t k = random() % 10; k-- > 0;)
            text += pieces[random() % (random() % 4 ? 3 : std::size(pieces))];
        ASSERT_EQ(sjis::fromUtf8(text), sjis::fromUtf8ThroughIconv(text));
    }
}

TEST(Sjis, CutNeverSplitsADoubleByteCharacter)
{
    const std::string text = *sjis::fromUtf8("A東京都"); // 1 + 2 + 2 + 2 bytes
    EXPECT_EQ(sjis::cutToWidth(text, 7), text);
    EXPECT_EQ(sjis::cutToWidth(text, 6), text.substr(0, 5));
    EXPECT_EQ(sjis::cutToWidth(text, 4), text.substr(0, 3));
    EXPECT_EQ(sjis::cutToWidth(text, 0), "");
    // A lone lead byte at the end is dropped, never kept as half a character.
    EXPECT_EQ(sjis::cutToWidth(std::string("AB\x93"), 10), "AB");
}

TEST(Sjis, TrimKeepsTrailBytesThatLookLikeAscii)
{
    // ソ is 83 5C: its trail byte is a backslash, and 表 (95 5C) likewise.
    const std::string so = *sjis::fromUtf8("ソ");
    EXPECT_EQ(sjis::trimBlanks(" \t" + so + " \r\n"), so);
}
