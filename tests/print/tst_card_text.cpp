// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/card_text.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::print;
using log::Field;
using vz::test::sj;

namespace {

log::QsoRecord contact(const std::string &call, const std::string &area = "-",
                       const std::string &form = "-")
{
    log::QsoRecord r;
    r.setField(Field::Callsign, call);
    r.setField(Field::PortableArea, area);
    r.setField(Field::PortableForm, form);
    r.setField(Field::QsoDate, "05/12/31");
    r.setField(Field::OpName, "XX");
    r.setField(Field::Remarks, "-");
    return r;
}

CardText compose(const log::QsoRecord &r, int area = 1)
{
    app::UserSettings settings;
    settings.domesticRemark = sj("ありがとう");
    CardText card;
    composeCard(card, r, settings, "JA1ABC", area);
    return card;
}

} // namespace

TEST(CardText, BoxCharactersAndPortableDesignators)
{
    const CardText plain = compose(contact("JA1XXX"));
    EXPECT_EQ(plain[Slot::ToRadioCall], "JA1XXX");
    const char *expected[] = {"J", "A", "1", "X", "X", "X"};
    for (std::size_t i = 0; i < kBoxCount; ++i)
        EXPECT_EQ(plain[CardText::box(i)], expected[i]);

    const CardText five = compose(contact("JA1XX"));
    EXPECT_EQ(five[Slot::Box4], "X");
    EXPECT_EQ(five[Slot::Box5], "");

    const struct
    {
        const char *area;
        const char *form;
        const char *toRadio;
    } cases[] = {
        {"3", "-", "JX1XXX/3"}, {"2", "AM", "JX1XXX/2/AM"}, {"A", "KH6", "JX1XXX/KH6"},
        {"-", "AM", "JX1XXX"},  {"A", "-", "JX1XXX"},       {"", "-", "JX1XXX"},
        {"a", "-", "JX1XXX"},   {"3", "", "JX1XXX/3"},      {"A", "", "JX1XXX"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(compose(contact("JX1XXX", c.area, c.form))[Slot::ToRadioCall], c.toRadio)
            << c.area << " " << c.form;
}

TEST(CardText, DateIsCutIntoYearMonthAndDay)
{
    log::QsoRecord r = contact("JA1XXX");
    CardText card = compose(r);
    EXPECT_EQ(card[Slot::Year], "05");
    EXPECT_EQ(card[Slot::Month], "Dec.");
    EXPECT_EQ(card[Slot::Day], "31");

    r.setField(Field::QsoDate, "05/13/01");
    EXPECT_EQ(compose(r)[Slot::Month], "13");
    r.setField(Field::QsoDate, "05/01/02");
    EXPECT_EQ(compose(r)[Slot::Month], "Jan.");
    r.setField(Field::QsoDate, "-");
    card = compose(r);
    EXPECT_EQ(card[Slot::Year], "-");
    EXPECT_EQ(card[Slot::Month], "");
    EXPECT_EQ(card[Slot::Day], "");

    EXPECT_EQ(monthAbbrev("05"), "May.");
    EXPECT_EQ(monthAbbrev("00"), "00");
    EXPECT_EQ(monthAbbrev(""), "");
}

TEST(CardText, RemarksFollowTheCallArea)
{
    log::QsoRecord r = contact("W1AW");
    r.setField(Field::OpName, "-");
    app::UserSettings settings;
    CardText card;
    composeCard(card, r, settings, "JA1ABC", kForeignArea);
    EXPECT_EQ(card[Slot::StandardRemark], "Today I able to meet and good");
    EXPECT_EQ(card[Slot::AddressedRemark], "- Esq. Today I able to meet and good");

    const CardText domestic = compose(contact("JA1XXX"));
    EXPECT_EQ(domestic[Slot::AddressedRemark],
              std::string("XX") + "\x82\xB3\x82\xF1\x20" + sj("ありがとう"));
}

TEST(CardText, FixedPrefixesAndFieldReading)
{
    log::QsoRecord r = contact("JA1XXX");
    r.setField(Field::Mode, "CWCWCW");
    r.setField(Field::Power, "100");
    const CardText card = compose(r);
    EXPECT_EQ(card[Slot::Mode], "CWCWCW");
    EXPECT_EQ(card[Slot::Power], "100");
    // An empty place leaves the 14-byte prefix alone, which no layout prints.
    EXPECT_EQ(card[Slot::HisPortableLine],
              "\x8B\x4D\x8B\xC7\x88\xDA\x93\xAE\x92\x6E\x20\x81\x46\x20");
    EXPECT_EQ(card[Slot::KanjiAddressLine], "\x8F\x5A\x8F\x8A\x81\x40");
    EXPECT_EQ(card[Slot::LatinNameLine], "\x4F\x20\x50\x81\x40");
    EXPECT_EQ(card[Slot::OwnCall], "JA1ABC");

    CardText cleared = card;
    clearCard(cleared);
    EXPECT_EQ(cleared.cardCall, "");
    for (const std::string &s : cleared.slots)
        EXPECT_EQ(s, "");
}

// The slots a card takes straight from the record, and the fixed sample of the test card.
TEST(CardText, RecordSlotsAndTheTestCardSample)
{
    log::QsoRecord r = contact("JA1XXX");
    r.setField(Field::Frequency, "1296.100");
    r.setField(Field::HisRst, "599");
    r.setField(Field::StartTime, "21:05");
    const CardText card = compose(r);
    const std::pair<Slot, std::string> fromRecord[] = {
        {Slot::Frequency, "1296.100"},
        {Slot::Rst, "599"},
        {Slot::Time, "21:05"},
        {Slot::Year, "05"},
        {Slot::Day, "31"},
        {Slot::Month, "Dec."},
    };
    for (const auto &[slot, text] : fromRecord)
        EXPECT_EQ(card[slot], text) << static_cast<int>(slot);

    CardText sample = card;
    loadTestCard(sample);
    const std::pair<Slot, std::string> fixed[] = {
        {Slot::Year, "99"},         {Slot::Month, "Jun."},    {Slot::Day, "99"},
        {Slot::Frequency, "14Mhz"}, {Slot::Date, "99/99/99"}, {Slot::ToRadioCall, "JX1XXX/2/AM"},
    };
    for (const auto &[slot, text] : fixed)
        EXPECT_EQ(sample[slot], text) << static_cast<int>(slot);
    EXPECT_EQ(sample[Slot::Power], "100w");
}
