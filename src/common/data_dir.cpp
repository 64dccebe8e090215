// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/data_dir.h"

#include "common/prefault.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vz {

namespace {

std::string folderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

void syncFolder(const std::string &path)
{
    const int dfd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace

DataDir::DataDir(std::string root) : m_root(std::move(root))
{
    if (!m_root.empty() && m_root.back() != '/')
        m_root += '/';
}

DataDir DataDir::forWorkingDirectory(std::string_view workingDir)
{
    std::string root(workingDir);
    if (!root.empty() && root.back() == '/')
        root.pop_back();
    return DataDir(root + "/Data/");
}

std::optional<std::string> DataDir::findExisting(std::string_view name) const
{
    const std::string exact = m_root + std::string(name);
    struct stat st
    {
    };
    if (::stat(exact.c_str(), &st) == 0)
        return exact;
    DIR *dir = ::opendir(m_root.c_str());
    if (!dir)
        return std::nullopt;
    std::optional<std::string> found;
    const std::string wanted(name);
    while (const dirent *entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, wanted.c_str()) == 0) {
            found = m_root + entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

std::string DataDir::path(std::string_view name) const
{
    if (auto existing = findExisting(name))
        return *existing;
    return m_root + std::string(name);
}

bool DataDir::exists(std::string_view name) const
{
    return findExisting(name).has_value();
}

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

int openRegularForReading(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
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

void removeStaleTemporaries(const std::string &target)
{
    const std::string folder = folderOf(target);
    const std::string prefix = nameOf(target) + std::string(kTempMark);
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> stale;
    while (const dirent *entry = ::readdir(dir)) {
        const pid_t pid = writerOf(entry->d_name, prefix);
        // Only a writer that no longer runs: another program's live write is left alone.
        if (pid > 0 && pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH)
            stale.push_back(folder + entry->d_name);
    }
    ::closedir(dir);
    for (const std::string &path : stale) {
        struct stat st
        {
        };
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            ::unlink(path.c_str());
    }
}

} // namespace

int createTemporaryBeside(const std::string &target, std::string &tempPath)
{
    removeStaleTemporaries(target);
    std::string name = target + std::string(kTempMark) + std::to_string(::getpid()) + ".XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return -1;
    ::fchmod(fd, 0644);
    tempPath = std::move(name);
    return fd;
}

AtomicFileWriter::AtomicFileWriter(std::string path) : m_path(writeTarget(path))
{
    m_fd = createTemporaryBeside(m_path, m_temp);
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
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    AtomicFileWriter writer(to);
    std::string buffer(1 << 20, '\0');
    bool ok = writer.isOpen();
    while (ok) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = writer.write(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    }
    ::close(in);
    return ok && writer.commit();
}

bool createEmptyIfMissing(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    return ::close(fd) == 0;
}

} // namespace files
} // namespace vz
