// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/progress.h"
#include "log/area_index.h"
#include "log/log_file.h"
#include "log/prefix_table.h"
#include "log/search.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vz::log;
using vz::test::TempDir;

namespace {

QsoRecord contact(const std::string &call)
{
    FieldTexts t;
    t[0] = call;
    t[19] = "10:00";
    return buildRecord(t, false, true);
}

} // namespace

TEST(LogFile, NewLogHasNoRecordsAndFirstAppendIsRecordOne)
{
    TempDir dir;
    const std::string log = dir.file("JA1ABC.DAT");
    EXPECT_EQ(recordCount(log), 0);
    ASSERT_EQ(appendRecord(log, 1, contact("JA1AAA")), IoResult::Ok);
    EXPECT_EQ(dir.read("JA1ABC.DAT").size(), kRecordSize);
    QsoRecord buffer;
    ASSERT_EQ(readRecord(log, 1, buffer), IoResult::Ok);
    EXPECT_EQ(buffer.field(Field::Callsign), "JA1AAA");
}

TEST(LogFile, PartialTailIsNotARecordAndAppendOverwritesIt)
{
    TempDir dir;
    std::string bytes(contact("JA1AAA").bytes.data(), kRecordSize);
    bytes += std::string(46, 'x');
    dir.write("L.DAT", bytes);
    const std::string log = dir.file("L.DAT");
    EXPECT_EQ(recordCount(log), 1);
    QsoRecord buffer;
    EXPECT_EQ(readRecord(log, 2, buffer), IoResult::Missing);
    EXPECT_EQ(buffer.field(Field::Callsign), "");
    // The next record is number 2 and lands at byte 254, over the damaged tail.
    ASSERT_EQ(appendRecord(log, 2, contact("JA2BBB")), IoResult::Ok);
    EXPECT_EQ(dir.read("L.DAT").size(), 2 * kRecordSize);
    ASSERT_EQ(readRecord(log, 2, buffer), IoResult::Ok);
    EXPECT_EQ(buffer.field(Field::Callsign), "JA2BBB");
}

TEST(LogFile, MarkDeletedKeepsNumbersOfLaterRecords)
{
    TempDir dir;
    const std::string log = dir.file("L.DAT");
    for (int n = 1; n <= 6; ++n)
        ASSERT_EQ(appendRecord(log, n, contact("JA1A" + std::to_string(n))), IoResult::Ok);
    ASSERT_EQ(markDeleted(log, 5, true), IoResult::Ok);
    QsoRecord buffer;
    readRecord(log, 5, buffer);
    EXPECT_TRUE(buffer.isDeleted());
    EXPECT_EQ(buffer.qslFlag(), 1);
    readRecord(log, 6, buffer);
    EXPECT_EQ(buffer.field(Field::Callsign), "JA1A6");
    EXPECT_EQ(recordCount(log), 6);
}

// A modify or delete whose write is cut short (here by the file-size limit, as a full disk
// would) fails and leaves the record as it was, byte for byte: never half new and half old.
TEST(LogFile, ARewriteCutShortLeavesTheRecordAsItWas)
{
    struct Row
    {
        const char *name;
        std::int32_t n;
        bool remove;
        std::size_t cutAt; // bytes of the record below the limit
    };
    const Row rows[] = {
        {"modify cut inside", 3, false, 100},
        {"delete cut inside", 6, true, 10},
        {"modify stopped at its first byte", 2, false, 0},
        {"modify cut before its last byte", 4, false, kRecordSize - 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const std::string log = dir.file("L.DAT");
        for (int n = 1; n <= 6; ++n)
            ASSERT_EQ(appendRecord(log, n, contact("JA1A" + std::to_string(n))), IoResult::Ok);
        const std::string before = dir.read("L.DAT");
        const pid_t child = ::fork();
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlim_t limit = static_cast<rlim_t>(row.n - 1) * kRecordSize + row.cutAt;
            const rlimit cap{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &cap);
            QsoRecord changed = contact("JA9ZZZZZ");
            const IoResult result =
                row.remove ? markDeleted(log, row.n, true) : rewriteRecord(log, row.n, changed);
            ::_exit(result == IoResult::Failed ? 0 : 1);
        }
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "not reported as failed";
        EXPECT_TRUE(dir.read("L.DAT") == before) << "the log changed";
    }
}

