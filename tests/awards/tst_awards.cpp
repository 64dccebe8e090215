// SPDX-License-Identifier: GPL-3.0-or-later
#include "awards/award_table.h"
#include "awards/award_tally.h"
#include "log/confirmation_mark.h"

#include "common/data_dir.h"
#include "common/progress.h"
#include "log/log_file.h"
#include "places/jcc_master.h"

#include "awards/award_fixtures.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::log;
using namespace vz::awards;
using namespace vz::test;

namespace {

AwardTally tallied(const TempDir &dir, std::string_view mark)
{
    AwardTally tally;
    NoProgress quiet;
    EXPECT_EQ(tallyAwards(dir.file("JA1ZZZ.DAT"), mark, quiet, tally), TallyResult::Ok);
    return tally;
}

struct PlaceLine
{
    std::string code;
    bool inMaster;
    bool worked;
    bool confirmed;
    std::int32_t first;
    std::int32_t firstConfirmed;
};

std::vector<PlaceLine> linesOf(const PrefectureRow &row)
{
    std::vector<PlaceLine> out;
    for (const AwardPlace &p : row.places)
        out.push_back({p.code, p.inMaster, p.tally.worked(), p.tally.confirmed(),
                       p.tally.firstRecord, p.tally.firstConfirmed});
    return out;
}

bool operator==(const PlaceLine &a, const PlaceLine &b)
{
    return a.code == b.code && a.inMaster == b.inMaster && a.worked == b.worked &&
           a.confirmed == b.confirmed && a.first == b.first && a.firstConfirmed == b.firstConfirmed;
}

void PrintTo(const PlaceLine &l, std::ostream *os)
{
    *os << l.code << (l.inMaster ? "" : "(not in master)") << " w" << l.worked << " c"
        << l.confirmed << " first " << l.first << " confirmed " << l.firstConfirmed;
}

} // namespace

