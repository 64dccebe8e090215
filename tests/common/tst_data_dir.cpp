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

// Only regular files of a sane size are read: a FIFO would hang the reader, a device or a
// runaway file would fill the memory. Each refusal says why.
TEST(ReadAll, SpecialAndHugeFilesAreRefusedWithTheReason)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
    ASSERT_EQ(::mkdir(dir.file("folder").c_str(), 0755), 0);
    std::filesystem::create_symlink("/dev/zero", dir.file("zero.pln"));
    {
        // Sparse: one byte past the limit costs no disk.
        std::FILE *f = std::fopen(dir.file("huge.adi").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(::ftruncate(::fileno(f), static_cast<off_t>(files::kReadLimit + 1)), 0);
        std::fclose(f);
    }
    dir.write("fine.adi", "<EOR>");
    const struct
    {
        const char *name;
        files::ReadProblem problem;
    } cases[] = {
        {"fifo", files::ReadProblem::NotRegular},     {"folder", files::ReadProblem::NotRegular},
        {"zero.pln", files::ReadProblem::NotRegular}, {"huge.adi", files::ReadProblem::TooLarge},
        {"missing", files::ReadProblem::CannotOpen},  {"fine.adi", files::ReadProblem::None},
    };
    for (const auto &c : cases) {
        files::ReadProblem why = files::ReadProblem::ReadError;
        const auto bytes = files::readAll(dir.file(c.name), &why);
        EXPECT_EQ(why, c.problem) << c.name;
        EXPECT_EQ(bytes.has_value(), c.problem == files::ReadProblem::None) << c.name;
        EXPECT_EQ(files::readProblemText(why).empty(), c.problem == files::ReadProblem::None)
            << c.name;
    }
}

// A temporary file carries its writer's process id: one whose writer no longer runs is
// removed by the next write of the same file, one of a live writer (or another file's, or
// of another form) is left alone.
TEST(AtomicWrite, StaleTemporariesOfDeadWritersAreRemoved)
{
    TempDir dir;
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0); // gone: its pid names a writer that was killed
    const std::string dead = "out.adi.tmp" + std::to_string(child) + ".Ab12Cd";
    const std::string live = "out.adi.tmp" + std::to_string(::getppid()) + ".Ab12Cd";
    const std::string other = "other.adi.tmp" + std::to_string(child) + ".Ab12Cd";
    for (const std::string &name : {dead, live, other, std::string("out.adi.tmpAb12Cd")})
        dir.write(name, std::string(1000, 'x'));
    ASSERT_TRUE(files::replaceAtomically(dir.file("out.adi"), "new"));
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir.dataDir()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"other.adi.tmp" + std::to_string(child) + ".Ab12Cd",
                                               "out.adi", live, "out.adi.tmpAb12Cd"}));
}

// A file rewritten whole through a symbolic link replaces the file the link points to (through
// a chain of links, relative or absolute) and keeps the links.
TEST(AtomicWrite, WritesThroughSymbolicLinks)
{
    TempDir dir;
    ASSERT_EQ(::mkdir((dir.path() + "/elsewhere").c_str(), 0755), 0);
    const std::string real = dir.path() + "/elsewhere/JA1ABC.ini";
    std::FILE *f = std::fopen(real.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("old", f);
    std::fclose(f);
    std::filesystem::create_symlink("../elsewhere/JA1ABC.ini", dir.file("middle.ini"));
    std::filesystem::create_symlink(dir.file("middle.ini"), dir.file("JA1ABC.ini"));
    ASSERT_TRUE(files::replaceAtomically(dir.file("JA1ABC.ini"), "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("JA1ABC.ini")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("middle.ini")));
    EXPECT_EQ(dir.read("JA1ABC.ini"), "new");
    EXPECT_EQ(dir.read("../elsewhere/JA1ABC.ini"), "new");
    EXPECT_EQ(files::writeTarget(dir.file("JA1ABC.ini")), dir.file("../elsewhere/JA1ABC.ini"));
}
