// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/file_io.h"
#include "common/prefault.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <numeric>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace vz;
using vz::test::TempDir;

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

// A temporary file carries its writer's process id and, while it is written, its writer's
// lock: the next write of the same file removes those no live writer holds, and leaves alone a
// live writer's, a locked one, another file's and names of another form. A process id taken
// over by another program does not keep a leftover for ever.
TEST(AtomicWrite, StaleTemporariesOfDeadWritersAreRemoved)
{
    TempDir dir;
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0); // gone: its pid names a writer that was killed
    const std::string deadPid = std::to_string(child);
    const std::string livePid = std::to_string(::getppid());
    struct Row
    {
        std::string name;
        bool locked;
        bool hoursOld;
        bool kept;
    };
    const std::vector<Row> rows = {
        {"out.adi.tmp" + deadPid + ".Ab12Cd", false, false, false},
        {"out.adi.tmp" + livePid + ".Ab12Cd", false, false, true},
        {"out.adi.tmp" + livePid + ".Ef34Gh", false, true, false}, // pid reused
        {"out.adi.tmp" + deadPid + ".Ij56Kl", true, true, true},   // a child holds it
        {"other.adi.tmp" + deadPid + ".Ab12Cd", false, false, true},
        {"out.adi.tmpAb12Cd", false, true, true},
        {"out.adi.tmp", false, true, true},
    };
    std::vector<UniqueFd> locks;
    for (const Row &row : rows) {
        dir.write(row.name, std::string(1000, 'x'));
        if (row.hoursOld) {
            const timespec times[2] = {{::time(nullptr) - 7200, 0}, {::time(nullptr) - 7200, 0}};
            ASSERT_EQ(::utimensat(AT_FDCWD, dir.file(row.name).c_str(), times, 0), 0);
        }
        if (row.locked) {
            locks.emplace_back(::open(dir.file(row.name).c_str(), O_RDONLY | O_CLOEXEC));
            ASSERT_EQ(::flock(locks.back().get(), LOCK_EX), 0);
        }
    }
    ASSERT_TRUE(files::replaceAtomically(dir.file("out.adi"), "new"));
    for (const Row &row : rows)
        EXPECT_EQ(std::filesystem::exists(dir.file(row.name)), row.kept) << row.name;
    EXPECT_EQ(dir.read("out.adi"), "new");
}

// Reads go on to the count asked for and stop short only at the end of the file.
TEST(ReadFullAt, ReadsToTheCountOrTheEnd)
{
    TempDir dir;
    dir.write("f", "0123456789");
    const UniqueFd fd(::open(dir.file("f").c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_TRUE(fd.valid());
    struct Row
    {
        std::uint64_t at;
        std::size_t size;
        ssize_t got;
        std::string bytes;
    };
    for (const Row &row : {Row{0, 10, 10, "0123456789"}, Row{4, 20, 6, "456789"}, Row{10, 4, 0, ""},
                           Row{50, 4, 0, ""}}) {
        std::string buffer(row.size, '\0');
        EXPECT_EQ(files::readFullAt(fd.get(), buffer.data(), row.size, row.at), row.got);
        EXPECT_EQ(buffer.substr(0, static_cast<std::size_t>(std::max<ssize_t>(row.got, 0))),
                  row.bytes);
    }
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const UniqueFd readEnd(pipeFds[0]), writeEnd(pipeFds[1]);
    char c;
    EXPECT_EQ(files::readFullAt(readEnd.get(), &c, 1, 0), -1); // not seekable: an error
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
