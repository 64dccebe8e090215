// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/log_maintenance.h"

#include "app/session.h"
#include "common/data_dir.h"
#include "common/file_io.h"
#include "common/progress.h"
#include "log/log_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vz;
using namespace vz::app;
using vz::test::TempDir;

namespace {

// Live records are all of call area 1, so the rebuilt index is simply 0 .. kept - 1 there.
std::string liveRecord(int k)
{
    log::FieldTexts t;
    t[0] =
        "JA1" + std::string{static_cast<char>('A' + k % 26), static_cast<char>('A' + k / 26 % 26)};
    t[1] = std::to_string(k); // every record differs
    const log::QsoRecord r = log::buildRecord(t, k % 2 == 0, true);
    return std::string(r.bytes.data(), r.bytes.size());
}

// "L" a live record, "d" a deleted one; returns the log and the expected reorganized log.
std::pair<std::string, std::string> logOf(std::string_view pattern)
{
    std::string all, live;
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        if (pattern[k] == 'L') {
            all += liveRecord(static_cast<int>(k));
            live += liveRecord(static_cast<int>(k));
        } else {
            const log::QsoRecord r = log::buildDeletedRecord(k % 3 == 0);
            all.append(r.bytes.data(), r.bytes.size());
        }
    }
    return {all, live};
}

// Each pass over a file: its maximum and the last position shown.
struct RecordingProgress final : ProgressSink
{
    std::vector<std::pair<std::int64_t, std::int64_t>> passes;
    bool ended = true;
    void begin(std::int64_t m) override
    {
        passes.emplace_back(m, 0);
        ended = false;
    }
    void advance(std::int64_t p) override { passes.back().second = p; }
    void end() override { ended = true; }
};

struct Session
{
    TempDir dir;
    AppState state;
    NoProgress quiet;

