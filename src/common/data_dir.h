// SPDX-License-Identifier: GPL-3.0-or-later
// The data directory: the working directory at start-up + "/Data/". Every name in it is
// looked up without regard to letter case, so files copied from another machine
// (PREFIX.CFG, ja1abc.dat) are found; a new file gets the spelling the program asks for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vz {

class DataDir
{
public:
    DataDir() = default;
    // `root` ends with a slash.
    explicit DataDir(std::string root);

    // DataDir for a working directory: workingDir + "/Data/".
    static DataDir forWorkingDirectory(std::string_view workingDir);

    const std::string &root() const { return m_root; }

    // The path of `name`: an existing file whose name matches without regard to letter case,
    // else root + name as given.
    std::string path(std::string_view name) const;
    bool exists(std::string_view name) const;

private:
    std::optional<std::string> findExisting(std::string_view name) const;
    std::string m_root;
};

// File helpers over plain paths. Each opens, transfers and closes.
namespace files {

bool exists(const std::string &path);
// Writes every byte to an open file, going on after interruptions; false on any failure.
bool writeAll(int fd, std::string_view bytes);
// The same at byte offset `at`, leaving the file position alone.
bool writeAllAt(int fd, std::string_view bytes, std::uint64_t at);
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
// The problem as a line of text (UTF-8) for the user, after the file's name.
std::string_view readProblemText(ReadProblem problem);

// The file a write to `path` replaces: the end of its chain of symbolic links, so rewriting a
// linked file keeps the link and changes what it points to.
std::string writeTarget(const std::string &path);
// Creates a temporary file beside `target` named after it and this process
// ("NAME.tmp<pid>.XXXXXX"), first removing those of earlier writers that no longer run (a
// crash or a kill leaves them); -1 when it cannot be created.
int createTemporaryBeside(const std::string &target, std::string &tempPath);

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
    explicit AtomicFileWriter(std::string path);
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
