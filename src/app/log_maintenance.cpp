// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/log_maintenance.h"

#include "common/file_io.h"
#include "common/progress.h"
#include "log/area_index.h"
#include "log/log_file.h"
#include "log/qso_record.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vz::app {

namespace {

// Records per read: large sequential transfers keep the pass close to the speed of the disk.
constexpr std::size_t kRecordsPerChunk = 16384;
constexpr std::size_t kChunkBytes = kRecordsPerChunk * log::kRecordSize;

enum class Keep {
    LiveRecords, // whole records whose callsign is not the deleted mark
    Everything,  // every byte, a partial last record included
};

struct Rewritten
{
    bool ok = false;
    std::int64_t bytes = 0; // size of the new file
};

// Reads `from` and writes what is kept to a new file beside `to`, which is then flushed and
// renamed over `to`. On any failure the new file is removed and `to` is left as it was.
Rewritten rewrite(const std::string &from, const std::string &linkedTo, Keep keep, RewriteIo &io,
                  ProgressSink &progress)
{
    const std::string to = files::writeTarget(linkedTo); // a linked log keeps its link
    Rewritten result;
    const int in = io.openForReading(from);
    if (in < 0)
        return result;
    struct stat st = {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        io.close(in);
        return result;
    }
    ::posix_fadvise(in, 0, 0, POSIX_FADV_SEQUENTIAL);
    const auto size = static_cast<std::int64_t>(st.st_size);
    const auto recordSize = static_cast<std::int64_t>(log::kRecordSize);
    // Reorganizing reads whole records only: a partial tail is not a record and is dropped.
    const std::int64_t toRead = keep == Keep::LiveRecords ? size / recordSize * recordSize : size;
    progress.begin(toRead / recordSize);

    std::string tempPath;
    const int out = io.createBeside(to, tempPath);
    bool ok = out >= 0;
    if (ok) {
        std::vector<char> chunk;
        try {
            chunk.resize(kChunkBytes);
        } catch (const std::bad_alloc &) {
            ok = false;
        }
        std::int64_t at = 0;
        while (ok && at < toRead) {
            const auto want = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(kChunkBytes), toRead - at));
            std::size_t got = 0;
            while (got < want) {
                const ssize_t n = io.readAt(in, chunk.data() + got, want - got,
                                            static_cast<off_t>(at + static_cast<off_t>(got)));
                if (n <= 0)
                    break;
                got += static_cast<std::size_t>(n);
            }
            if (got < want) {
                ok = false; // a read error, or the file shrank under us
                break;
            }
            std::size_t keepBytes = want;
            if (keep == Keep::LiveRecords) {
                // Live records close up in place over the deleted ones, in file order.
                keepBytes = 0;
                for (std::size_t r = 0; r < want; r += log::kRecordSize) {
                    const char *record = chunk.data() + r;
                    if (log::callsignOf(record) == log::kEmptyMark)
                        continue;
                    if (keepBytes != r)
                        std::memmove(chunk.data() + keepBytes, record, log::kRecordSize);
                    keepBytes += log::kRecordSize;
                }
            }
            if (keepBytes > 0 && !io.writeAll(out, chunk.data(), keepBytes)) {
                ok = false;
                break;
            }
            at += static_cast<std::int64_t>(want);
            result.bytes += static_cast<std::int64_t>(keepBytes);
            progress.advance(at / recordSize);
        }
        ok = ok && io.flush(out);
        ok = io.close(out) && ok;
    }
    io.close(in);
    ok = ok && io.replace(tempPath, to);
    if (!ok && !tempPath.empty() && files::exists(tempPath))
        io.remove(tempPath);
    progress.end();
    result.ok = ok;
    return result;
}

std::int32_t wholeRecords(std::int64_t bytes)
{
    return static_cast<std::int32_t>(bytes / static_cast<std::int64_t>(log::kRecordSize));
}

} // namespace

