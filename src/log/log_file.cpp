// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/log_file.h"

#include "common/file_io.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace vz::log {

namespace {

off_t offsetOf(std::int32_t n)
{
    return static_cast<off_t>(n - 1) * static_cast<off_t>(kRecordSize);
}

IoResult writeAt(const std::string &path, std::int32_t n, const QsoRecord &record, int extraFlags)
{
    if (n < 1)
        return IoResult::Failed;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | extraFlags, files::kNewFileMode);
    if (fd < 0)
        return errno == ENOENT ? IoResult::Missing : IoResult::Failed;
    // The record must be on disk before the operator is told it is registered.
    bool ok = files::writeAllAt(fd, {record.bytes.data(), kRecordSize},
                                static_cast<std::uint64_t>(offsetOf(n))) &&
              ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    return ok ? IoResult::Ok : IoResult::Failed;
}

} // namespace

FileIdentity fileIdentity(const std::string &path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::int32_t recordCount(const std::string &path)
{
    const auto bytes = files::size(path);
    return bytes ? static_cast<std::int32_t>(*bytes / kRecordSize) : 0;
}

IoResult readRecord(const std::string &path, std::int32_t n, QsoRecord &buffer)
{
    buffer.clear();
    if (n < 1)
        return IoResult::Missing;
    const int fd = files::openRegularForReading(path);
    if (fd < 0)
        return errno == ENOENT ? IoResult::Missing : IoResult::Failed;
    const ssize_t got = files::readFullAt(fd, buffer.bytes.data(), kRecordSize,
                                          static_cast<std::uint64_t>(offsetOf(n)));
    ::close(fd);
    if (got < 0)
        return IoResult::Failed;
    if (static_cast<std::size_t>(got) < kRecordSize) {
        // Past the end or a partial tail: not a record.
        buffer.clear();
        return IoResult::Missing;
    }
    return IoResult::Ok;
}

IoResult appendRecord(const std::string &path, std::int32_t nextRecordNo, const QsoRecord &record)
{
    return writeAt(path, nextRecordNo, record, O_CREAT);
}

namespace {

// Writes the runs as numbers n, n + 1, ... through an open descriptor and flushes them once;
// a failure cuts the file back and puts a torn tail back as it was.
IoResult appendAt(int fd, std::int32_t n, std::initializer_list<std::span<const QsoRecord>> runs)
{
    struct stat before
    {
    };
    if (::fstat(fd, &before) != 0)
        return IoResult::Failed;
    // QsoRecord is its 254 bytes, so the records of a run lie back to back as in the file.
    static_assert(sizeof(QsoRecord) == kRecordSize);
    off_t at = offsetOf(n);
    // What lies past the last whole record (a torn tail) is overwritten by the new records:
    // kept aside, so that a failed append puts it back as it was.
    std::string tail;
    if (before.st_size > at) {
        tail.resize(static_cast<std::size_t>(before.st_size - at));
        if (files::readFullAt(fd, tail.data(), tail.size(), static_cast<std::uint64_t>(at)) !=
            static_cast<ssize_t>(tail.size()))
            return IoResult::Failed;
    }
    const off_t tailAt = at;
    bool ok = true;
    for (const std::span<const QsoRecord> run : runs) {
        if (run.empty())
            continue;
        ok = ok && files::writeAllAt(fd, {run.front().bytes.data(), run.size_bytes()},
                                     static_cast<std::uint64_t>(at));
        at += static_cast<off_t>(run.size_bytes());
    }
    ok = ok && ::fsync(fd) == 0;
    if (!ok) {
        // Nothing half-written stays behind.
        if (::ftruncate(fd, before.st_size) == 0 &&
            (tail.empty() || files::writeAllAt(fd, tail, static_cast<std::uint64_t>(tailAt))))
            ::fsync(fd);
    }
    return ok ? IoResult::Ok : IoResult::Failed;
}

// Writes record n over `before` (what it holds now). A write cut short (a full disk, a
// file-size limit) puts it back byte for byte instead of leaving it half new and half old.
bool writeRecordOrUndo(int fd, std::int32_t n, const QsoRecord &record, const QsoRecord &before)
{
    const auto at = static_cast<std::uint64_t>(offsetOf(n));
    const std::string_view now(record.bytes.data(), kRecordSize);
    const std::string_view was(before.bytes.data(), kRecordSize);
    const bool ok = files::writeAllAt(fd, now, at) && ::fsync(fd) == 0;
    if (!ok) {
        // From the first byte that differs: a write stopped by a file-size limit changed
        // nothing past it, and putting those bytes back would stop there too.
        std::size_t from = 0;
        while (from < kRecordSize && now[from] == was[from])
            ++from;
        files::writeAllAt(fd, was.substr(from), at + from);
        ::fsync(fd);
    }
    return ok;
}

bool allEmpty(std::initializer_list<std::span<const QsoRecord>> runs)
{
    return std::all_of(runs.begin(), runs.end(), [](auto run) { return run.empty(); });
}

IoResult ioResultOf(LockResult locked)
{
    switch (locked) {
    case LockResult::Ok:
        return IoResult::Ok;
    case LockResult::Busy:
        return IoResult::Busy;
    case LockResult::Failed:
        break;
    }
    return IoResult::Failed;
}

} // namespace

IoResult appendRecords(const std::string &path, std::int32_t nextRecordNo,
                       std::initializer_list<std::span<const QsoRecord>> runs)
{
    if (nextRecordNo < 1)
        return IoResult::Failed;
    if (allEmpty(runs))
        return IoResult::Ok;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, files::kNewFileMode);
    if (fd < 0)
        return IoResult::Failed;
    const IoResult result = appendAt(fd, nextRecordNo, runs);
    return (::close(fd) == 0) ? result : IoResult::Failed;
}

