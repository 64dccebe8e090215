// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/own_location.h"
#include "places/prefix_list.h"

#include "common/data_dir.h"
#include "common/sjis.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::places;
using test::sj;
using test::TempDir;

namespace {

JccMasterRecord place(const std::string &jcc, const char *lat, std::array<int, 6> numbers,
                      const char *lon)
{
    JccMasterRecord r;
    r.setText(MasterText::JccNumber, jcc);
    r.setText(MasterText::CityName, sj("名古屋市"));
    r.setText(MasterText::LatHemisphere, lat);
    r.setText(MasterText::LonHemisphere, lon);
    for (std::size_t i = 0; i < 6; ++i)
        r.setNumber(static_cast<MasterNumber>(i), static_cast<std::int16_t>(numbers[i]));
    return r;
}

std::string utf8(const std::string &sjisText)
{
    return sjis::toUtf8(sjisText);
}

} // namespace

TEST(OwnPlaces, PositionTextWordsAndPadding)
{
    EXPECT_EQ(utf8(positionText(place("2001", "N", {35, 5, 7, 136, 5, 7}, "E"))),
              "  北緯   35度  5分  7秒    東経  136度 05分 07秒");
    EXPECT_EQ(utf8(positionText(place("4801", "S", {33, 52, 4, 151, 12, 36}, "W"))),
              "  南緯   33度 52分  4秒    西経  151度 12分 36秒");
    // Another letter gives no word; the blanks around it stay.
    EXPECT_EQ(utf8(positionText(place("4802", "X", {1, 2, 3, 4, 5, 6}, ""))),
              "      1度  2分  3秒        4度 05分 06秒");
}

TEST(OwnPlaces, LookupFindsTheFirstExactNumberAndMissingFilesFindNothing)
{
    TempDir dir;
    JccMasterRecord first = place("2001", "N", {35, 10, 50, 136, 54, 24}, "E");
    JccMasterRecord second = place("2001", "N", {1, 1, 1, 1, 1, 1}, "E");
    std::string bytes(first.bytes.data(), kMasterRecordSize);
    bytes.append(second.bytes.data(), kMasterRecordSize);
    dir.write("Master02.cty", bytes);
    const DataDir data(dir.dataDir());

    const OwnCity found = lookupOwnCity(data, "2001");
    ASSERT_TRUE(found.found);
    EXPECT_EQ(found.city, sj("名古屋市"));
    EXPECT_EQ(found.spot, (std::array<double, 6>{35, 10, 50, 136, 54, 24}));
    EXPECT_EQ(utf8(found.positionText), "  北緯   35度 10分 50秒    東経  136度 54分 24秒");
    EXPECT_FALSE(lookupOwnCity(data, "200").found);
    EXPECT_FALSE(lookupOwnCity(data, "1001").found); // Master01.cty is not there
}

TEST(OwnPlaces, PrefixListEditsAndWritesTheFileWhole)
{
    TempDir dir;
    dir.installPrefixTable();
    const std::string shipped = dir.read("PreFix.CFG");
    PrefixList list;
    ASSERT_TRUE(list.load(dir.file("PreFix.CFG")));
    ASSERT_EQ(list.lines().size(), 17u);
    // The file comes back byte for byte when nothing changed.
    EXPECT_EQ(PrefixList::serialize(list.lines()), shipped);
    EXPECT_EQ(list.lines()[0], "7K1 01 " + sj("関東"));

    EXPECT_EQ(list.add(list.lines()[3]), PrefixList::AddResult::Exists);
    EXPECT_EQ(list.add(""), PrefixList::AddResult::Empty);
    EXPECT_EQ(list.lines().size(), 17u);

    // Before any pick, removing takes the first line.
    const std::string second = list.lines()[1];
    EXPECT_TRUE(list.removePicked());
    EXPECT_EQ(list.lines()[0], second);
    list.pick(16);
    EXPECT_FALSE(list.removePicked()); // beyond the end: nothing happens
    EXPECT_FALSE(list.replacePicked("8J1 01"));
    EXPECT_EQ(list.lines().size(), 16u);
    list.pick(0);
    EXPECT_TRUE(list.replacePicked("8J1 01"));
    EXPECT_EQ(list.add("8N1 01"), PrefixList::AddResult::Added);

    ASSERT_TRUE(list.save(dir.file("PreFix.CFG")));
    const std::string saved = dir.read("PreFix.CFG");
    EXPECT_TRUE(saved.starts_with("8J1 01\r\n"));
    EXPECT_TRUE(saved.ends_with("8N1 01\r\n"));
    EXPECT_EQ(PrefixList::parse(saved), list.lines());

    // A list that cannot be written leaves the file as it was.
    list.add("8N2 01");
    EXPECT_FALSE(list.save(dir.path() + "/no-such-folder/PreFix.CFG"));
    EXPECT_EQ(dir.read("PreFix.CFG"), saved);
}
