// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/file_io.h"

#include "common/prefault.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vz {

void UniqueFd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

bool UniqueFd::close()
{
    const int fd = release();
    return fd < 0 || ::close(fd) == 0;
}

namespace {

std::string folderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

void syncFolder(const std::string &path)
{
    const int dfd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace

namespace files {

bool writeAll(int fd, std::string_view bytes)
{
    const char *data = bytes.data();
    std::size_t size = bytes.size();
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool writeAllAt(int fd, std::string_view bytes, std::uint64_t at)
{
    const char *data = bytes.data();
    std::size_t size = bytes.size();
    auto offset = static_cast<off_t>(at);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        offset += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

ssize_t readFullAt(int fd, char *buffer, std::size_t size, std::uint64_t at)
{
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, buffer + got, size - got, static_cast<off_t>(at + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

bool renameDurably(const std::string &from, const std::string &to)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        return false;
    syncFolder(to);
    return true;
}

bool exists(const std::string &path)
{
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::uint64_t> size(const std::string &path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

std::optional<std::string> readAll(const std::string &path, ReadProblem *problem)
{
    ReadProblem none = ReadProblem::None;
    ReadProblem &why = problem ? *problem : none;
    why = ReadProblem::None;
    // Not blocking on open: a FIFO would wait for a writer that never comes.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        why = ReadProblem::CannotOpen;
        return std::nullopt;
    }
    const auto fail = [&](ReadProblem p) {
        ::close(fd);
        why = p;
        return std::nullopt;
    };
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0)
        return fail(ReadProblem::CannotOpen);
    if (!S_ISREG(st.st_mode))
        return fail(ReadProblem::NotRegular);
    if (static_cast<std::uint64_t>(st.st_size) > kReadLimit)
        return fail(ReadProblem::TooLarge);
    std::string content;
    // One allocation for the whole file: large files (logs, ADIF) are read this way.
    if (st.st_size > 0) {
        content.reserve(static_cast<std::size_t>(st.st_size));
        memory::prefaultCapacity(content);
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return fail(ReadProblem::ReadError);
        }
        if (n == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(n));
        if (content.size() > kReadLimit) // grew while being read
            return fail(ReadProblem::TooLarge);
    }
    ::close(fd);
    return content;
}

int keepIfRegular(int fd)
{
    if (fd < 0)
        return -1;
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

int openRegularForReading(const std::string &path)
{
    return keepIfRegular(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
}

std::string_view readProblemText(ReadProblem problem)
{
    switch (problem) {
    case ReadProblem::None:
        break;
    case ReadProblem::CannotOpen:
        return "開けません";
    case ReadProblem::NotRegular:
        return "通常のファイルではありません";
    case ReadProblem::TooLarge:
        return "大きすぎます (1 GiB まで)";
    case ReadProblem::ReadError:
        return "読み込み中にエラーが起きました";
    }
    return {};
}

std::string writeTarget(const std::string &path)
{
    std::string at = path;
    // A loop of links ends like the system's own limit: the last name is written.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st
        {
        };
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return at;
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(at.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= link.size())
            return at;
        link.resize(static_cast<std::size_t>(n));
        const auto slash = at.rfind('/');
        at = link.front() == '/' || slash == std::string::npos ? link
                                                               : at.substr(0, slash + 1) + link;
    }
    return at;
}

namespace {

std::string nameOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

constexpr std::string_view kTempMark = ".tmp";
constexpr std::size_t kTempSuffixLength = 6; // the characters mkstemp fills in

// The writer's process id in a temporary file's name after `prefix` ("<pid>.XXXXXX"), or 0.
pid_t writerOf(std::string_view name, std::string_view prefix)
{
    if (!name.starts_with(prefix))
        return 0;
    name.remove_prefix(prefix.size());
    if (name.size() < kTempSuffixLength + 2 || name[name.size() - kTempSuffixLength - 1] != '.')
        return 0;
    const std::string_view digits = name.substr(0, name.size() - kTempSuffixLength - 1);
    pid_t pid = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9' || pid > 99999999)
            return 0;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

// A temporary no live writer holds: its lock can be taken (the caller then holds it), and its
// writer is gone or it is older than any writer's moment between creating and locking it.
bool isStale(int fd, pid_t writer)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return false;
    if (writer != ::getpid() && ::kill(writer, 0) != 0 && errno == ESRCH)
        return true;
    struct stat st
    {
    };
    return ::fstat(fd, &st) == 0 && ::time(nullptr) - st.st_mtime > 60;
}

// Six characters for a temporary's name, as mkstemp makes them.
std::string randomSuffix()
{
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uint64_t bits = 0;
    if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        bits = static_cast<std::uint64_t>(now.tv_nsec) * 6364136223846793005ULL +
               static_cast<std::uint64_t>(::getpid());
    }
    std::string suffix(kTempSuffixLength, 'X');
    for (char &c : suffix) {
        c = kLetters[bits % (sizeof kLetters - 1)];
        bits /= sizeof kLetters - 1;
    }
    return suffix;
}

} // namespace

void removeStaleTemporaries(const std::string &target)
{
    const std::string folder = folderOf(target);
    const std::string prefix = nameOf(target) + std::string(kTempMark);
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::pair<std::string, pid_t>> candidates;
    while (const dirent *entry = ::readdir(dir)) {
        const pid_t pid = writerOf(entry->d_name, prefix);
        if (pid > 0)
            candidates.emplace_back(folder + entry->d_name, pid);
    }
    ::closedir(dir);
    for (const auto &[path, pid] : candidates) {
        // Never a link or a special file of that name: only a regular file is ours.
        const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        struct stat st
        {
        };
        if (fd.valid() && ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) &&
            isStale(fd.get(), pid))
            ::unlink(path.c_str());
    }
}

int createTemporaryBeside(const std::string &target, std::string &tempPath, mode_t newMode)
{
    removeStaleTemporaries(target);
    struct stat old
    {
    };
    const bool rewrite = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    const std::string base = target + std::string(kTempMark) + std::to_string(::getpid()) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = base + randomSuffix();
        // Created with the mode asked for, so the kernel applies the umask (or the folder's
        // default ACL): umask() itself would change the mask of every thread.
        UniqueFd fd(::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                           rewrite ? 0600 : newMode & 07777));
        if (!fd.valid()) {
            if (errno == EEXIST)
                continue;
            return -1;
        }
        ::flock(fd.get(), LOCK_EX);
        if (rewrite) {
            // The group first: changing it may clear set-id bits the mode then puts back. A
            // group the process may not set (EPERM) leaves the file's own, as a copy would.
            if (::fchown(fd.get(), static_cast<uid_t>(-1), old.st_gid) != 0 && errno != EPERM) {
                ::unlink(name.c_str());
                return -1;
            }
            if (::fchmod(fd.get(), old.st_mode & 07777) != 0) {
                ::unlink(name.c_str());
                return -1;
            }
        }
        tempPath = std::move(name);
        return fd.release();
    }
    errno = EEXIST;
    return -1;
}

AtomicFileWriter::AtomicFileWriter(std::string path, mode_t newMode) : m_path(writeTarget(path))
{
    m_fd = createTemporaryBeside(m_path, m_temp, newMode);
}

AtomicFileWriter::~AtomicFileWriter()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_temp.c_str());
    }
}

