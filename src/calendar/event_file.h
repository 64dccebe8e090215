// SPDX-License-Identifier: GPL-3.0-or-later
// The user's event schedule: callsign + ".pln", 120-byte records back to back in the order of
// registration. Each record holds a date pattern (one-time "2026/12/06", yearly "0000/12/06",
// monthly "0000/00/06", weekly "0000/99/01" for Sundays) and the event text, both Shift_JIS
// ended by a zero byte. Events are only ever added; a missing file means no events.
#pragma once

#include "common/file_io.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace vz::calendar {

constexpr std::size_t kEventRecordSize = 120;
constexpr std::size_t kEventKeyMax = 11; // the key field is 12 bytes with its ending zero
constexpr std::size_t kEventTextOffset = 12;
constexpr std::size_t kEventTextMax = 90; // 45 full-width characters

using EventRecordBytes = std::array<char, kEventRecordSize>;

enum class EventIo {
    Ok,
    Failed, // the file exists but could not be read, or could not be created or written
};

// A zero-filled record with `key` and `text` trimmed of surrounding blanks and cut to their
// widths (never inside a double-byte character).
EventRecordBytes buildEventRecord(std::string_view key, std::string_view text);

// The patterns a record's key must equal to show on a date.
struct DayPatterns
{
    std::string weekly;  // "0000/99/0" + weekday 1 (Sunday) .. 7 (Saturday)
    std::string monthly; // "0000/00/DD"
    std::string yearly;  // "0000/MM/DD"
    std::string oneTime; // year without leading zeros, "/MM/DD"
};
DayPatterns dayPatterns(int year, int month, int day);

// The event file read once, for showing many days from one reading (a month's strip, the
// command line's month): a large file is read once per drawing, not once per day shown.
class EventSchedule
{
public:
    // A missing file means no events (Ok). A file that is not a regular file, or larger than
    // any real one, is not read (Failed, with `why` saying so when given).
    EventIo load(const std::string &path, files::ReadProblem *why = nullptr);
    // Appends the texts of the events of the date to `line`, as showDayEvents does.
    void appendDayEvents(int year, int month, int day, std::string &line) const;

private:
    std::string m_bytes;
};

// Appends the texts of the events of the date to `line` in file order: the first becomes the
// line when it is empty, each further one follows "； ". A missing file adds nothing (Ok).
EventIo showDayEvents(const std::string &path, int year, int month, int day, std::string &line);

// Adds one event at the end of the file. A new file is created whole (temporary file and
// rename); an existing one gets the record written in place after its last whole record, so
// nothing already registered is touched. The record is on disk when Ok is returned.
EventIo appendEvent(const std::string &path, std::string_view key, std::string_view text);

} // namespace vz::calendar
