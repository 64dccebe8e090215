// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/user_settings.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace vz::app;
using vz::test::sj;
using vz::test::TempDir;

TEST(UserSettings, NewUserStartsWithTheDefaults)
{
    TempDir dir;
    const LoadedSettings loaded = readUserSettings(dir.file("JA1ABC.ini"));
    const UserSettings &s = loaded.settings;
    EXPECT_TRUE(loaded.readable);
    EXPECT_EQ(s.cardNo, "1");
    EXPECT_EQ(s.foreignRemark, "Today I able to meet and good");
    EXPECT_EQ(s.kanjiName, "");
    EXPECT_EQ(s.fixedStrings[9], "");
    EXPECT_FALSE(s.mobileOperation || s.historyFill || s.autoDateTime || s.keyClick ||
                 s.flatWindow);
    EXPECT_EQ(s.fixedSpot, SpotCoordinates{});
    EXPECT_EQ(loaded.reference.referenceCall, "");
    EXPECT_FALSE(loaded.reference.referenceOn);
    EXPECT_FALSE(loaded.reference.deletedFlag);
}

TEST(UserSettings, WrittenFileIsShiftJisProfileInKeyOrderWithSpotsInterleaved)
{
    TempDir dir;
    UserSettings s;
    s.fixedStrings[0] = "CQ";
    s.fixedStrings[9] = "TU";
    s.kanjiName = sj("山田太郎");
    s.fixedSpot = {35, 41, 22.9, 139, 41, 30.7};
    s.mobileSpot = {43, 3, 0, 141, 21, 0};
    ASSERT_TRUE(writeUserSettings(dir.file("A.ini"), s, {"JA2XYZ", true, false}));
    const std::string bytes = dir.read("A.ini");
    EXPECT_EQ(bytes.rfind(sj("[定型文字列]\r\nFunc 1=CQ\r\nFunc 2=\r\n"), 0), 0u);
    EXPECT_NE(bytes.find("Func10=TU\r\n" + sj("[個人情報]\r\n固定JCC=\r\n漢字氏名=山田太郎\r\n")),
              std::string::npos);
    EXPECT_NE(bytes.find(sj("カードＮｏ=1\r\n")), std::string::npos);
    // Spot values are written as integers, fixed and mobile interleaved.
    EXPECT_NE(bytes.find(
                  sj("移動運用=0\r\n固定スポット1=35\r\n移動スポット1=43\r\n固定スポット2=41\r\n")),
              std::string::npos);
    EXPECT_NE(bytes.find(sj("固定スポット3=22\r\n")), std::string::npos);
    EXPECT_NE(bytes.find(sj("[同時参照]\r\n参照コール=JA2XYZ\r\n参照フラグ=1\r\n削除フラグ=0\r\n")),
              std::string::npos);
    EXPECT_EQ(bytes.find('\xEF'), std::string::npos) << "no UTF-8 may reach the file";
}

TEST(UserSettings, WriteThenReadLeavesEveryValueExceptBlanksAndFractions)
{
    TempDir dir;
    UserSettings s;
    for (int i = 0; i < 10; ++i)
        s.fixedStrings[i] = "F" + std::to_string(i) + sj("定型");
    s.latinName = "  Taro Yamada  ";
    s.domesticRemark = sj("またよろしく");
    s.foreignRemark = "TNX QSO";
    s.cardNo = "1234";
    s.mobileOperation = true;
    s.fixedSpot = {35, 41, 22.9, 139, 41, 30.7};
    s.historyFill = s.keyClick = s.reserve2 = true;
    ASSERT_TRUE(writeUserSettings(dir.file("A.ini"), s, {"JA2XYZ", false, true}));
    const LoadedSettings back = readUserSettings(dir.file("A.ini"));
    EXPECT_EQ(back.settings.fixedStrings, s.fixedStrings);
    EXPECT_EQ(back.settings.latinName, "Taro Yamada");
    EXPECT_EQ(back.settings.domesticRemark, s.domesticRemark);
    EXPECT_EQ(back.settings.foreignRemark, "TNX QSO");
    EXPECT_EQ(back.settings.cardNo, "1234");
    EXPECT_TRUE(back.settings.mobileOperation);
    EXPECT_EQ(back.settings.fixedSpot, (SpotCoordinates{35, 41, 22, 139, 41, 30}));
    EXPECT_TRUE(back.settings.historyFill && back.settings.keyClick && back.settings.reserve2);
    EXPECT_FALSE(back.settings.autoDateTime);
    EXPECT_EQ(back.reference.referenceCall, "JA2XYZ");
    EXPECT_FALSE(back.reference.referenceOn);
    EXPECT_TRUE(back.reference.deletedFlag);
}

TEST(UserSettings, RewriteKeepsSectionsItDoesNotKnow)
{
    TempDir dir;
    dir.write("A.ini", "[Window]\r\nLeft=10\r\n");
    ASSERT_TRUE(writeUserSettings(dir.file("A.ini"), UserSettings{}, {}));
    EXPECT_EQ(dir.read("A.ini").rfind("[Window]\r\nLeft=10\r\n", 0), 0u);
}

TEST(UserSettings, InvalidReferenceCallsignIsNoReference)
{
    TempDir dir;
    dir.write("A.ini", sj("[同時参照]\r\n参照コール=../etc\r\n参照フラグ=1\r\n"));
    const LoadedSettings loaded = readUserSettings(dir.file("A.ini"));
    EXPECT_EQ(loaded.reference.referenceCall, "");
    EXPECT_FALSE(loaded.reference.referenceOn);
}

TEST(UserSettings, OwnLocationFollowsMobileOperation)
{
    UserSettings s;
    s.fixedSpot = {35, 0, 0, 139, 0, 0};
    s.mobileSpot = {43, 0, 0, 141, 0, 0};
    EXPECT_EQ(chooseOwnLocation(s), s.fixedSpot);
    s.mobileOperation = true;
    EXPECT_EQ(chooseOwnLocation(s), s.mobileSpot);
}

TEST(UserSettings, ConfirmationMarkHasASectionOfItsOwnOnlyOnceItIsSet)
{
    TempDir dir;
    UserSettings s;
    s.kanjiName = sj("山田太郎");
    ASSERT_TRUE(writeUserSettings(dir.file("A.ini"), s, {}));
    // A file from before the mark: read, written back, the very same bytes.
    const std::string before = dir.read("A.ini");
    const LoadedSettings loaded = readUserSettings(dir.file("A.ini"));
    EXPECT_EQ(loaded.settings.confirmationMark, sj("受"));
    ASSERT_TRUE(writeUserSettings(dir.file("A.ini"), loaded.settings, loaded.reference));
    EXPECT_EQ(dir.read("A.ini"), before);

    // Changed: its own section at the end, every line before it as it was.
    UserSettings changed = loaded.settings;
    changed.confirmationMark = "QSL";
    ASSERT_TRUE(writeUserSettings(dir.file("A.ini"), changed, loaded.reference));
    const std::string after = dir.read("A.ini");
    ASSERT_EQ(after.substr(0, before.size()), before);
    EXPECT_NE(after.find(sj("[アワード]")), std::string::npos);
    EXPECT_NE(after.find(sj("受領確認マーク=QSL")), std::string::npos);
    EXPECT_EQ(readUserSettings(dir.file("A.ini")).settings.confirmationMark, "QSL");

    // Back to the default: the key stays, holding the default.
    ASSERT_TRUE(writeUserSettings(dir.file("A.ini"), loaded.settings, loaded.reference));
    EXPECT_EQ(readUserSettings(dir.file("A.ini")).settings.confirmationMark, sj("受"));
}