bool AtomicFileWriter::write(std::string_view bytes)
{
    if (m_fd < 0 || m_failed)
        return false;
    m_failed = !writeAll(m_fd, bytes);
    return !m_failed;
}

bool AtomicFileWriter::commit()
{
    if (m_fd < 0)
        return false;
    bool ok = !m_failed && ::fsync(m_fd) == 0;
    ok = (::close(m_fd) == 0) && ok;
    m_fd = -1;
    if (ok)
        ok = ::rename(m_temp.c_str(), m_path.c_str()) == 0;
    if (!ok) {
        ::unlink(m_temp.c_str());
        return false;
    }
    syncFolder(m_path);
    return true;
}

bool replaceAtomically(const std::string &path, std::string_view bytes)
{
    AtomicFileWriter writer(path);
    return writer.write(bytes) && writer.commit();
}

bool copyAtomically(const std::string &from, const std::string &to)
{
    const UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st
    {
    };
    if (!in.valid() || ::fstat(in.get(), &st) != 0)
        return false;
    // A new copy is no more open to others than what it copies.
    AtomicFileWriter writer(to, st.st_mode & kNewFileMode);
    std::string buffer(1 << 20, '\0');
    bool ok = writer.isOpen();
    while (ok) {
        const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = writer.write(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    }
    return ok && writer.commit();
}

bool createEmptyIfMissing(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, kNewFileMode);
    if (fd < 0)
        return false;
    return ::close(fd) == 0;
}

} // namespace files
} // namespace vz
