// SPDX-License-Identifier: GPL-3.0-or-later
// Award progress, second step: the tally of a log set against the JCC master, one table per
// kind of place (cities, wards, districts), one row per prefecture 01 to 47.
//
// A prefecture's places are the master's places of that kind, in master order, then the
// worked codes the master does not list (a city since merged), in code order. Those count as
// worked but not in the total, so worked may pass the total. On the city table a city the
// master lists only through its wards (Tokyo's 23 wards, 1001xx, have no 1001 record) is one
// city, standing where its first ward stands; Tokyo's is named "東京都区部".
#pragma once

#include "awards/award_tally.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vz {
class DataDir;
}

namespace vz::awards {

constexpr int kPrefectureCount = 47;

// "北海道" .. "沖縄県" by prefecture number 1..47 (UTF-8); empty outside.
std::string_view prefectureName(int prefecture);

// A place of the master: its code and its name (Shift_JIS).
struct MasterPlace
{
    std::string code;
    std::string name;
};

// The places of every master file of the data directory, file by file in area order and each
// in file order (missing or unreadable files give none).
std::vector<MasterPlace> loadMasterPlaces(const DataDir &dataDir);

struct AwardPlace
{
    std::string code;
    std::string name; // Shift_JIS; empty for a code the master does not list
    bool inMaster = true;
    PlaceTally tally;
};

struct PrefectureRow
{
    int prefecture = 0;
    std::vector<AwardPlace> places;
    int worked = 0;
    int confirmed = 0;
    int total = 0; // the master's places
};

struct AwardTable
{
    AwardKind kind = AwardKind::City;
    std::array<PrefectureRow, kPrefectureCount> rows; // prefectures 1..47
    int worked = 0;
    int confirmed = 0;
    int total = 0;

    const PrefectureRow &row(int prefecture) const
    {
        return rows[static_cast<std::size_t>(prefecture - 1)];
    }
};

AwardTable buildAwardTable(AwardKind kind, const AwardTally &tally,
                           const std::vector<MasterPlace> &master);

} // namespace vz::awards
