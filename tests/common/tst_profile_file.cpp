// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/profile_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace vz;
using vz::test::sj;

TEST(ProfileFile, SectionsAndKeysIgnoreAsciiCaseAndValuesAreTrimmed)
{
    const auto p = ProfileFile::parse("[Main]\r\n  Func 1 =  CQ de JA1ABC  \r\nn=5\r\n");
    EXPECT_EQ(p.value("MAIN", "func 1"), "CQ de JA1ABC");
    EXPECT_EQ(p.integer("main", "N", 0), 5);
    EXPECT_FALSE(p.value("Main", "Func 2").has_value());
    EXPECT_EQ(p.text("Main", "Func 2", "dflt   "), "dflt");
}

TEST(ProfileFile, NonNumericIntegerGivesDefault)
{
    const auto p = ProfileFile::parse("[s]\na=12x\nb=\nc=-3\n");
    EXPECT_EQ(p.integer("s", "a", 7), 7);
    EXPECT_EQ(p.integer("s", "b", 7), 7);
    EXPECT_EQ(p.integer("s", "c", 7), -3);
    EXPECT_TRUE(p.boolean("s", "c", false));
}

TEST(ProfileFile, ShiftJisNamesAreNotFoldedThroughTheirTrailBytes)
{
    // ア is 83 41 and ヂ 83 61: folding the trail byte would make them equal.
    ProfileFile p;
    p.set(sj("ア"), "k", "1");
    EXPECT_TRUE(p.value(sj("ア"), "K").has_value());
    EXPECT_FALSE(p.value(sj("ヂ"), "k").has_value());
}

TEST(ProfileFile, RewriteKeepsUnknownLinesAndChangesOnlyTheValue)
{
    auto p = ProfileFile::parse("; comment\r\n[A]\r\nKEY=old\r\nother=x\r\n\r\n[B]\r\nz=1\r\n");
    p.set("a", "key", "new");
    p.set("A", "added", "v");
    p.set("C", "c", "3");
    EXPECT_EQ(p.serialize(),
              "; comment\r\n[A]\r\nKEY=new\r\nother=x\r\nadded=v\r\n\r\n[B]\r\nz=1\r\n"
              "[C]\r\nc=3\r\n");
}

TEST(ProfileFile, MissingFileIsEmptyAndSaveCreatesIt)
{
    vz::test::TempDir dir;
    auto p = ProfileFile::load(dir.file("new.ini"));
    ASSERT_TRUE(p.has_value());
    p->set("s", "k", "v");
    ASSERT_TRUE(p->save(dir.file("new.ini")));
    EXPECT_EQ(dir.read("new.ini"), "[s]\r\nk=v\r\n");
}
