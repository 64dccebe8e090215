// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/data_dir.h"
#include "common/prefault.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace vz;
using vz::test::TempDir;

TEST(DataDir, IsWorkingDirectoryPlusData)
{
    EXPECT_EQ(DataDir::forWorkingDirectory("/home/op/logs").root(), "/home/op/logs/Data/");
    EXPECT_EQ(DataDir::forWorkingDirectory("/home/op/logs/").root(), "/home/op/logs/Data/");
}

TEST(DataDir, FindsFilesWithoutRegardToLetterCase)
{
    TempDir dir;
    dir.write("PREFIX.cfg", "x");
    const DataDir data(dir.dataDir());
    EXPECT_TRUE(data.exists("PreFix.CFG"));
    EXPECT_EQ(data.path("PreFix.CFG"), dir.file("PREFIX.cfg"));
    // A file that does not exist yet gets the spelling asked for.
    EXPECT_EQ(data.path("Start.DAT"), dir.file("Start.DAT"));
}