IoResult lockLog(const std::string &path, FileLock &lock, std::chrono::milliseconds wait)
{
    return ioResultOf(lock.acquire(path, LockMode::Exclusive, wait, true));
}

AppendOutcome appendAtEnd(const FileLock &lock,
                          std::initializer_list<std::span<const QsoRecord>> runs)
{
    AppendOutcome outcome;
    struct stat st
    {
    };
    if (!lock.held() || ::fstat(lock.fd(), &st) != 0) {
        outcome.result = IoResult::Failed;
        return outcome;
    }
    // After the last whole record as the file stands now, under the lock: no other program
    // can write between this look and the write.
    const auto whole =
        static_cast<std::int64_t>(st.st_size) / static_cast<std::int64_t>(kRecordSize);
    std::int64_t count = 0;
    for (const auto run : runs)
        count += static_cast<std::int64_t>(run.size());
    if (whole + count >= std::numeric_limits<std::int32_t>::max()) {
        outcome.result = IoResult::Failed;
        return outcome;
    }
    outcome.firstRecordNo = static_cast<std::int32_t>(whole + 1);
    outcome.recordCount = static_cast<std::int32_t>(whole + count);
    if (count > 0)
        outcome.result = appendAt(lock.fd(), outcome.firstRecordNo, runs);
    if (outcome.result != IoResult::Ok)
        outcome.recordCount = static_cast<std::int32_t>(whole);
    return outcome;
}

AppendOutcome appendAtEnd(const std::string &path,
                          std::initializer_list<std::span<const QsoRecord>> runs,
                          std::chrono::milliseconds wait)
{
    FileLock lock;
    AppendOutcome outcome;
    outcome.result = lockLog(path, lock, wait);
    if (outcome.result != IoResult::Ok)
        return outcome;
    return appendAtEnd(lock, runs);
}

IoResult rewriteRecordIfUnchanged(const std::string &path, std::int32_t n,
                                  const QsoRecord &expected, const QsoRecord &record,
                                  std::chrono::milliseconds wait)
{
    if (n < 1)
        return IoResult::Failed;
    FileLock lock;
    const IoResult locked = ioResultOf(lock.acquire(path, LockMode::Exclusive, wait));
    if (locked != IoResult::Ok)
        return errno == ENOENT && locked == IoResult::Failed ? IoResult::Missing : locked;
    QsoRecord now;
    const ssize_t got = files::readFullAt(lock.fd(), now.bytes.data(), kRecordSize,
                                          static_cast<std::uint64_t>(offsetOf(n)));
    if (got < 0)
        return IoResult::Failed;
    // Gone (the log was reorganized shorter) or another program changed it.
    if (got < static_cast<ssize_t>(kRecordSize) || now.bytes != expected.bytes)
        return IoResult::Changed;
    const bool ok = writeRecordOrUndo(lock.fd(), n, record, now);
    return ok ? IoResult::Ok : IoResult::Failed;
}

IoResult rewriteRecord(const std::string &path, std::int32_t n, const QsoRecord &record)
{
    if (n < 1)
        return IoResult::Failed;
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (!fd.valid())
        return errno == ENOENT ? IoResult::Missing : IoResult::Failed;
    const auto at = static_cast<std::uint64_t>(offsetOf(n));
    // The record as it is, so that a write cut short (a full disk, a file-size limit) puts it
    // back byte for byte instead of leaving it half new and half old.
    QsoRecord before;
    if (files::readFullAt(fd.get(), before.bytes.data(), kRecordSize, at) !=
        static_cast<ssize_t>(kRecordSize))
        return IoResult::Failed;
    bool ok = writeRecordOrUndo(fd.get(), n, record, before);
    ok = fd.close() && ok;
    return ok ? IoResult::Ok : IoResult::Failed;
}

IoResult markDeleted(const std::string &path, std::int32_t n, bool qslPending)
{
    return rewriteRecord(path, n, buildDeletedRecord(qslPending));
}

IoResult backupBeforeDelete(const std::string &logPath, const std::string &backupPath)
{
    if (!files::exists(logPath))
        return IoResult::Missing;
    // A copy of the log as a whole: no other program writes it half-way through the copy.
    FileLock lock;
    const LockResult locked = lock.acquire(logPath, LockMode::Shared, kRecordLockWait);
    if (locked != LockResult::Ok)
        return ioResultOf(locked);
    return files::copyAtomically(logPath, backupPath) ? IoResult::Ok : IoResult::Failed;
}

} // namespace vz::log