TEST(ConfirmationMark, ComparedByWholeShiftJisCharacters)
{
    struct Case
    {
        std::string userMark;
        std::string mark;
        bool holds;
    };
    const Case cases[] = {
        {sj("受"), sj("受"), true},
        {sj("QSL受済"), sj("受"), true},
        {sj("ア"), "A", false}, // the trail byte of "ア" is 0x41
        {sj("アA"), "A", true},
        {sj("受"), "\xf3", false}, // the trail byte alone is no character
        {"-", sj("受"), false},
        {sj("受"), "", false}, // an empty mark confirms nothing
        {"ABC", "BC", true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(holdsConfirmationMark(c.userMark, c.mark), c.holds)
            << c.userMark << " / " << c.mark;
}

TEST(AwardTally, PlacesOfContactsAndWhatCountsNowhere)
{
    TempDir dir;
    writeLog(dir, sharedLog());
    const AwardTally tally = tallied(dir, kDefaultConfirmationMark);
    EXPECT_EQ(tally.liveContacts, 12);
    EXPECT_EQ(tally.notCounted, 2); // 4801 and "ABC"
    EXPECT_EQ(tally.noPlace, 2);    // "-" and a portable contact without a portable JCC

    struct Expect
    {
        AwardCode code;
        std::int32_t contacts;
        std::int32_t first;
        std::int32_t firstConfirmed;
    };
    const Expect expects[] = {
        {{AwardKind::Ward, 100101}, 2, 1, 11},
        {{AwardKind::Ward, 100102}, 1, 2, 2},
        {{AwardKind::City, 1001}, 3, 1, 2}, // through its wards
        {{AwardKind::City, 1002}, 1, 4, 4}, // portable: the portable JCC counts
        {{AwardKind::City, 1099}, 1, 5, 0},
        {{AwardKind::City, 101}, 1, 10, 0}, // not portable: the fixed JCC counts
        {{AwardKind::District, 11001}, 2, 6, 0},
    };
    for (const Expect &e : expects) {
        SCOPED_TRACE(e.code.text());
        const PlaceTally *t = tally.find(e.code);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->contacts, e.contacts);
        EXPECT_EQ(t->firstRecord, e.first);
        EXPECT_EQ(t->firstConfirmed, e.firstConfirmed);
    }
    EXPECT_EQ(tally.find({AwardKind::City, 1101}), nullptr); // record 10's portable JCC
    EXPECT_EQ(tally.find({AwardKind::City, 4801}), nullptr);
}

TEST(AwardTally, TheMarkSettingDecidesWhatIsConfirmed)
{
    TempDir dir;
    writeLog(dir, sharedLog());
    // "A": record 6's "ア" holds no A; record 13's "xA" does.
    const AwardTally byA = tallied(dir, "A");
    EXPECT_EQ(byA.find({AwardKind::District, 11001})->firstConfirmed, 13);
    EXPECT_EQ(byA.find({AwardKind::City, 1001})->firstConfirmed, 0);
    const AwardTally none = tallied(dir, "");
    EXPECT_EQ(none.find({AwardKind::City, 1001})->firstConfirmed, 0);
}

// Each place text through the pass's own reader of records and through readPlace: both agree
// on what is an award place and which; a portable contact counts at its portable place when
// its area is a digit or "A" in either letter case.
TEST(AwardTally, EveryPlaceTextCountsAsReadPlaceReadsIt)
{
    const struct
    {
        Contact contact;
        PlaceReading::Kind kind;
        AwardCode code;
    } cases[] = {
        {{"JA1AAA", "0101"}, PlaceReading::Code, {AwardKind::City, 101}},
        {{"JA1AAA", "4701"}, PlaceReading::Code, {AwardKind::City, 4701}},
        {{"JA1AAA", "470101"}, PlaceReading::Code, {AwardKind::Ward, 470101}},
        {{"JA1AAA", "47001"}, PlaceReading::Code, {AwardKind::District, 47001}},
        {{"JA1AAA", "0001"}, PlaceReading::NotAward, {}},
        {{"JA1AAA", "4801"}, PlaceReading::NotAward, {}},
        {{"JA1AAA", "1001X"}, PlaceReading::NotAward, {}},
        {{"JA1AAA", "10010X"}, PlaceReading::NotAward, {}},
        {{"JA1AAA", "100"}, PlaceReading::NotAward, {}},
        {{"JA1AAA", "-"}, PlaceReading::None, {}},
        {{"JA1AAA", ""}, PlaceReading::None, {}},
        {{"JA1AAA", "0101", "", "0", "4701"}, PlaceReading::Code, {AwardKind::City, 4701}},
        {{"JA1AAA", "0101", "", "A", "110101"}, PlaceReading::Code, {AwardKind::Ward, 110101}},
        {{"JA1AAA", "0101", "", "a", "11001"}, PlaceReading::Code, {AwardKind::District, 11001}},
        {{"JA1AAA", "0101", "", "P", "1101"}, PlaceReading::Code, {AwardKind::City, 101}},
        {{"JA1AAA", "0101", "", "9", "4801"}, PlaceReading::NotAward, {}},
    };
    for (const auto &c : cases) {
        const Contact &contact = c.contact;
        SCOPED_TRACE(contact.fixedJcc + " / " + contact.portableArea + " " + contact.portableJcc);
        if (contact.portableArea.empty()) {
            const PlaceReading slow = readPlace(contact.fixedJcc);
            EXPECT_EQ(slow.kind, c.kind);
            if (slow.kind == PlaceReading::Code) {
                EXPECT_EQ(slow.code.text(), c.code.text());
            }
        }
        TempDir dir;
        writeLog(dir, {contact});
        const AwardTally tally = tallied(dir, kDefaultConfirmationMark);
        EXPECT_EQ(tally.noPlace, c.kind == PlaceReading::None ? 1 : 0);
        EXPECT_EQ(tally.notCounted, c.kind == PlaceReading::NotAward ? 1 : 0);
        if (c.kind == PlaceReading::Code) {
            const PlaceTally *t = tally.find(c.code);
            ASSERT_NE(t, nullptr);
            EXPECT_EQ(t->firstRecord, 1);
        }
    }
}

// Places first met beyond the first read of the log, two contacts confirming one place, and a
// user who has no log yet.
TEST(AwardTally, RecordNumbersHoldAcrossReadsAndTheFirstConfirmationIsKept)
{
    TempDir dir;
    std::vector<Contact> log(1100, Contact{"JA1AAA", "0101"}); // past one read of 1024
    log[1049] = {"JA1AAB", "4701", sj("受")};
    log[1079] = {"JA1AAC", "4701", sj("受")};
    log[1099] = {"JA1AAD", "110101"};
    writeLog(dir, log);
    const AwardTally tally = tallied(dir, kDefaultConfirmationMark);
    EXPECT_EQ(tally.liveContacts, 1100);
    const PlaceTally *okinawa = tally.find({AwardKind::City, 4701});
    ASSERT_NE(okinawa, nullptr);
    EXPECT_EQ(okinawa->contacts, 2);
    EXPECT_EQ(okinawa->firstRecord, 1050);
    EXPECT_EQ(okinawa->firstConfirmed, 1050);
    ASSERT_NE(tally.find({AwardKind::City, 1101}), nullptr);
    EXPECT_EQ(tally.find({AwardKind::City, 1101})->firstRecord, 1100);
    EXPECT_EQ(tally.find({AwardKind::City, 101})->contacts, 1097);

    TempDir empty;
    AwardTally none;
    NoProgress quiet;
    EXPECT_EQ(tallyAwards(empty.file("JA1ZZZ.DAT"), kDefaultConfirmationMark, quiet, none),
              TallyResult::Ok);
    EXPECT_EQ(none.liveContacts + none.notCounted + none.noPlace, 0);
    EXPECT_TRUE(none.codes(AwardKind::City).empty());
}

// Far more places than the table is first made for: every one is kept, and looking up a
// place never noted ends.
TEST(AwardTally, TheTableGrowsPastItsFirstSize)
{
    AwardTally tally;
    std::int32_t record = 0;
    for (std::uint32_t prefecture = 1; prefecture <= 47; ++prefecture)
        for (std::uint32_t city = 1; city <= 99; ++city)
            tally.add({AwardKind::City, prefecture * 100 + city}, ++record, city % 2 == 0);
    ASSERT_EQ(record, 47 * 99);
    const auto cities = tally.codes(AwardKind::City);
    ASSERT_EQ(cities.size(), 47u * 99u);
    for (std::size_t i = 0; i < cities.size(); ++i) {
        EXPECT_EQ(cities[i].second.firstRecord, static_cast<std::int32_t>(i + 1));
        const PlaceTally *t = tally.find(cities[i].first);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->firstRecord, static_cast<std::int32_t>(i + 1));
    }
    EXPECT_EQ(tally.find({AwardKind::City, 4700}), nullptr);
    EXPECT_EQ(tally.find({AwardKind::Ward, 470199}), nullptr);
}

