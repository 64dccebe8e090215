// SPDX-License-Identifier: GPL-3.0-or-later
// A user's log: callsign + ".DAT", records back to back with no header. Record n (1-based, as
// the operator sees it) lies at byte (n - 1) * 254; bytes after the last whole record are not
// a record. Every operation opens the file, does one positioned transfer and closes it.
#pragma once

#include "common/file_lock.h"
#include "log/qso_record.h"

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace vz::log {

enum class IoResult {
    Ok,
    Missing, // the file does not exist
    Failed,  // it exists but could not be opened, read or written
    Busy,    // another program held the log's lock for the whole wait: nothing written
    Changed, // the record is no longer what the caller read: nothing written
};

// Which file a path names: reorganize and restore put a new file in place by rename.
struct FileIdentity
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0; // 0 when the file does not exist
    bool operator==(const FileIdentity &) const = default;
};
FileIdentity fileIdentity(const std::string &path);

// File size / 254; 0 when the file does not exist.
std::int32_t recordCount(const std::string &path);

// Zero-fills `buffer`, then reads record n into it. A missing file or a number past the end
// leaves the buffer zero (Missing).
IoResult readRecord(const std::string &path, std::int32_t n, QsoRecord &buffer);

// Writes `record` as number `nextRecordNo`, at byte (nextRecordNo - 1) * 254, so that a damaged
// partial tail is overwritten and numbering stays true. The caller advances NextRecordNo on Ok.
IoResult appendRecord(const std::string &path, std::int32_t nextRecordNo, const QsoRecord &record);

// Writes the records of `runs`, one run after the other, as numbers nextRecordNo,
// nextRecordNo + 1, ... and flushes them once. When any part cannot be written (a full disk)
// the file is cut back to its old length, so the log is as it was before.
IoResult appendRecords(const std::string &path, std::int32_t nextRecordNo,
                       std::initializer_list<std::span<const QsoRecord>> runs);

// Takes the log's exclusive lock, creating an empty log when none exists (Busy after `wait`).
IoResult lockLog(const std::string &path, FileLock &lock,
                 std::chrono::milliseconds wait = kRecordLockWait);

struct AppendOutcome
{
    IoResult result = IoResult::Ok;
    std::int32_t firstRecordNo = 0; // the number the first appended record really got
    std::int32_t recordCount = 0;   // whole records in the log after the append
};

// The one way contacts join a log while other programs may write it too: under the log's
// exclusive lock, held only for this write (waiting at most `wait`, then Busy and nothing
// written), the records go after the last whole record as the file stands at this moment (a
// torn tail is overwritten), so their numbers are the ones that place gives. A failed write
// leaves the log as it was.
AppendOutcome appendAtEnd(const std::string &path,
                          std::initializer_list<std::span<const QsoRecord>> runs,
                          std::chrono::milliseconds wait = kRecordLockWait);
// The same for a caller that holds the log's lock already (an import, for its whole run).
AppendOutcome appendAtEnd(const FileLock &lock,
                          std::initializer_list<std::span<const QsoRecord>> runs);

// Overwrites record n under the log's lock, only when it still holds `expected` byte for byte
// (Changed otherwise, also when the log no longer reaches record n): a modify, a delete or a
// card's flag never lands on a record another program replaced meanwhile.
IoResult rewriteRecordIfUnchanged(const std::string &path, std::int32_t n,
                                  const QsoRecord &expected, const QsoRecord &record,
                                  std::chrono::milliseconds wait = kRecordLockWait);

// Overwrites record n.
IoResult rewriteRecord(const std::string &path, std::int32_t n, const QsoRecord &record);

// "-" in all 20 text fields of record n, keeping the QSL flag as shown.
IoResult markDeleted(const std::string &path, std::int32_t n, bool qslPending);

// Copies the log to its ".BAK", replacing an older copy.
IoResult backupBeforeDelete(const std::string &logPath, const std::string &backupPath);

} // namespace vz::log
