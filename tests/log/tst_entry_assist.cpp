// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/entry_assist.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::log;

TEST(EntryAssist, PortableAreaKeysAndTheAreaTheyGive)
{
    for (char32_t c : std::u32string_view(U"0123456789aA\b\x7f"))
        EXPECT_TRUE(isPortableAreaKey(c)) << static_cast<int>(c);
    for (char32_t c : std::u32string_view(U"bBzZ/ -.あ"))
        EXPECT_FALSE(isPortableAreaKey(c)) << static_cast<int>(c);

    const std::pair<const char *, std::optional<int>> cases[] = {
        {"0", 0},
        {"7", 7},
        {"A", 10},
        {"a", 10},
        {"", std::nullopt},
        {"B", std::nullopt},
        {"12", std::nullopt},
        {"A1", std::nullopt},
    };
    for (const auto &[text, area] : cases)
        EXPECT_EQ(portableAreaOf(text), area) << text;
}

TEST(EntryAssist, OneKanaIsACityInitialTwoAreNot)
{
    EXPECT_TRUE(isCityInitial(test::sj("か")));
    EXPECT_FALSE(isCityInitial(test::sj("かわ")));
    EXPECT_FALSE(isCityInitial("k"));
    EXPECT_FALSE(isCityInitial(""));
}

TEST(EntryAssist, ClockTextsInUtcAbroadAndJapaneseTimeAtHome)
{
    calendar::ClockSnapshot clock;
    clock.local = {2024, 1, 1, 8, 5, 0, 1};
    clock.utc = {2023, 12, 31, 23, 5, 0, 0};
    for (int area = 0; area <= 9; ++area) {
        EXPECT_EQ(clockDateText(clock, area), "24/01/01");
        EXPECT_EQ(clockTimeText(clock, area), "08:05");
    }
    EXPECT_EQ(clockDateText(clock, 10), "23/12/31");
    EXPECT_EQ(clockTimeText(clock, 10), "23:05");
    clock.local.year = 2000;
    EXPECT_EQ(clockDateText(clock, 1), "00/01/01");
}
