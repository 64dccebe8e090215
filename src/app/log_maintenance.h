// SPDX-License-Identifier: GPL-3.0-or-later
// Maintenance of the current user's log, the two commands of the file tab:
//   reorganizeLog  rewrites the log without its deleted records (the live ones close up and
//                  are renumbered), then clears the deleted flag;
//   restoreLog     puts back the copy taken before deletions (callsign + ".BAK", any letter
//                  case), consuming it, and clears the deleted flag.
// Both hold the log's lock for their whole run (another program's append waits for the new
// log, then lands in it). Both write the new log to a temporary file beside it, flush it to disk
// and rename it over the log, so the log exists, whole, at every moment: a failure or a crash
// leaves the old log as it was. Both then rebuild the own area index and NextRecordNo, as opening
// the log does, so the history and the searches never read a stale index.
//
// The window asks for confirmation, shows the progress and maps the results to its messages.
#pragma once

#include "app/app_state.h"
#include "app/session.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

namespace vz {
class ProgressSink;
}

namespace vz::app {

// The file operations a rewrite of the log makes. The program uses the disk through the
// default implementation; tests replace single operations to make them fail as a full or
// broken disk would, or to stop the process in the middle, and show the log survives each.
class RewriteIo
{
public:
    virtual ~RewriteIo() = default;
    // A descriptor, or -1.
    virtual int openForReading(const std::string &path);
    // Bytes read (0 at the end), or -1.
    virtual ssize_t readAt(int fd, char *buffer, std::size_t size, off_t offset);
    // Creates a new, empty temporary file beside `target` as files::createTemporaryBeside does
    // (a killed run's copy is removed as stale later); returns its descriptor and sets
    // `tempPath`, or returns -1.
    virtual int createBeside(const std::string &target, std::string &tempPath);
    virtual bool writeAll(int fd, const char *data, std::size_t size);
    // Forces the written bytes to the disk.
    virtual bool flush(int fd);
    virtual bool close(int fd);
    // Renames `from` over `to` and makes the rename itself durable.
    virtual bool replace(const std::string &from, const std::string &to);
    virtual bool remove(const std::string &path);
};

// The disk, as the program uses it.
RewriteIo &diskIo();

enum class ReorganizeResult {
    Ok,
    Failed, // the log could not be read or the new one written; the log is unchanged
    Busy,   // another program held the log's lock for the whole wait; nothing was done
};

struct ReorganizeOutcome
{
    ReorganizeResult result = ReorganizeResult::Ok;
    std::int32_t kept = 0;    // live records in the new log
    std::int32_t removed = 0; // deleted records left out
    // The own area index rebuilt over the new log (only meaningful on Ok).
    OpenResult index = OpenResult::Ok;
};

enum class RestoreResult {
    Ok,
    NoBackup, // there is no copy taken before deletions
    Failed,   // the copy could not be put in place; log and copy are unchanged
    Busy,     // another program held the log's lock for the whole wait; nothing was done
};

struct RestoreOutcome
{
    RestoreResult result = RestoreResult::Ok;
    OpenResult index = OpenResult::Ok;
};

// The copy of the current log taken before deletions, under any letter case; the canonical
// name CALL.BAK when there is none.
std::string backupFilePath(const AppState &state);
bool backupExists(const AppState &state);

// Records the log holds past the end of the backup: contacts registered (or imported) after the
// copy was taken, which a restore drops. 0 when there is no backup or the log is not longer.
std::int32_t recordsAfterBackup(const AppState &state);

// On Ok: NextRecordNo = live records + 1, DeletedFlag false, a leftover CALL.Old of an
// interrupted older run removed, the own index rebuilt. On Failed nothing in the state changes.
ReorganizeOutcome reorganizeLog(AppState &state, ProgressSink &progress, RewriteIo &io = diskIo());

// On Ok: the log is the backup byte for byte, the backup is gone, NextRecordNo = whole records
// + 1, DeletedFlag false (even when the restored log holds records marked deleted before the
// copy was taken), the own index rebuilt.
RestoreOutcome restoreLog(AppState &state, ProgressSink &progress, RewriteIo &io = diskIo());

} // namespace vz::app
