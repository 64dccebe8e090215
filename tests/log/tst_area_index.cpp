// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/area_index.h"

#include "common/progress.h"
#include "log/log_file.h"
#include "log/prefix_table.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace vz::log;
using vz::test::TempDir;

namespace {

void appendContacts(const std::string &log, std::initializer_list<const char *> calls)
{
    std::int32_t n = recordCount(log) + 1;
    for (const char *call : calls) {
        FieldTexts t;
        t[0] = call;
        ASSERT_EQ(appendRecord(log, n++, buildRecord(t, false, true)), IoResult::Ok);
    }
}

class CountingProgress : public vz::ProgressSink
{
public:
    void begin(std::int64_t m) override { maximum = m, ++begun; }
    void advance(std::int64_t) override { ++steps; }
    void end() override { ++ended; }
    std::int64_t maximum = -1;
    int begun = 0, steps = 0, ended = 0;
};

} // namespace

TEST(AreaIndex, ListsLiveRecordsPerAreaInFileOrderSkippingDeleted)
{
    TempDir dir;
    const std::string log = dir.file("L.DAT");
    appendContacts(log, {"JA1AAA", "W1AW", "JH1BBB", "JA3CCC", "7K1DDD", "JA1EEE"});
    ASSERT_EQ(markDeleted(log, 3, false), IoResult::Ok);
    PrefixTable table;
    dir.write("PreFix.CFG", "7K1 01\r\n");
    table.setPath(dir.file("PreFix.CFG"));
    AreaIndex index;
    CountingProgress progress;
    ASSERT_EQ(buildAreaIndex(log, table, progress, index), IndexResult::Ok);
    EXPECT_EQ(index.list(1), (std::vector<std::int32_t>{0, 4, 5}));
    EXPECT_EQ(index.list(10), (std::vector<std::int32_t>{1}));
    EXPECT_EQ(index.list(3), (std::vector<std::int32_t>{3}));
    EXPECT_EQ(index.total(), 5);
    EXPECT_EQ(progress.maximum, 6);
    EXPECT_EQ(progress.begun, 1);
    EXPECT_EQ(progress.ended, 1);
}

TEST(AreaIndex, OnlyRecordDeletedGivesEmptyLists)
{
    TempDir dir;
    const std::string log = dir.file("L.DAT");
    appendContacts(log, {"JA1AAA"});
    markDeleted(log, 1, false);
    PrefixTable table;
    AreaIndex index;
    vz::NoProgress quiet;
    ASSERT_EQ(buildAreaIndex(log, table, quiet, index), IndexResult::Ok);
    EXPECT_EQ(index.total(), 0);
}

TEST(AreaIndex, MissingLogGivesEmptyBuiltIndex)
{
    PrefixTable table;
    AreaIndex index;
    vz::NoProgress quiet;
    ASSERT_EQ(buildAreaIndex("/nonexistent/L.DAT", table, quiet, index), IndexResult::Ok);
    EXPECT_TRUE(index.built());
    EXPECT_EQ(index.total(), 0);
}

TEST(AreaIndex, AppendedContactsJoinTheEndAndGrowPastTheSpareSlots)
{
    AreaIndex index;
    index.append(3, 10);
    index.append(3, 11);
    EXPECT_EQ(index.count(3), 2);
    EXPECT_EQ(index.list(3).back(), 11);
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(kSpareSlots) + 50; ++i)
        index.append(7, i);
    EXPECT_EQ(index.count(7), static_cast<std::int32_t>(kSpareSlots) + 50);
}

TEST(AreaIndex, PartialTailIsNotIndexed)
{
    TempDir dir;
    const std::string log = dir.file("L.DAT");
    appendContacts(log, {"JA1AAA"});
    dir.write("L.DAT", dir.read("L.DAT") + "JA2BBB");
    PrefixTable table;
    AreaIndex index;
    vz::NoProgress quiet;
    ASSERT_EQ(buildAreaIndex(log, table, quiet, index), IndexResult::Ok);
    EXPECT_EQ(index.total(), 1);
    EXPECT_EQ(index.count(2), 0);
}