TEST(LogFile, ReadOfMissingFileLeavesBufferZero)
{
    QsoRecord buffer;
    buffer.bytes.fill('z');
    EXPECT_EQ(readRecord("/nonexistent/X.DAT", 1, buffer), IoResult::Missing);
    EXPECT_EQ(buffer.field(Field::Callsign), "");
}

TEST(LogFile, RewriteOfMissingLogFailsInsteadOfCreatingIt)
{
    TempDir dir;
    EXPECT_EQ(rewriteRecord(dir.file("NONE.DAT"), 1, contact("JA1A")), IoResult::Missing);
    EXPECT_EQ(appendRecord("/nonexistent/dir/X.DAT", 1, contact("JA1A")), IoResult::Missing);
}

TEST(LogFile, BackupReplacesAnOlderCopy)
{
    TempDir dir;
    const std::string log = dir.file("L.DAT");
    appendRecord(log, 1, contact("JA1AAA"));
    ASSERT_EQ(backupBeforeDelete(log, dir.file("L.BAK")), IoResult::Ok);
    appendRecord(log, 2, contact("JA1BBB"));
    ASSERT_EQ(backupBeforeDelete(log, dir.file("L.BAK")), IoResult::Ok);
    EXPECT_EQ(dir.read("L.BAK"), dir.read("L.DAT"));
}

// A log that is a FIFO, a folder or a link to a device is never read: each reader fails at
// once (a FIFO would otherwise wait for a writer forever) and nothing is taken for records.
TEST(LogFile, SpecialFilesAreNeverReadAsLogs)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("FIFO.DAT").c_str(), 0644), 0);
    ASSERT_EQ(::mkdir(dir.file("FOLDER.DAT").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("/dev/zero", dir.file("ZERO.DAT").c_str()), 0);
    dir.installPrefixTable();
    vz::log::PrefixTable table(dir.file("PreFix.CFG"));
    for (const char *name : {"FIFO.DAT", "FOLDER.DAT", "ZERO.DAT"}) {
        SCOPED_TRACE(name);
        QsoRecord record;
        EXPECT_EQ(readRecord(dir.file(name), 1, record), IoResult::Failed);
        AreaIndex index;
        vz::NoProgress quiet;
        EXPECT_EQ(buildAreaIndex(dir.file(name), table, quiet, index), IndexResult::ReadFailed);
        SearchPlan plan;
        plan.throughArea = false;
        plan.listMode = 0;
        plan.key = "JA";
        ResultTable rows;
        EXPECT_EQ(searchLog({dir.file(name), nullptr, {}}, plan, rows, quiet).status,
                  PassStatus::ReadFailed);
    }
}

// Locks between programs: what each holder lets a second one do within its wait, and a lock
// that follows the file when it is renamed over (reorganize, restore).
TEST(FileLock, HoldersKeepEachOtherOutAsTheirModesSay)
{
    TempDir dir;
    const std::string path = dir.file("L.DAT");
    dir.write("L.DAT", "");
    using vz::LockMode;
    using vz::LockResult;
    const struct
    {
        LockMode held, wanted;
        LockResult result;
    } cases[] = {
        {LockMode::Exclusive, LockMode::Exclusive, LockResult::Busy},
        {LockMode::Exclusive, LockMode::Shared, LockResult::Busy},
        {LockMode::Shared, LockMode::Exclusive, LockResult::Busy},
        {LockMode::Shared, LockMode::Shared, LockResult::Ok},
    };
    for (const auto &c : cases) {
        vz::FileLock first;
        ASSERT_EQ(first.acquire(path, c.held, std::chrono::milliseconds(0)), LockResult::Ok);
        vz::FileLock second;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(second.acquire(path, c.wanted, std::chrono::milliseconds(120)), c.result);
        if (c.result == LockResult::Busy) {
            EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(120));
        }
        // Closing another descriptor of the file drops no lock (as classic fcntl locks would).
        ::close(::open(path.c_str(), O_RDONLY));
        vz::FileLock third;
        if (c.held == LockMode::Exclusive) {
            EXPECT_EQ(third.acquire(path, LockMode::Exclusive, std::chrono::milliseconds(0)),
                      LockResult::Busy);
        }
        first.release();
        second.release();
        EXPECT_EQ(third.acquire(path, LockMode::Exclusive, std::chrono::milliseconds(0)),
                  LockResult::Ok);
    }
    vz::FileLock none;
    EXPECT_EQ(none.acquire(dir.file("missing"), LockMode::Shared, std::chrono::milliseconds(0)),
              LockResult::Failed);
}