TEST(AwardTable, MasterOrderWardsForTheirCityAndMergedCities)
{
    TempDir dir;
    writeLog(dir, sharedLog());
    writeMasters(dir);
    const AwardTally tally = tallied(dir, kDefaultConfirmationMark);
    const std::vector<MasterPlace> master = loadMasterPlaces(DataDir(dir.dataDir()));

    const AwardTable cities = buildAwardTable(AwardKind::City, tally, master);
    // Tokyo: its wards make one city, named so, where its first ward stands; the merged city
    // follows the master's places and is worked beyond the total.
    const PrefectureRow &tokyo = cities.row(10);
    EXPECT_EQ(linesOf(tokyo), (std::vector<PlaceLine>{{"1001", true, true, true, 1, 2},
                                                      {"1002", true, true, true, 4, 4},
                                                      {"1099", false, true, false, 5, 0}}));
    EXPECT_EQ(tokyo.places[0].name, sj("東京都区部"));
    EXPECT_EQ(tokyo.worked, 3);
    EXPECT_EQ(tokyo.confirmed, 2);
    EXPECT_EQ(tokyo.total, 2);
    EXPECT_EQ(linesOf(cities.row(11)),
              (std::vector<PlaceLine>{{"1101", true, false, false, 0, 0}}));
    EXPECT_EQ(linesOf(cities.row(1)), (std::vector<PlaceLine>{{"0101", true, true, false, 10, 0}}));
    EXPECT_EQ(cities.worked, 4);
    EXPECT_EQ(cities.confirmed, 2);
    EXPECT_EQ(cities.total, 4);
    EXPECT_TRUE(cities.row(47).places.empty());

    const AwardTable wards = buildAwardTable(AwardKind::Ward, tally, master);
    EXPECT_EQ(linesOf(wards.row(10)), (std::vector<PlaceLine>{{"100101", true, true, true, 1, 11},
                                                              {"100102", true, true, true, 2, 2}}));
    EXPECT_EQ(wards.row(11).total, 2);
    EXPECT_EQ(wards.row(11).worked, 0);

    const AwardTable districts = buildAwardTable(AwardKind::District, tally, master);
    EXPECT_EQ(linesOf(districts.row(11)),
              (std::vector<PlaceLine>{{"11001", true, true, false, 6, 0}}));
    EXPECT_EQ(linesOf(districts.row(1)),
              (std::vector<PlaceLine>{{"01006", true, false, false, 0, 0}}));
    EXPECT_EQ(districts.total, 2);
}

// A city the master knows only through its wards keeps its whole name up to "市"; the master of
// call area 0 (Master00) is read like the others.
TEST(AwardTable, CitiesKnownByTheirWardsAndTheMasterOfAreaZero)
{
    TempDir dir;
    writeLog(dir, {{"JA2AAA", "180602"}, {"JA0AAA", "0901"}});
    writeMaster(dir, "Master02.cty", {{"180601", "浜松市中区"}, {"180602", "浜松市東区"}});
    writeMaster(dir, "Master00.cty", {{"0901", "長野市"}, {"0902", "松本市"}});
    const AwardTally tally = tallied(dir, kDefaultConfirmationMark);
    const AwardTable cities =
        buildAwardTable(AwardKind::City, tally, loadMasterPlaces(DataDir(dir.dataDir())));
    ASSERT_EQ(linesOf(cities.row(18)), (std::vector<PlaceLine>{{"1806", true, true, false, 1, 0}}));
    EXPECT_EQ(cities.row(18).places[0].name, sj("浜松市"));
    EXPECT_EQ(linesOf(cities.row(9)), (std::vector<PlaceLine>{{"0901", true, true, false, 2, 0},
                                                              {"0902", true, false, false, 0, 0}}));
    EXPECT_EQ(cities.total, 3);
    EXPECT_EQ(cities.worked, 2);
}