int RewriteIo::openForReading(const std::string &path)
{
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

ssize_t RewriteIo::readAt(int fd, char *buffer, std::size_t size, off_t offset)
{
    ssize_t n;
    do {
        n = ::pread(fd, buffer, size, offset);
    } while (n < 0 && errno == EINTR);
    return n;
}

int RewriteIo::createBeside(const std::string &target, std::string &tempPath)
{
    return files::createTemporaryBeside(target, tempPath);
}

bool RewriteIo::writeAll(int fd, const char *data, std::size_t size)
{
    return files::writeAll(fd, std::string_view(data, size));
}

bool RewriteIo::flush(int fd)
{
    return ::fsync(fd) == 0;
}

bool RewriteIo::close(int fd)
{
    return ::close(fd) == 0;
}

bool RewriteIo::replace(const std::string &from, const std::string &to)
{
    return files::renameDurably(from, to);
}

bool RewriteIo::remove(const std::string &path)
{
    return ::unlink(path.c_str()) == 0;
}

RewriteIo &diskIo()
{
    static RewriteIo disk;
    return disk;
}

std::string backupFilePath(const AppState &state)
{
    return userFilePath(state, state.currentCall, ".BAK");
}

bool backupExists(const AppState &state)
{
    return files::exists(backupFilePath(state));
}

std::int32_t recordsAfterBackup(const AppState &state)
{
    const std::string backup = backupFilePath(state);
    if (!files::exists(backup))
        return 0;
    return std::max(0, log::recordCount(state.logPath) - log::recordCount(backup));
}

ReorganizeOutcome reorganizeLog(AppState &state, ProgressSink &progress, RewriteIo &io)
{
    ReorganizeOutcome outcome;
    // Held until the new log is in place: no other program appends to the old one meanwhile
    // (its records would be lost with it), and an import that meets the run is refused.
    FileLock lock;
    switch (log::lockLog(state.logPath, lock)) {
    case log::IoResult::Ok:
        break;
    case log::IoResult::Busy:
        outcome.result = ReorganizeResult::Busy;
        return outcome;
    default:
        outcome.result = ReorganizeResult::Failed;
        return outcome;
    }
    const std::int32_t before = log::recordCount(state.logPath);
    files::removeStaleTemporaries(files::writeTarget(state.logPath));
    const Rewritten written =
        rewrite(state.logPath, state.logPath, Keep::LiveRecords, io, progress);
    if (!written.ok) {
        outcome.result = ReorganizeResult::Failed;
        return outcome;
    }
    outcome.kept = wholeRecords(written.bytes);
    outcome.removed = before - outcome.kept;
    state.nextRecordNo = outcome.kept + 1;
    state.deletedFlag = false;
    // An older, interrupted reorganization may have left the log set aside under ".Old"; the log
    // now in place is the one the operator chose to keep.
    const std::string old = userFilePath(state, state.currentCall, ".Old");
    if (files::exists(old))
        io.remove(old);
    outcome.index = rebuildOwnIndex(state, progress);
    return outcome;
}

RestoreOutcome restoreLog(AppState &state, ProgressSink &progress, RewriteIo &io)
{
    RestoreOutcome outcome;
    const std::string backup = backupFilePath(state);
    if (!files::exists(backup)) {
        outcome.result = RestoreResult::NoBackup;
        return outcome;
    }
    FileLock lock;
    switch (log::lockLog(state.logPath, lock)) {
    case log::IoResult::Ok:
        break;
    case log::IoResult::Busy:
        outcome.result = RestoreResult::Busy;
        return outcome;
    default:
        outcome.result = RestoreResult::Failed;
        return outcome;
    }
    files::removeStaleTemporaries(files::writeTarget(state.logPath));
    const Rewritten written = rewrite(backup, state.logPath, Keep::Everything, io, progress);
    if (!written.ok) {
        outcome.result = RestoreResult::Failed;
        return outcome;
    }
    io.remove(backup);
    // The next delete mode writes its copy under the canonical name again.
    state.backupPath = backupFilePath(state);
    state.nextRecordNo = wholeRecords(written.bytes) + 1;
    state.deletedFlag = false;
    outcome.index = rebuildOwnIndex(state, progress);
    return outcome;
}

} // namespace vz::app
