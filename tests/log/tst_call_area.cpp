// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/call_area.h"
#include "log/prefix_table.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace vz::log;

struct CallCase
{
    const char *call;
    int area;
};

class ClassifyWithoutTable : public ::testing::TestWithParam<CallCase>
{
};

TEST_P(ClassifyWithoutTable, GivesArea)
{
    const PrefixTable empty;
    EXPECT_EQ(classifyCallArea(GetParam().call, empty), GetParam().area) << GetParam().call;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ClassifyWithoutTable,
    ::testing::Values(CallCase{"JA1ABC", 1}, CallCase{"JR6XYZ", 6}, CallCase{"JD1ABC", 10},
                      CallCase{"8J3A", 3}, CallCase{"8N1ABC", 10}, CallCase{"W1AW", 10},
                      CallCase{"JAXABC", 10}, CallCase{"jA1ABC", 1}, CallCase{"8j5X", 5},
                      CallCase{"ja1abc", 10}, // second letter must be upper case
                      CallCase{"JT1ABC", 10}, CallCase{"JS0XYZ", 0}, CallCase{"JE", 10},
                      CallCase{"", 10}, CallCase{"8JA", 10}));

TEST(PrefixTable, ListedPrefixWinsAndFirstLineWins)
{
    PrefixTable table;
    table.loadFromBytes(
        "7K1 01 Kanto\r\nJD1 10 Ogasawara\r\n7K1 03 later line\r\nja1 05 lower\r\n");
    EXPECT_EQ(classifyCallArea("7K1ABC", table), 1);
    EXPECT_EQ(classifyCallArea("JD1ABC", table), 10);
    // Case-sensitive: "ja1" lists only lower-case callsigns.
    EXPECT_EQ(classifyCallArea("ja1abc", table), 5);
    EXPECT_EQ(classifyCallArea("JA1ABC", table), 1);
}

TEST(PrefixTable, LinesWithoutAValidAreaAreSkipped)
{
    PrefixTable table;
    table.loadFromBytes("8N1 xx bad\n8N1 11 too big\n8N1 7\n8N1 04 good\nJR6 -1\n");
    EXPECT_EQ(classifyCallArea("8N1ABC", table), 4);
    EXPECT_EQ(classifyCallArea("JR6XYZ", table), 6);
}

TEST(PrefixTable, ShortPrefixMatchesShortCallsignOnly)
{
    PrefixTable table;
    table.loadFromBytes("AB  03\n");
    EXPECT_EQ(classifyCallArea("AB", table), 10); // "AB " is not "AB"
}

TEST(PrefixTable, ShippedTableReadFromFileAndReloadedWhenItChanges)
{
    vz::test::TempDir dir;
    dir.installPrefixTable();
    PrefixTable table(dir.file("PreFix.CFG"));
    table.refreshIfChanged();
    EXPECT_EQ(classifyCallArea("7K1ABC", table), 1);
    dir.write("PreFix.CFG", "7K1 09\r\n");
    table.refreshIfChanged();
    EXPECT_EQ(classifyCallArea("7K1ABC", table), 9);
}

struct JccCase
{
    const char *jcc;
    int area;
};

class JccArea : public ::testing::TestWithParam<JccCase>
{
};

TEST_P(JccArea, GivesArea)
{
    EXPECT_EQ(jccAreaOf(GetParam().jcc), GetParam().area) << GetParam().jcc;
}

INSTANTIATE_TEST_SUITE_P(Prefectures, JccArea,
                         ::testing::Values(JccCase{"10", 1}, JccCase{"1001", 1}, JccCase{"01", 8},
                                           JccCase{"4701", 6}, JccCase{"48", 10}, JccCase{"9", 10},
                                           JccCase{"AB", 10}, JccCase{"00", 0}, JccCase{"0701", 7},
                                           JccCase{"09", 0}, JccCase{"2101", 2}, JccCase{"27", 3},
                                           JccCase{"30010", 9}, JccCase{"35", 4},
                                           JccCase{"3901", 5}, JccCase{"1A", 10}, JccCase{"", 10}));
