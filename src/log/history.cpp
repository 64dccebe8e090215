// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/history.h"

#include "common/file_io.h"
#include "common/sjis.h"
#include "log/area_index.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vz::log {

namespace {

constexpr std::size_t kCallWidth = 7;
static_assert(kCallWidth == 7, "callsign field width");

std::string sjisOf(const char *utf8)
{
    return sjis::fromUtf8(utf8).value_or(std::string());
}

std::array<char, kCallWidth> callOf(const char *record)
{
    std::array<char, kCallWidth> call;
    std::memcpy(call.data(), record, kCallWidth);
    return call;
}

} // namespace

bool CallsignCache::stampOf(int fd, Stamp &stamp)
{
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0)
        return false;
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.ctimeNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return true;
}

IoResult CallsignCache::refresh()
{
    const int fd = files::openRegularForReading(m_path);
    if (fd < 0) {
        m_valid = false;
        m_calls.clear();
        return errno == ENOENT ? IoResult::Missing : IoResult::Failed;
    }
    Stamp now;
    if (!stampOf(fd, now)) {
        ::close(fd);
        m_valid = false;
        return IoResult::Failed;
    }
    if (m_valid && now == m_stamp) {
        ::close(fd);
        return IoResult::Ok;
    }

    // One sequential pass in large whole-record chunks; a partial tail is not a record.
    m_valid = false;
    m_calls.clear();
    m_calls.reserve(now.size / kRecordSize);
    std::vector<char> chunk(4096 * kRecordSize);
    std::size_t filled = 0;
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(fd, chunk.data() + filled, chunk.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ok = false;
            break;
        }
        filled += static_cast<std::size_t>(got);
        const std::size_t whole = filled / kRecordSize;
        for (std::size_t r = 0; r < whole; ++r)
            m_calls.push_back(callOf(chunk.data() + r * kRecordSize));
        const std::size_t rest = filled - whole * kRecordSize;
        std::memmove(chunk.data(), chunk.data() + whole * kRecordSize, rest);
        filled = rest;
        if (got == 0)
            break;
    }
    ::close(fd);
    if (!ok) {
        m_calls.clear();
        return IoResult::Failed;
    }
    // The stamp from before the pass: a change made during it shows at the next refresh.
    m_stamp = now;
    m_valid = true;
    return IoResult::Ok;
}

void CallsignCache::noteWritten(std::int32_t index, const QsoRecord &record)
{
    if (!m_valid || index < 0)
        return;
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    Stamp now;
    const bool stamped = fd >= 0 && stampOf(fd, now);
    if (fd >= 0)
        ::close(fd);
    const auto count = static_cast<std::size_t>(index);
    const std::uint64_t records = now.size / kRecordSize;
    // Same file, and its size is what this one write makes of the file the copy knew.
    const bool sameFile = stamped && now.device == m_stamp.device && now.inode == m_stamp.inode;
    if (sameFile && count == m_calls.size() && records == m_calls.size() + 1) {
        m_calls.push_back(callOf(record.bytes.data()));
    } else if (sameFile && count < m_calls.size() && records == m_calls.size()) {
        m_calls[count] = callOf(record.bytes.data());
    } else {
        m_valid = false;
        return;
    }
    m_stamp = now;
}

bool CallsignCache::matches(std::int32_t index, std::string_view key) const
{
    if (index < 0 || index >= size() || key.size() > kCallWidth)
        return false;
    const std::array<char, kCallWidth> &call = m_calls[static_cast<std::size_t>(index)];
    // A deleted record is never a contact, whatever the key.
    if (call[0] == kEmptyMark[0] && call[1] == '\0')
        return false;
    if (std::memcmp(call.data(), key.data(), key.size()) != 0)
        return false;
    return key.size() == kCallWidth || call[key.size()] == '\0';
}

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

HistoryResult lookupHistory(CallsignCache &calls, const AreaIndex &index, int area,
                            std::string_view key)
{
    HistoryResult out;
    if (area < 0 || area >= kAreaCount)
        return out;
    // A second pass only when the last match read from the file contradicts the copy.
    for (int pass = 0; pass < 2; ++pass) {
        out = HistoryResult{};
        out.result = calls.refresh();
        if (out.result != IoResult::Ok)
            return out;
        std::int32_t last = -1;
        for (const std::int32_t i : index.list(area))
            if (calls.matches(i, key)) {
                ++out.hits;
                last = i;
            }
        if (last < 0)
            break;
        out.result = readRecord(calls.path(), last + 1, out.last);
        if (out.result != IoResult::Ok)
            return out;
        if (out.last.field(Field::Callsign) == key)
            break;
        calls.invalidate();
    }
    out.line = out.hits > 0 ? historyLine(out.last, out.hits) : firstContactLine();
    return out;
}

HistoryResult lookupHistory(const std::string &logPath, const AreaIndex &index, int area,
                            std::string_view key)
{
    CallsignCache calls(logPath);
    return lookupHistory(calls, index, area, key);
}

} // namespace vz::log
