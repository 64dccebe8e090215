// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/qso_record.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace vz::log;
using vz::test::sj;

namespace {

FieldTexts textsWith(std::initializer_list<std::pair<Field, std::string>> values)
{
    FieldTexts texts;
    for (const auto &[f, v] : values)
        texts[static_cast<std::size_t>(f)] = v;
    return texts;
}

} // namespace

TEST(QsoRecord, LayoutCoversTheRecordWithoutGaps)
{
    std::size_t next = 0;
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        const FieldSpec &place = fieldSpec(static_cast<Field>(i));
        EXPECT_EQ(place.offset, next) << "field " << i;
        next = place.offset + place.width;
    }
    EXPECT_EQ(next, kQslFlagOffset);
    EXPECT_EQ(fieldSpec(Field::Mode).offset, 134u);
    EXPECT_EQ(fieldSpec(Field::EndTime).offset, 247u);
}

TEST(QsoRecord, FirstRegistrationMarksEveryEmptyFieldWithADash)
{
    const QsoRecord r = buildRecord(
        textsWith({{Field::Callsign, "JA1ABC"}, {Field::EndTime, "12:34"}}), true, true);
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        const auto f = static_cast<Field>(i);
        if (f == Field::Callsign || f == Field::EndTime)
            continue;
        const FieldSpec &place = fieldSpec(f);
        EXPECT_EQ(r.bytes[place.offset], '-') << "field " << i;
        EXPECT_EQ(r.bytes[place.offset + 1], '\0') << "field " << i;
    }
    EXPECT_EQ(std::string(r.bytes.data(), 7), std::string("JA1ABC\0", 7));
    EXPECT_EQ(std::string(r.bytes.data() + 247, 6), std::string("12:34\0", 6));
    EXPECT_EQ(r.bytes[253], 1);
    EXPECT_FALSE(r.isDeleted());
}

TEST(QsoRecord, SixCharacterModeFillsItsFieldAndDoesNotRunIntoPower)
{
    const QsoRecord r =
        buildRecord(textsWith({{Field::Mode, "PACKET"}, {Field::Power, "50W"}}), false, false);
    EXPECT_EQ(std::string(r.bytes.data() + 134, 9), "PACKET50W");
    EXPECT_EQ(r.field(Field::Mode), "PACKET");
    EXPECT_EQ(r.field(Field::Power), "50W");
}

// Texts are read several bytes at a time: the first NUL at any place, or none, with high bytes
// and other texts around, must give the same text as reading byte by byte.
TEST(QsoRecord, FieldEndsAtItsFirstNulWhereverItLies)
{
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        const auto f = static_cast<Field>(i);
        const FieldSpec &place = fieldSpec(f);
        for (std::size_t nul = 0; nul <= place.width; ++nul) {
            QsoRecord r;
            r.bytes.fill('\x81'); // neighbours without a NUL
            for (std::size_t k = 0; k < place.width; ++k)
                r.bytes[place.offset + k] = static_cast<char>(k % 2 ? 0xFF : 0x01);
            if (nul < place.width) {
                r.bytes[place.offset + nul] = '\0';
                if (nul + 1 < place.width)
                    r.bytes[place.offset + nul + 1] = '\0';
            }
            const std::string_view text = r.field(f);
            EXPECT_EQ(text.data(), r.bytes.data() + place.offset);
            EXPECT_EQ(text.size(), std::min(nul, place.width))
                << "field " << i << " NUL at " << nul;
        }
    }
}

TEST(QsoRecord, TwelveKanjiCityFillsFieldUpToItsNul)
{
    const std::string city = sj("北海道札幌市中央区南一条西");
    ASSERT_EQ(city.size(), 26u); // 13 kanji: one too many
    QsoRecord r;
    r.setField(Field::FixedQth, city);
    EXPECT_EQ(r.field(Field::FixedQth), city.substr(0, 24));
    EXPECT_NE(r.bytes[51], '\0');
    EXPECT_EQ(r.bytes[52], '\0');
    // A 23-byte limit on a double-byte text drops the whole last character.
    r.setField(Field::OpName, sj("あいうえおかきく")); // 16 bytes into 14
    EXPECT_EQ(r.field(Field::OpName), sj("あいうえおかき"));
}

TEST(QsoRecord, ModifiedRecordKeepsEmptyFieldsEmptyAndTrimsBlanks)
{
    const QsoRecord r = buildRecord(textsWith({{Field::Callsign, "  jh1xyz \t"}}), false, false);
    EXPECT_EQ(r.field(Field::Callsign), "jh1xyz");
    EXPECT_EQ(r.field(Field::Memo), "");
    EXPECT_EQ(r.bytes[191], '\0');
}

TEST(QsoRecord, DeletedRecordHasDashesAndKeepsTheQslFlag)
{
    const QsoRecord r = buildDeletedRecord(true);
    EXPECT_TRUE(r.isDeleted());
    for (std::size_t i = 0; i < kTextFieldCount; ++i)
        EXPECT_EQ(r.field(static_cast<Field>(i)), "-");
    EXPECT_EQ(r.qslFlag(), 1);
}
