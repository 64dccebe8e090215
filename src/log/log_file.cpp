// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/log_file.h"

#include "common/file_io.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
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

IoResult appendRecords(const std::string &path, std::int32_t nextRecordNo,
                       std::initializer_list<std::span<const QsoRecord>> runs)
{
    if (nextRecordNo < 1)
        return IoResult::Failed;
    if (std::all_of(runs.begin(), runs.end(), [](auto run) { return run.empty(); }))
        return IoResult::Ok;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, files::kNewFileMode);
    if (fd < 0)
        return IoResult::Failed;
    struct stat before
    {
    };
    if (::fstat(fd, &before) != 0) {
        ::close(fd);
        return IoResult::Failed;
    }
    // QsoRecord is its 254 bytes, so the records of a run lie back to back as in the file.
    static_assert(sizeof(QsoRecord) == kRecordSize);
    off_t at = offsetOf(nextRecordNo);
    // What lies past the last whole record (a torn tail) is overwritten by the new records:
    // kept aside, so that a failed append puts it back as it was.
    std::string tail;
    if (before.st_size > at) {
        tail.resize(static_cast<std::size_t>(before.st_size - at));
        if (files::readFullAt(fd, tail.data(), tail.size(), static_cast<std::uint64_t>(at)) !=
            static_cast<ssize_t>(tail.size())) {
            ::close(fd);
            return IoResult::Failed;
        }
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
    ok = (::close(fd) == 0) && ok;
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
    const std::string_view now(record.bytes.data(), kRecordSize);
    const std::string_view was(before.bytes.data(), kRecordSize);
    bool ok = files::writeAllAt(fd.get(), now, at) && ::fsync(fd.get()) == 0;
    if (!ok) {
        // From the first byte that differs: a write stopped by a file-size limit changed
        // nothing past it, and putting those bytes back would stop there too.
        std::size_t from = 0;
        while (from < kRecordSize && now[from] == was[from])
            ++from;
        files::writeAllAt(fd.get(), was.substr(from), at + from);
        ::fsync(fd.get());
    }
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
    return files::copyAtomically(logPath, backupPath) ? IoResult::Ok : IoResult::Failed;
}

} // namespace vz::log
