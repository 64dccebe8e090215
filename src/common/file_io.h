// SPDX-License-Identifier: GPL-3.0-or-later
// Files over plain paths and descriptors: whole reads with limits, positioned transfers that go
// on until done, the atomic writer (a temporary beside the file, flushed and renamed over it),
// its temporaries and the links it writes through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace vz {

// Owns one open file descriptor and closes it when it goes.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd &&other) noexcept : m_fd(other.release()) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1);
    // Closes now and says whether close() succeeded (a write may be reported only there).
    bool close();

private:
    int m_fd = -1;
};

// File helpers over plain paths. Each opens, transfers and closes.
namespace files {

// A new file's mode before the umask: what every program gives a data file.
constexpr mode_t kNewFileMode = 0666;

bool exists(const std::string &path);
// Writes every byte to an open file, going on after interruptions; false on any failure.
bool writeAll(int fd, std::string_view bytes);
// The same at byte offset `at`, leaving the file position alone.
bool writeAllAt(int fd, std::string_view bytes, std::uint64_t at);
// Reads up to `size` bytes at byte offset `at`, going on after interruptions and short reads
// until `size` bytes, the end of the file or an error: the bytes read (fewer only at the end),
// or -1 on an error.
ssize_t readFullAt(int fd, char *buffer, std::size_t size, std::uint64_t at);
// Renames `from` over `to` and flushes their folder, so the new file survives a power cut.
bool renameDurably(const std::string &from, const std::string &to);
// Size in bytes; nullopt when the file does not exist.
std::optional<std::uint64_t> size(const std::string &path);

// Why a file given by the user could not be read.
enum class ReadProblem {
    None,
    CannotOpen,
    NotRegular, // a folder, device, FIFO or socket: never read
    TooLarge,   // past kReadLimit
    ReadError,
};
// No real file of this program comes near it (a large event file is some 60 MB); a link to
// /dev/zero or a runaway file stops here instead of filling the memory.
constexpr std::uint64_t kReadLimit = std::uint64_t{1} << 30;
// Reads a regular file of at most kReadLimit bytes whole; `problem`, when given, says why not.
std::optional<std::string> readAll(const std::string &path, ReadProblem *problem = nullptr);
// Opens a file for reading only when it is a regular file: a FIFO is not waited on, a folder or
// a device is refused (-1 with errno EINVAL; ENOENT and the others as open gives them).
int openRegularForReading(const std::string &path);
// `fd` when it is a regular file, made blocking again (opened O_NONBLOCK so that a FIFO is not
// waited on); else closed, and -1 with errno EINVAL. -1 stays -1.
int keepIfRegular(int fd);
// The problem as a line of text (UTF-8) for the user, after the file's name.
std::string_view readProblemText(ReadProblem problem);

// The file a write to `path` replaces: the end of its chain of symbolic links, so rewriting a
// linked file keeps the link and changes what it points to.
std::string writeTarget(const std::string &path);
// Creates a temporary file beside `target` named after it and this process
// ("NAME.tmp<pid>.XXXXXX"), first removing the stale ones of earlier writers (a crash or a kill
// leaves them); -1 when it cannot be created. The writer holds a lock on its temporary until it
// closes it, which is how the next writer tells a live write from a leftover.
// Its mode: when `target` exists, the target's mode and, where the process may set it, its
// group, so a rewrite changes no permission; else `newMode` less the process's umask, as any
// file the system creates (a copy passes its source's mode, as cp does).
int createTemporaryBeside(const std::string &target, std::string &tempPath,
                          mode_t newMode = kNewFileMode);
// Removes the temporaries of `target` ("NAME.tmp<pid>.XXXXXX") that no live writer holds: their
// lock can be taken, and their writer no longer runs or they are older than a minute (a process
// id taken over by another program). Used before a write and when a log is opened.
void removeStaleTemporaries(const std::string &target);

// Replaces `path` as a whole: writes a temporary file in the same folder, flushes it to disk
// and renames it over `path` (over the file it links to, when it is a symbolic link). A crash
// leaves either the old or the new file, never half of one.
bool replaceAtomically(const std::string &path, std::string_view bytes);

// Writes a new version of a file beside it and puts it in place only on commit(), so the old
// file exists, whole, until the new one is complete on disk. Destroying an uncommitted writer
// removes the temporary file and leaves the old file untouched.
class AtomicFileWriter
{
public:
    // `newMode` as for createTemporaryBeside.
    explicit AtomicFileWriter(std::string path, mode_t newMode = kNewFileMode);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter &) = delete;
    AtomicFileWriter &operator=(const AtomicFileWriter &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool write(std::string_view bytes);
    // Flushes to disk and renames over the target; false (and nothing replaced) on any failure.
    bool commit();
    const std::string &tempPath() const { return m_temp; }

private:
    std::string m_path;
    std::string m_temp;
    int m_fd = -1;
    bool m_failed = false;
};

// Copies `from` over `to` the same way (used for backups).
bool copyAtomically(const std::string &from, const std::string &to);

// Creates an empty file when none exists; true when the file exists afterwards.
bool createEmptyIfMissing(const std::string &path);

} // namespace files
} // namespace vz
