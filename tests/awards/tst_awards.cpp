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