    Session()
    {
        dir.installPrefixTable();
        initDataDir(state, dir.path());
        state.currentCall = "JA1ABC";
        buildUserPaths(state);
    }
    // Opens the log as the program does, with the deleted flag on as after a deletion.
    void open(const std::string &bytes)
    {
        dir.write("JA1ABC.DAT", bytes);
        ASSERT_EQ(openLog(state, quiet).result, OpenResult::Ok);
        state.deletedFlag = true;
    }
    std::vector<std::string> filesInData() const
    {
        std::vector<std::string> names;
        for (const auto &e : std::filesystem::directory_iterator(dir.dataDir()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

} // namespace

TEST(ReorganizeLog, DropsDeletedRecordsKeepsOrderAndRebuildsTheIndex)
{
    struct Row
    {
        const char *name;
        std::string pattern;
        std::string tail; // bytes after the last whole record
    };
    std::string large; // crosses the boundaries of the pass's chunks
    for (int i = 0; i < 40000; ++i)
        large += (i % 7 == 3 || (i >= 16380 && i < 16390)) ? 'd' : 'L';
    const Row rows[] = {
        {"mixed", "LdLLdL", ""},
        {"every record deleted", "ddd", ""},
        {"nothing deleted gives the same file", "LLLL", ""},
        {"partial tail is not copied", "LdL", std::string(100, 'x')},
        {"empty log", "", ""},
        {"chunks", large, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Session s;
        const auto [all, live] = logOf(row.pattern);
        s.open(all + row.tail);
        RecordingProgress progress;
        const ReorganizeOutcome out = reorganizeLog(s.state, progress);
        ASSERT_EQ(out.result, ReorganizeResult::Ok);
        EXPECT_TRUE(s.dir.read("JA1ABC.DAT") == live) << "log differs";
        const auto kept = static_cast<std::int32_t>(live.size() / log::kRecordSize);
        const auto records = static_cast<std::int64_t>(all.size() / log::kRecordSize);
        EXPECT_EQ(out.kept, kept);
        EXPECT_EQ(out.removed, records - kept);
        EXPECT_EQ(s.state.nextRecordNo, kept + 1);
        EXPECT_FALSE(s.state.deletedFlag);
        EXPECT_EQ(out.index, OpenResult::Ok);
        EXPECT_EQ(s.state.ownIndex.total(), kept);
        EXPECT_EQ(s.state.ownIndex.count(1), kept);
        EXPECT_TRUE(kept == 0 || s.state.ownIndex.list(1).back() == kept - 1);
        // The rewrite runs to its end, then the index is rebuilt over the new log.
        ASSERT_EQ(progress.passes.size(), 2u);
        EXPECT_EQ(progress.passes[0], std::make_pair(records, records));
        EXPECT_TRUE(progress.ended);
        EXPECT_EQ(s.filesInData(),
                  (std::vector<std::string>{"JA1ABC.DAT", "PreFix.CFG", "Start.DAT"}));
    }
}

TEST(ReorganizeLog, RemovesLeftoversOfInterruptedRunsButNothingElse)
{
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ASSERT_GT(gone, 0);
    ::waitpid(gone, nullptr, 0); // the pid of a killed 整理
    const std::string killedCopy = "JA1ABC.DAT.tmp" + std::to_string(gone) + ".Ab12Cd";
    const std::string otherFiles = "JA1ABC.BAK.tmp" + std::to_string(gone) + ".Ab12Cd";
    // Opening the log (a restart) and a 整理 both remove what a killed rewrite left.
    for (const bool restart : {true, false}) {
        SCOPED_TRACE(restart ? "restart" : "reorganize");
        Session s;
        // Writing a file in the test removes its stale temporaries too: the log comes first.
        if (restart)
            s.dir.write("JA1ABC.DAT", logOf("LdL").first);
        else
            s.open(logOf("LdL").first);
        s.dir.write("JA1ABC.BAK", "backup"); // before its own leftover: writing it removes that
        s.dir.write(killedCopy, logOf("LLLL").first);
        s.dir.write("JA1ABC.DAT.tmp", "not ours");
        s.dir.write(otherFiles, "another file's");
        if (restart) {
            ASSERT_EQ(openLog(s.state, s.quiet).result, OpenResult::Ok);
        } else {
            s.dir.write("ja1abc.old", logOf("LLLL").first); // an older run set the log aside
            ASSERT_EQ(reorganizeLog(s.state, s.quiet).result, ReorganizeResult::Ok);
        }
        EXPECT_EQ(s.filesInData(),
                  (std::vector<std::string>{"JA1ABC.BAK", otherFiles, "JA1ABC.DAT",
                                            "JA1ABC.DAT.tmp", "PreFix.CFG", "Start.DAT"}));
        EXPECT_EQ(s.dir.read("JA1ABC.BAK"), "backup"); // a later restore still finds it
    }
}

namespace {

enum class Fault {
    OpenForReading,
    Read,
    CreateInMissingFolder, // the temporary file's folder is a regular file: ENOTDIR
    Write,                 // an I/O error
    DiskFull,              // writes go to /dev/full: ENOSPC
    Flush,
    Rename,
};

// The disk, except for one operation that fails.
class FaultyIo final : public RewriteIo
{
public:
    FaultyIo(Fault fault, std::string blockedFolder)
        : m_fault(fault), m_blockedFolder(std::move(blockedFolder))
    {
    }
    int openForReading(const std::string &path) override
    {
        return m_fault == Fault::OpenForReading ? -1 : RewriteIo::openForReading(path);
    }
    ssize_t readAt(int fd, char *buffer, std::size_t size, off_t offset) override
    {
        if (m_fault == Fault::Read) {
            errno = EIO;
            return -1;
        }
        return RewriteIo::readAt(fd, buffer, size, offset);
    }
    int createBeside(const std::string &target, std::string &tempPath) override
    {
        if (m_fault == Fault::CreateInMissingFolder)
            return RewriteIo::createBeside(m_blockedFolder + "/JA1ABC.DAT", tempPath);
        if (m_fault == Fault::DiskFull) {
            tempPath = target + ".tmpFULL00";
            return ::open("/dev/full", O_WRONLY | O_CLOEXEC);
        }
        return RewriteIo::createBeside(target, tempPath);
    }
    bool writeAll(int fd, const char *data, std::size_t size) override
    {
        return m_fault != Fault::Write && RewriteIo::writeAll(fd, data, size);
    }
    bool flush(int fd) override { return m_fault != Fault::Flush && RewriteIo::flush(fd); }
    bool replace(const std::string &from, const std::string &to) override
    {
        return m_fault != Fault::Rename && RewriteIo::replace(from, to);
    }

private:
    Fault m_fault;
    std::string m_blockedFolder;
};

const Fault kFaults[] = {Fault::OpenForReading, Fault::Read,     Fault::CreateInMissingFolder,
                         Fault::Write,          Fault::DiskFull, Fault::Flush,
                         Fault::Rename};

} // namespace

TEST(LogMaintenance, EveryFailureLeavesLogBackupAndStateAsTheyWere)
{
    for (Fault fault : kFaults) {
        SCOPED_TRACE(static_cast<int>(fault));
        Session s;
        const std::string before = logOf("LdLdL").first + "tail";
        const std::string backup = logOf("LLLL").first;
        s.open(before);
        s.dir.write("JA1ABC.Old", "leftover");
        s.dir.write("JA1ABC.BAK", backup);
        const auto namesBefore = s.filesInData();
        FaultyIo io(fault, s.dir.file("PreFix.CFG"));
        RecordingProgress progress;
        EXPECT_EQ(reorganizeLog(s.state, progress, io).result, ReorganizeResult::Failed);
        EXPECT_EQ(restoreLog(s.state, progress, io).result, RestoreResult::Failed);
        EXPECT_TRUE(s.dir.read("JA1ABC.DAT") == before) << "log changed";
        EXPECT_TRUE(s.dir.read("JA1ABC.BAK") == backup) << "backup changed";
        EXPECT_EQ(s.dir.read("JA1ABC.Old"), "leftover");
        EXPECT_EQ(s.filesInData(), namesBefore) << "a temporary file was left";
        EXPECT_TRUE(s.state.deletedFlag);
        EXPECT_EQ(s.state.nextRecordNo, 6);
        EXPECT_EQ(s.state.ownIndex.count(1), 3);
        EXPECT_TRUE(progress.ended) << "progress bar left showing";
    }
}

// A real read-only data directory. The tests may run as root, whom permissions do not stop, so
// the commands then run in a child process that has dropped to an unprivileged user.
TEST(ReorganizeLog, ReadOnlyDataDirectoryFailsAndChangesNothing)
{
    Session s;
    const std::string before = logOf("LdL").first;
    s.open(before);
    s.dir.write("JA1ABC.BAK", logOf("LL").first);
    ::chmod(s.dir.path().c_str(), 0755);
    ::chmod(s.dir.dataDir().c_str(), 0555);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        const bool reorganizeFailed =
            reorganizeLog(s.state, s.quiet).result == ReorganizeResult::Failed &&
            s.state.deletedFlag;
        const bool restoreFailed = restoreLog(s.state, s.quiet).result == RestoreResult::Failed;
        ::_exit(reorganizeFailed && restoreFailed ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ::chmod(s.dir.dataDir().c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "cannot drop to an unprivileged user here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(s.dir.read("JA1ABC.DAT") == before);
    EXPECT_TRUE(s.dir.read("JA1ABC.BAK") == logOf("LL").first);
}

namespace {

// Dies the moment the new log is complete on disk and about to be renamed over the old one.
class CrashBeforeRename final : public RewriteIo
{
public:
    bool replace(const std::string &, const std::string &) override
    {
        ::raise(SIGKILL);
        return false;
    }
};

} // namespace

TEST(ReorganizeLog, CrashBeforeTheRenameLeavesTheOldLogWhole)
{
    Session s;
    const auto [before, live] = logOf("LdLdLL");
    s.open(before);
    EXPECT_EXIT(
        {
            CrashBeforeRename io;
            reorganizeLog(s.state, s.quiet, io);
        },
        testing::KilledBySignal(SIGKILL), "");
    EXPECT_TRUE(s.dir.read("JA1ABC.DAT") == before);
    // The complete new log was left beside it under a temporary name.
    std::string temp;
    for (const std::string &name : s.filesInData())
        if (name.starts_with("JA1ABC.DAT.tmp"))
            temp = name;
    ASSERT_FALSE(temp.empty());
    EXPECT_TRUE(s.dir.read(temp) == live);

    // The next start opens the old log; the next reorganization finishes the work.
    AppState next;
    initDataDir(next, s.dir.path());
    next.currentCall = "JA1ABC";
    buildUserPaths(next);
    ASSERT_EQ(openLog(next, s.quiet).result, OpenResult::Ok);
    EXPECT_EQ(next.nextRecordNo, 7);
    ASSERT_EQ(reorganizeLog(next, s.quiet).result, ReorganizeResult::Ok);
    EXPECT_TRUE(s.dir.read("JA1ABC.DAT") == live);
    EXPECT_FALSE(files::exists(s.dir.file(temp)));
}

TEST(RestoreLog, PutsTheBackupBackUnderAnyLetterCaseAndConsumesIt)
{
    Session s;
    s.open(logOf("ddLd").first);
    // The backup holds a record that was already deleted, and a partial tail.
    const std::string backup = logOf("LdLL").first + "xyz";
    s.dir.write("ja1abc.Bak", backup);
    ASSERT_TRUE(backupExists(s.state));
    RecordingProgress progress;
    const RestoreOutcome out = restoreLog(s.state, progress);
    ASSERT_EQ(out.result, RestoreResult::Ok);
    EXPECT_TRUE(s.dir.read("JA1ABC.DAT") == backup);
    EXPECT_FALSE(backupExists(s.state));
    EXPECT_EQ(s.state.backupPath, s.dir.file("JA1ABC.BAK"));
    EXPECT_FALSE(s.state.deletedFlag);
    EXPECT_EQ(s.state.nextRecordNo, 5);
    EXPECT_TRUE(progress.ended);
    EXPECT_EQ(s.state.ownIndex.list(1), (std::vector<std::int32_t>{0, 2, 3}));

    EXPECT_EQ(restoreLog(s.state, s.quiet).result, RestoreResult::NoBackup);
    EXPECT_TRUE(s.dir.read("JA1ABC.DAT") == backup);
}

TEST(OpenLog, PutsALogLeftAsideUnderOldBack)
{
    struct Row
    {
        const char *name;
        const char *oldName;
        bool logPresent;
    };
    const Row rows[] = {
        {"log missing", "JA1ABC.Old", false},
        {"log missing, other letter case", "ja1abc.OLD", false},
        {"log present: the log is used", "JA1ABC.Old", true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Session s;
        const std::string old = logOf("LLdL").first;
        const std::string current = logOf("L").first;
        s.dir.write(row.oldName, old);
        if (row.logPresent)
            s.dir.write("JA1ABC.DAT", current);
        buildUserPaths(s.state);
        ASSERT_EQ(openLog(s.state, s.quiet).result, OpenResult::Ok);
        if (row.logPresent) {
            EXPECT_TRUE(s.dir.read("JA1ABC.DAT") == current);
            EXPECT_TRUE(s.dir.read(row.oldName) == old);
            EXPECT_EQ(s.state.nextRecordNo, 2);
        } else {
            EXPECT_TRUE(s.dir.read("JA1ABC.DAT") == old);
            EXPECT_FALSE(files::exists(s.dir.file(row.oldName)));
            EXPECT_EQ(s.state.nextRecordNo, 5);
            EXPECT_EQ(s.state.ownIndex.total(), 3);
        }
    }
}

TEST(Settings, RereadKeepsTheReferenceAndTheDeletedFlagInStepWithTheIndex)
{
    Session s;
    s.state.settings.kanjiName = test::sj("山田");
    s.state.referenceCall = "JA2XYZ";
    s.state.referenceOn = true;
    s.state.deletedFlag = true;
    ASSERT_TRUE(saveSettings(s.state));
    // Since the write: the reference was switched to another station and the log reorganized,
    // and the name was edited but not applied.
    s.state.referenceCall = "JA3QRP";
    s.state.deletedFlag = false;
    s.state.settings.kanjiName = test::sj("鈴木");
    ASSERT_TRUE(reloadSettings(s.state));
    EXPECT_EQ(s.state.settings.kanjiName, test::sj("山田"));
    EXPECT_EQ(s.state.referenceCall, "JA3QRP");
    EXPECT_TRUE(s.state.referenceOn);
    EXPECT_FALSE(s.state.deletedFlag);
}

// What a restore would drop: the records past the end of the backup, never a negative count.
TEST(RestoreLog, CountsTheRecordsRegisteredAfterTheBackup)
{
    struct Row
    {
        const char *log;
        const char *backup; // nullptr: none
        std::int32_t later;
    };
    const Row rows[] = {
        {"LLdLL", "LLLL", 1},  {"LL", "LLLL", 0}, {"LLL", "LLL", 0},
        {"LLLLL", nullptr, 0}, {"LLL", "L", 2},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.log);
        Session s;
        s.open(logOf(row.log).first);
        if (row.backup)
            s.dir.write("JA1ABC.BAK", logOf(row.backup).first + "torn");
        EXPECT_EQ(recordsAfterBackup(s.state), row.later);
    }
}
