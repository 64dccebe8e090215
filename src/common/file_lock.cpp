// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/file_lock.h"

#include "common/file_io.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vz {

namespace {

int openForLocking(const std::string &path, bool create)
{
    int fd;
    do {
        fd = ::open(path.c_str(),
                    O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (create ? O_CREAT : 0),
                    files::kNewFileMode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    // A FIFO or a device is never a file of the data folder.
    return files::keepIfRegular(fd);
}

// True when `fd` is still the file that `path` names (it was not renamed over or removed).
bool stillAtPath(int fd, const std::string &path)
{
    struct stat held
    {
    }, named{};
    return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

} // namespace

FileLock::~FileLock()
{
    release();
}

FileLock::FileLock(FileLock &&other) noexcept : m_fd(other.m_fd)
{
    other.m_fd = -1;
}

FileLock &FileLock::operator=(FileLock &&other) noexcept
{
    if (this != &other) {
        release();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

void FileLock::release()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing the only descriptor of this open file drops the lock
    m_fd = -1;
}

LockResult FileLock::acquire(const std::string &path, LockMode mode, std::chrono::milliseconds wait,
                             bool create)
{
    release();
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + wait;
    const int operation = (mode == LockMode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    // flock has no time limit of its own: short sleeps between tries, growing to 50 ms.
    std::chrono::milliseconds pause{2};
    for (;;) {
        const int fd = openForLocking(path, create);
        if (fd < 0)
            return LockResult::Failed;
        bool locked = false;
        for (;;) {
            if (::flock(fd, operation) == 0) {
                locked = true;
                break;
            }
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK) {
                ::close(fd);
                return LockResult::Failed;
            }
            if (Clock::now() >= deadline)
                break;
            std::this_thread::sleep_for(pause);
            pause = std::min(pause * 2, std::chrono::milliseconds{50});
        }
        if (!locked) {
            ::close(fd);
            return LockResult::Busy;
        }
        if (stillAtPath(fd, path)) {
            m_fd = fd;
            return LockResult::Ok;
        }
        // Replaced (or removed) while we waited: lock the file that is there now.
        ::close(fd);
        if (!create && ::access(path.c_str(), F_OK) != 0)
            return LockResult::Failed;
    }
}

} // namespace vz
