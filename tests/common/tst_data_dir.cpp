// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/data_dir.h"
#include "common/prefault.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <sys/stat.h>
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

TEST(AtomicWrite, ReplacesWholeFileAndLeavesNoTemporary)
{
    TempDir dir;
    dir.write("a.ini", "old");
    ASSERT_TRUE(files::replaceAtomically(dir.file("a.ini"), "new content"));
    EXPECT_EQ(dir.read("a.ini"), "new content");
    int entries = 0;
    for ([[maybe_unused]] auto &e : std::filesystem::directory_iterator(dir.dataDir()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(AtomicWrite, UncommittedWriterLeavesOldFileIntact)
{
    TempDir dir;
    dir.write("log.DAT", "original");
    {
        files::AtomicFileWriter writer(dir.file("log.DAT"));
        ASSERT_TRUE(writer.write("half of a new"));
        // destroyed without commit: a crash before the rename
    }
    EXPECT_EQ(dir.read("log.DAT"), "original");
}

TEST(AtomicWrite, ReadOnlyFolderFailsAndReportsIt)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    TempDir dir;
    dir.write("a.ini", "old");
    ::chmod(dir.dataDir().c_str(), 0555);
    EXPECT_FALSE(files::replaceAtomically(dir.file("a.ini"), "new"));
    ::chmod(dir.dataDir().c_str(), 0755);
    EXPECT_EQ(dir.read("a.ini"), "old");
}

TEST(AtomicWrite, MissingFolderFails)
{
    EXPECT_FALSE(files::replaceAtomically("/nonexistent-folder/x.ini", "data"));
    EXPECT_FALSE(files::copyAtomically("/nonexistent-folder/a", "/tmp/never-written"));
}

// Large files are read into memory mapped in beforehand; mapping memory in must never change
// what it already holds, wherever the range begins and ends.
TEST(ReadAll, LargeFilesComeBackWholeAndPrefaultKeepsContents)
{
    TempDir dir;
    std::string big(5 * 1024 * 1024 + 13, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7 % 251);
    dir.write("big.adi", big);
    EXPECT_EQ(files::readAll(dir.file("big.adi")), big);

    std::vector<std::uint32_t> held(3 * 1024 * 1024 + 5);
    std::iota(held.begin(), held.end(), 1u);
    memory::prefault(reinterpret_cast<char *>(held.data()) + 3, held.size() * 4 - 7);
    held.reserve(held.size() * 2);
    memory::prefaultCapacity(held);
    for (std::size_t i = 0; i < held.size(); ++i)
        ASSERT_EQ(held[i], i + 1) << i;
}