TEST(FileLock, AWaiterOnAReplacedFileLocksTheNewOne)
{
    TempDir dir;
    const std::string path = dir.file("L.DAT");
    dir.write("L.DAT", "old");
    vz::FileLock reorganizing;
    ASSERT_EQ(reorganizing.acquire(path, vz::LockMode::Exclusive, std::chrono::milliseconds(0)),
              vz::LockResult::Ok);
    dir.write("new", "new log");
    std::thread replace([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ::rename(dir.file("new").c_str(), path.c_str());
        reorganizing.release();
    });
    vz::FileLock writer;
    EXPECT_EQ(writer.acquire(path, vz::LockMode::Exclusive, std::chrono::milliseconds(2000)),
              vz::LockResult::Ok);
    replace.join();
    struct stat held
    {
    }, named{};
    ASSERT_EQ(::fstat(writer.fd(), &held), 0);
    ASSERT_EQ(::stat(path.c_str(), &named), 0);
    EXPECT_EQ(held.st_ino, named.st_ino);
}

// The locked append numbers its records by the file as it stands, whatever the caller
// believed; a rewrite lands only on the record the caller read.
TEST(LogFile, LockedAppendAndCheckedRewriteFollowTheFile)
{
    TempDir dir;
    const std::string log = dir.file("L.DAT");
    const QsoRecord a = contact("JA1AAA"), b = contact("JA1BBB"), c = contact("JA1CCC");
    AppendOutcome out = appendAtEnd(log, {std::span(&a, 1)});
    EXPECT_EQ(out.result, IoResult::Ok);
    EXPECT_EQ(out.firstRecordNo, 1);
    dir.write("L.DAT", dir.read("L.DAT") + "torn");
    const std::array<QsoRecord, 2> two{b, c};
    out = appendAtEnd(log, {std::span<const QsoRecord>(two)});
    EXPECT_EQ(out.firstRecordNo, 2);
    EXPECT_EQ(out.recordCount, 3);
    EXPECT_EQ(dir.read("L.DAT").size(), 3 * kRecordSize);

    vz::FileLock other;
    ASSERT_EQ(lockLog(log, other, std::chrono::milliseconds(0)), IoResult::Ok);
    EXPECT_EQ(appendAtEnd(log, {std::span(&a, 1)}, std::chrono::milliseconds(50)).result,
              IoResult::Busy);
    EXPECT_EQ(rewriteRecordIfUnchanged(log, 2, b, a, std::chrono::milliseconds(50)),
              IoResult::Busy);
    other.release();
    EXPECT_EQ(dir.read("L.DAT").size(), 3 * kRecordSize);

    const struct
    {
        std::int32_t n;
        const QsoRecord &expected;
        IoResult result;
    } rewrites[] = {
        {2, a, IoResult::Changed}, // record 2 is not what the caller read
        {4, a, IoResult::Changed}, // past the end (reorganized shorter)
        {2, b, IoResult::Ok},
    };
    for (const auto &r : rewrites)
        EXPECT_EQ(rewriteRecordIfUnchanged(log, r.n, r.expected, c), r.result) << r.n;
    QsoRecord got;
    ASSERT_EQ(readRecord(log, 2, got), IoResult::Ok);
    EXPECT_EQ(got.bytes, c.bytes);
    EXPECT_EQ(dir.read("L.DAT").size(), 3 * kRecordSize);
}
