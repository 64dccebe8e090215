// SPDX-License-Identifier: GPL-3.0-or-later
// Advisory locks between the programs that share one data folder (two windows, vezolog, the
// WSJT-X listener). They are flock() locks: they belong to the open file, so closing another
// descriptor of the same file never drops them, and the kernel drops them when the holder dies,
// so a lock of a killed program is never waited on.
//
// The log and the settings file are replaced by rename (reorganize, restore, settings saves):
// a lock taken on the old file would guard nothing. FileLock therefore checks, once it holds
// the lock, that its descriptor still names the file at the path, and else opens the new file
// and tries again.
#pragma once

#include <chrono>
#include <string>

namespace vz {

enum class LockMode {
    Shared,    // readers that need a stable file
    Exclusive, // writers
};

enum class LockResult {
    Ok,
    Busy,   // another program held the lock for the whole time limit
    Failed, // the file could not be opened or locked
};

// A record write waits this long for another program, then gives up and writes nothing.
inline constexpr std::chrono::milliseconds kRecordLockWait{5000};

class FileLock
{
public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock &&other) noexcept;
    FileLock &operator=(FileLock &&other) noexcept;
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Opens `path` (creating it empty when `create` is set), takes the lock in `mode`, waiting
    // at most `wait` (zero: one try), and makes sure the locked file is the one at the path.
    LockResult acquire(const std::string &path, LockMode mode, std::chrono::milliseconds wait,
                       bool create = false);
    // The locked descriptor (read-write when it could be opened so, else read-only); -1 when
    // no lock is held.
    int fd() const { return m_fd; }
    bool held() const { return m_fd >= 0; }
    void release();

private:
    int m_fd = -1;
};

// The message for a lock that could not be had in time (UTF-8).
inline constexpr const char *kLogBusyText = "ほかのプログラムがログを使用中です";

} // namespace vz
