// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/area_index.h"

#include "common/file_io.h"
#include "common/progress.h"
#include "log/prefix_table.h"
#include "log/qso_record.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <unistd.h>

namespace vz::log {

namespace {

// Records per read: large sequential reads keep the pass close to the speed of the disk.
constexpr std::size_t kRecordsPerChunk = 16384;
// How often the progress display is told; more often only costs time.
constexpr std::int32_t kProgressEvery = 8192;

} // namespace

std::int64_t AreaIndex::total() const
{
    std::int64_t sum = 0;
    for (const auto &l : m_lists)
        sum += static_cast<std::int64_t>(l.size());
    return sum;
}

void AreaIndex::append(int area, std::int32_t recordIndex)
{
    m_lists[area].push_back(recordIndex);
}

void AreaIndex::reserveSpareSlots()
{
    for (auto &l : m_lists)
        l.reserve(l.size() + kSpareSlots);
}

void AreaIndex::clear()
{
    for (auto &l : m_lists) {
        l.clear();
        l.shrink_to_fit();
    }
    m_built = false;
}

IndexResult buildAreaIndex(const std::string &logPath, PrefixTable &table, ProgressSink &progress,
                           AreaIndex &index)
{
    index.clear();
    table.refreshIfChanged();
    const int fd = files::openRegularForReading(logPath);
    if (fd < 0) {
        if (errno != ENOENT)
            return IndexResult::ReadFailed;
        try {
            index.reserveSpareSlots();
        } catch (const std::bad_alloc &) {
            return IndexResult::NoMemory;
        }
        index.markBuilt();
        return IndexResult::Ok;
    }
    const UniqueFd closer(fd);
    const off_t size = ::lseek(fd, 0, SEEK_END);
    const auto count = static_cast<std::int32_t>(size / static_cast<off_t>(kRecordSize));
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    progress.begin(count);
    IndexResult result = IndexResult::Ok;
    try {
        std::vector<char> chunk(kRecordsPerChunk * kRecordSize);
        std::int32_t i = 0;
        while (i < count) {
            const std::int32_t n = std::min<std::int32_t>(kRecordsPerChunk, count - i);
            const std::size_t want = static_cast<std::size_t>(n) * kRecordSize;
            if (files::readFullAt(fd, chunk.data(), want,
                                  static_cast<std::uint64_t>(i) * kRecordSize) !=
                static_cast<ssize_t>(want)) {
                result = IndexResult::ReadFailed;
                break;
            }
            for (std::int32_t k = 0; k < n; ++k, ++i) {
                if (i % kProgressEvery == 0)
                    progress.advance(i);
                const std::string_view call = callsignOf(chunk.data() + k * kRecordSize);
                if (call == kEmptyMark)
                    continue;
                index.append(classifyCallArea(call, table), i);
            }
        }
        if (result == IndexResult::Ok)
            index.reserveSpareSlots();
    } catch (const std::bad_alloc &) {
        result = IndexResult::NoMemory;
    }
    progress.end();
    if (result != IndexResult::Ok) {
        index.clear();
        return result;
    }
    index.markBuilt();
    return result;
}

IndexResult extendAreaIndex(const std::string &logPath, PrefixTable &table, std::int32_t from,
                            std::int32_t to, AreaIndex &index)
{
    if (from >= to)
        return IndexResult::Ok;
    const UniqueFd fd(files::openRegularForReading(logPath));
    if (!fd.valid())
        return IndexResult::ReadFailed;
    table.refreshIfChanged();
    try {
        std::vector<char> chunk(kRecordsPerChunk * kRecordSize);
        for (std::int32_t i = from; i < to;) {
            const std::int32_t n = std::min<std::int32_t>(kRecordsPerChunk, to - i);
            const std::size_t want = static_cast<std::size_t>(n) * kRecordSize;
            const ssize_t got = files::readFullAt(fd.get(), chunk.data(), want,
                                                  static_cast<std::uint64_t>(i) * kRecordSize);
            if (got != static_cast<ssize_t>(want))
                return IndexResult::ReadFailed;
            for (std::int32_t k = 0; k < n; ++k, ++i) {
                const std::string_view call = callsignOf(chunk.data() + k * kRecordSize);
                if (call != kEmptyMark)
                    index.append(classifyCallArea(call, table), i);
            }
        }
    } catch (const std::bad_alloc &) {
        return IndexResult::NoMemory;
    }
    return IndexResult::Ok;
}

} // namespace vz::log
