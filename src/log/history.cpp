// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/history.h"

#include "common/sjis.h"
#include "log/area_index.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vz::log {

namespace {

std::string sjisOf(const char *utf8)
{
    return sjis::fromUtf8(utf8).value_or(std::string());
}

bool callsignEquals(const char *record, std::string_view key)
{
    // A deleted record is never a contact, whatever the key.
    if (record[0] == kEmptyMark[0] && record[1] == '\0')
        return false;
    // The callsign field up to its first NUL or its end.
    const std::size_t width = fieldSpec(Field::Callsign).width;
    if (key.size() > width)
        return false;
    if (std::memcmp(record, key.data(), key.size()) != 0)
        return false;
    return key.size() == width || record[key.size()] == '\0';
}

// Walks the listed records of one area and keeps the count and the last match. `at(i)` gives
// the bytes of 0-based record i, or nullptr when it lies past the end.
template <typename RecordAt>
void scan(const std::vector<std::int32_t> &list, std::string_view key, RecordAt at,
          HistoryResult &out)
{
    for (const std::int32_t i : list) {
        const char *record = at(i);
        if (record && callsignEquals(record, key)) {
            ++out.hits;
            std::memcpy(out.last.bytes.data(), record, kRecordSize);
        }
    }
}

} // namespace

std::string firstContactLine()
{
    return sjisOf("初めての局です。");
}

std::string historyLine(const QsoRecord &last, int hits)
{
    static const std::string san = sjisOf(" さん   ");
    static const std::string portable = sjisOf("（移動） 前回は ");
    static const std::string fixed = sjisOf("         前回は ");
    static const std::string worked = sjisOf("  交信 ");
    static const std::string times = sjisOf("回");

    const bool wasPortable = last.field(Field::FixedJcc).substr(0, 1) == kEmptyMark;
    std::string line(last.field(Field::OpName));
    line += san;
    line += wasPortable ? last.field(Field::PortableQth) : last.field(Field::FixedQth);
    line += wasPortable ? portable : fixed;
    line += last.field(Field::QsoDate);
    line += "   ";
    line += last.field(Field::Frequency);
    line += worked;
    line += std::to_string(hits);
    line += times;
    return std::string(sjis::cutToWidth(line, kHistoryLineBytes));
}

HistoryResult lookupHistory(const std::string &logPath, const AreaIndex &index, int area,
                            std::string_view key)
{
    HistoryResult out;
    if (area < 0 || area >= kAreaCount)
        return out;
    const int fd = ::open(logPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        out.result = errno == ENOENT ? IoResult::Missing : IoResult::Failed;
        return out;
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        out.result = IoResult::Failed;
        return out;
    }
    const auto size = static_cast<std::uint64_t>(st.st_size);
    const std::uint64_t whole = size / kRecordSize;
    const std::vector<std::int32_t> &list = index.list(area);

    // The listed records are read in place through a read-only mapping: a lookup in the busiest
    // area of a large log touches a third of the file, which plain reads of 254 bytes each
    // would make too slow to run on leaving the callsign field.
    void *map = size > 0 ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
    if (map != MAP_FAILED) {
        ::madvise(map, size, MADV_WILLNEED);
        const char *base = static_cast<const char *>(map);
        scan(
            list, key,
            [&](std::int32_t i) -> const char * {
                return i >= 0 && static_cast<std::uint64_t>(i) < whole
                           ? base + static_cast<std::uint64_t>(i) * kRecordSize
                           : nullptr;
            },
            out);
        ::munmap(map, size);
        out.result = IoResult::Ok;
    } else {
        // An empty file, or a file system that cannot map: one positioned read per record.
        QsoRecord buffer;
        bool failed = false;
        scan(
            list, key,
            [&](std::int32_t i) -> const char * {
                if (i < 0 || static_cast<std::uint64_t>(i) >= whole || failed)
                    return nullptr;
                buffer.clear();
                const off_t at = static_cast<off_t>(i) * static_cast<off_t>(kRecordSize);
                ssize_t got;
                do {
                    got = ::pread(fd, buffer.bytes.data(), kRecordSize, at);
                } while (got < 0 && errno == EINTR);
                if (got != static_cast<ssize_t>(kRecordSize)) {
                    failed = got < 0;
                    return nullptr;
                }
                return buffer.bytes.data();
            },
            out);
        out.result = failed ? IoResult::Failed : IoResult::Ok;
    }
    ::close(fd);
    out.line = out.hits > 0 ? historyLine(out.last, out.hits) : firstContactLine();
    return out;
}

} // namespace vz::log
