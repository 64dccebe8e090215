// SPDX-License-Identifier: GPL-3.0-or-later
// A user's log: callsign + ".DAT", records back to back with no header. Record n (1-based, as
// the operator sees it) lies at byte (n - 1) * 254; bytes after the last whole record are not
// a record. Every operation opens the file, does one positioned transfer and closes it.
#pragma once

#include "log/qso_record.h"

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
};

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

// Overwrites record n.
IoResult rewriteRecord(const std::string &path, std::int32_t n, const QsoRecord &record);

// "-" in all 20 text fields of record n, keeping the QSL flag as shown.
IoResult markDeleted(const std::string &path, std::int32_t n, bool qslPending);

// Copies the log to its ".BAK", replacing an older copy.
IoResult backupBeforeDelete(const std::string &logPath, const std::string &backupPath);

} // namespace vz::log
