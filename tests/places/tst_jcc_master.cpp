// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/jcc_master.h"

#include "common/data_dir.h"

#include "support/temp_dir.h"

#include <cstdlib>

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::places;
using test::sj;
using test::TempDir;

namespace {

JccMasterRecord city(const std::string &jcc, const std::string &name, const std::string &initial)
{
    JccMasterRecord r;
    r.setText(MasterText::JccNumber, jcc);
    r.setText(MasterText::CityName, sj(name));
    r.setText(MasterText::ShortCode, sj(initial));
    r.setText(MasterText::AreaMark, jcc.substr(0, 2));
    r.setText(MasterText::LatHemisphere, "N");
    r.setText(MasterText::LonHemisphere, "E");
    return r;
}

std::string bytesOf(std::initializer_list<JccMasterRecord> records)
{
    std::string out;
    for (const JccMasterRecord &r : records)
        out.append(r.bytes.data(), kMasterRecordSize);
    return out;
}

std::string shippedData()
{
    const char *env = std::getenv("VEZO_TEST_DATA");
    return std::string(env ? env : VEZO_SOURCE_DATA) + "/";
}

} // namespace

TEST(JccMaster, FileNamesOfTheElevenAreas)
{
    const std::pair<int, const char *> cases[] = {
        {0, "Master00.cty"}, {1, "Master01.cty"},  {8, "Master08.cty"},
        {9, "Master09.cty"}, {10, "Master10.cty"},
    };
    for (const auto &[area, name] : cases)
        EXPECT_EQ(masterFileName(area), name) << area;
}

TEST(JccMaster, RecordLayoutOffsetsAndSignedLittleEndianNumbers)
{
    JccMasterRecord r = city("110301", "川崎市川崎区", "か");
    r.setNumber(MasterNumber::LatDegrees, 35);
    r.setNumber(MasterNumber::LonSeconds, -2);
    r.setNumber(MasterNumber::LonDegrees, 300);
    EXPECT_EQ(std::string(r.bytes.data(), 8), std::string("110301\0\0", 8));
    EXPECT_EQ(std::string(r.bytes.data() + 8, 12), sj("川崎市川崎区"));
    EXPECT_EQ(r.bytes[8 + 12], '\0');
    EXPECT_EQ(std::string(r.bytes.data() + 33, 4), sj("か") + std::string(2, '\0'));
    EXPECT_EQ(r.bytes[41], 'N');
    EXPECT_EQ(r.bytes[50], 'E');
    EXPECT_EQ(static_cast<unsigned char>(r.bytes[44]), 35);
    EXPECT_EQ(static_cast<unsigned char>(r.bytes[52]), 300 & 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(r.bytes[53]), 300 >> 8);
    EXPECT_EQ(static_cast<unsigned char>(r.bytes[56]), 0xFE);
    EXPECT_EQ(static_cast<unsigned char>(r.bytes[57]), 0xFF);
    EXPECT_EQ(r.number(MasterNumber::LonSeconds), -2);
    EXPECT_EQ(r.position()[0], 35.0);

    // A name longer than 24 bytes is cut without splitting a kanji and keeps its NUL.
    r.setText(MasterText::CityName, sj("一二三四五六七八九十一二三"));
    EXPECT_EQ(r.cityName(), sj("一二三四五六七八九十一二"));
    // A field filled to its end without NUL (damaged data) still reads within its width.
    std::fill(r.bytes.begin() + 33, r.bytes.begin() + 37, 'x');
    EXPECT_EQ(r.shortCode(), "xxxx");
}

TEST(JccMaster, FileOf300BytesHoldsFiveRecordsAndMissingFileIsMissing)
{
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 5; ++i)
        bytes += bytesOf({city("100" + std::to_string(i), "市", "し")});
    bytes += std::string(10, '\x7f');
    ASSERT_EQ(bytes.size(), 300u);
    dir.write("Master01.cty", bytes);
    const MasterRecords all = readMasterFile(dir.file("Master01.cty"));
    EXPECT_EQ(all.result, MasterRead::Ok);
    EXPECT_EQ(all.records.size(), 5u);
    EXPECT_EQ(readMasterFile(dir.file("Master02.cty")).result, MasterRead::Missing);
}

TEST(JccMaster, LookupByInitialListsEveryMatchInFileOrder)
{
    TempDir dir;
    dir.write("Master01.cty", bytesOf({city("1105", "鎌倉市", "か"), city("1106", "藤沢市", "ふ"),
                                       city("1217", "柏市", "か"), city("1302", "川越市", "か"),
                                       city("1303", "熊谷市", "く")}));
    // The name is found whatever the case the file was copied with.
    DataDir data(dir.dataDir());
    const MasterRecords hits = findByShortCode(masterFilePath(data, 1), sj("か"));
    ASSERT_EQ(hits.records.size(), 3u);
    EXPECT_EQ(hits.records[0].cityName(), sj("鎌倉市"));
    EXPECT_EQ(hits.records[1].cityName(), sj("柏市"));
    EXPECT_EQ(hits.records[2].cityName(), sj("川越市"));
    EXPECT_TRUE(findByShortCode(masterFilePath(data, 1), sj("が")).records.empty());
    EXPECT_EQ(findByShortCode(masterFilePath(data, 3), sj("か")).result, MasterRead::Missing);
}

TEST(JccMaster, LookupByNumberUsesTheAreaOfTheNumberAndMatchesExactly)
{
    TempDir dir;
    dir.write("master01.cty", bytesOf({city("10010", "x", "x"), city("1001", "東京都", "と"),
                                       city("1001", "second", "s")}));
    DataDir data(dir.dataDir());
    const MasterRecords found = findByJccNumber(data, "1001");
    ASSERT_EQ(found.records.size(), 1u);
    EXPECT_EQ(found.records[0].cityName(), sj("東京都"));
    EXPECT_TRUE(findByJccNumber(data, "100").records.empty());
    EXPECT_EQ(findByJccNumber(data, "0101").result, MasterRead::Missing);
}

TEST(JccMaster, ShippedMastersAnswerBothLookups)
{
    DataDir data(shippedData());
    const std::tuple<const char *, const char *, int> cases[] = {
        {"0101", "札幌市", 43}, {"100101", "千代田区", 35}, {"4801", "ソウル", 37}};
    for (const auto &[jcc, name, lat] : cases) {
        const MasterRecords found = findByJccNumber(data, jcc);
        ASSERT_EQ(found.records.size(), 1u) << jcc;
        EXPECT_EQ(found.records[0].cityName(), sj(name));
        EXPECT_EQ(found.records[0].number(MasterNumber::LatDegrees), lat);
    }
    const MasterRecords ka = findByShortCode(masterFilePath(data, 1), sj("か"));
    ASSERT_GT(ka.records.size(), 10u);
    for (const JccMasterRecord &r : ka.records)
        EXPECT_EQ(r.shortCode(), sj("か"));
}
