// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/event_file.h"

#include "calendar/holidays.h"
#include "common/file_io.h"
#include "common/sjis.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vz::calendar {

namespace {

// Text up to the first zero byte.
std::string_view zeroEnded(const char *data, std::size_t width)
{
    const void *zero = std::memchr(data, 0, width);
    return {data, zero ? static_cast<std::size_t>(static_cast<const char *>(zero) - data) : width};
}

} // namespace

EventRecordBytes buildEventRecord(std::string_view key, std::string_view text)
{
    EventRecordBytes record{};
    const std::string_view k = sjis::cutToWidth(sjis::trimBlanks(key), kEventKeyMax);
    const std::string_view t = sjis::cutToWidth(sjis::trimBlanks(text), kEventTextMax);
    std::memcpy(record.data(), k.data(), k.size());
    std::memcpy(record.data() + kEventTextOffset, t.data(), t.size());
    return record;
}

DayPatterns dayPatterns(int year, int month, int day)
{
    char text[48];
    DayPatterns p;
    std::snprintf(text, sizeof text, "0000/99/0%d", weekdayNumber(year, month, day));
    p.weekly = text;
    std::snprintf(text, sizeof text, "0000/00/%02d", day);
    p.monthly = text;
    std::snprintf(text, sizeof text, "0000/%02d/%02d", month, day);
    p.yearly = text;
    std::snprintf(text, sizeof text, "%d/%02d/%02d", year, month, day);
    p.oneTime = text;
    return p;
}

EventIo EventSchedule::load(const std::string &path, files::ReadProblem *why)
{
    m_bytes.clear();
    if (why)
        *why = files::ReadProblem::None;
    struct stat st
    {
    };
    if (::lstat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR))
        return EventIo::Ok; // no file, no events
    std::optional<std::string> bytes = files::readAll(path, why);
    if (!bytes)
        return EventIo::Failed;
    m_bytes = std::move(*bytes);
    return EventIo::Ok;
}

void EventSchedule::appendDayEvents(int year, int month, int day, std::string &line) const
{
    const DayPatterns p = dayPatterns(year, month, day);
    const std::size_t count = m_bytes.size() / kEventRecordSize;
    const std::string separator = sjis::fromUtf8("； ").value_or(std::string());
    for (std::size_t i = 0; i < count; ++i) {
        const char *record = m_bytes.data() + i * kEventRecordSize;
        // The key is read up to the record's first zero byte, as it was written.
        const std::string_view key = zeroEnded(record, kEventRecordSize);
        if (key != p.weekly && key != p.monthly && key != p.yearly && key != p.oneTime)
            continue;
        const std::string_view text =
            zeroEnded(record + kEventTextOffset, kEventRecordSize - kEventTextOffset);
        if (!line.empty())
            line += separator;
        line += text;
    }
}

EventIo showDayEvents(const std::string &path, int year, int month, int day, std::string &line)
{
    EventSchedule schedule;
    if (schedule.load(path) != EventIo::Ok)
        return EventIo::Failed;
    schedule.appendDayEvents(year, month, day, line);
    return EventIo::Ok;
}

EventIo appendEvent(const std::string &path, std::string_view key, std::string_view text)
{
    const EventRecordBytes record = buildEventRecord(key, text);
    const std::string_view bytes(record.data(), record.size());
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return EventIo::Failed;
        return files::replaceAtomically(path, bytes) ? EventIo::Ok : EventIo::Failed;
    }
    if (!S_ISREG(st.st_mode)) // a folder, FIFO or device is never written to
        return EventIo::Failed;

    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        if (fd >= 0)
            ::close(fd);
        return EventIo::Failed;
    }
    const auto size = static_cast<std::uint64_t>(st.st_size);
    // After the last whole record: a torn tail from an earlier crash is overwritten rather
    // than left in front of the new record, where it would shift every later record. It is
    // kept aside so that a failed write leaves the file as it was.
    const std::uint64_t at = size / kEventRecordSize * kEventRecordSize;
    std::string tail(static_cast<std::size_t>(size - at), '\0');
    bool ok = tail.empty() || files::readFullAt(fd, tail.data(), tail.size(), at) ==
                                  static_cast<ssize_t>(tail.size());
    const bool tailKept = ok;
    ok = ok && files::writeAllAt(fd, {record.data(), record.size()}, at);
    ok = ok && ::fsync(fd) == 0;
    if (!ok && tailKept && ::ftruncate(fd, static_cast<off_t>(size)) == 0 &&
        (tail.empty() || files::writeAllAt(fd, tail, at)))
        ::fsync(fd);
    ok = (::close(fd) == 0) && ok;
    return ok ? EventIo::Ok : EventIo::Failed;
}

} // namespace vz::calendar
