// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/data_dir.h"

#include "common/prefault.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::optional<std::string> readAll(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string content;
    struct stat st
    {
    };
    // One allocation for the whole file: large files (logs, ADIF) are read this way.
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        content.reserve(static_cast<std::size_t>(st.st_size));
        memory::prefaultCapacity(content);
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return content;
}

AtomicFileWriter::AtomicFileWriter(std::string path)
    : m_path(std::move(path)), m_temp(m_path + ".tmpXXXXXX")
{
    m_fd = ::mkstemp(m_temp.data());
    if (m_fd >= 0)
        ::fchmod(m_fd, 0644);
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
