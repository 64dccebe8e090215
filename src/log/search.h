// SPDX-License-Identifier: GPL-3.0-or-later
// Searching a log and listing it by call area. A search runs one pass over the own log and,
// while a reference station is set, one over the reference log; each pass reports its rows
// (the twelve columns of the result list) and whether it found anything.
//
// Which records a pass reads:
//   - an area listing, a callsign key of three bytes or more and a JCC key read only the records
//     the area index lists for one call area;
//   - every other item reads the whole log, deleted records included.
// Match rules (exact byte comparisons on Shift_JIS text; keys arrive upper case):
//   1 callsign starts with the key      5 date starts with the key
//   2 fixed JCC starts with the key     6 operator name starts with the key
//   3 frequency starts with the key     7 the key occurs in the user's mark
//   4 mode equals the key               8 QSL flag is exactly 1 (card not yet issued)
//   10 (area listing) every record listed for the area
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vz {
class ProgressSink;
}

namespace vz::log {

class AreaIndex;
class PrefixTable;

// The list mode of a search: an item 1..8, or the area listing.
enum class SearchItem : int {
    Callsign = 1,
    Jcc = 2,
    Frequency = 3,
    Mode = 4,
    Date = 5,
    Name = 6,
    Mark = 7,
    Unissued = 8,
};
constexpr int kItemCount = 8;
constexpr int kAreaListing = 10;

// The columns of the result list.
enum class ResultColumn : std::size_t {
    RecordNo,
    Callsign,
    Date,
    Name,
    Frequency,
    Mode,
    FixedQth,
    FixedJcc,
    PortableQth,
    Mark,
    Memo,
    ReferenceCall, // the reference station's callsign on rows of the reference log
};
constexpr std::size_t kResultColumns = 12;

// One row of the result list, as Shift_JIS texts. The views point into the pass's read buffer
// and are valid only while the sink handles the row.
struct ResultRow
{
    std::array<std::string_view, kResultColumns> cells;
    std::string_view cell(ResultColumn c) const { return cells[static_cast<std::size_t>(c)]; }
};

class ResultSink
{
public:
    virtual ~ResultSink() = default;
    virtual void addRow(const ResultRow &row) = 0;
};

// Rows kept compactly, for result lists of hundreds of thousands: the texts of a row back to
// back in large blocks that are filled in turn and never moved, so a growing list neither
// copies what it holds nor touches more memory than its texts take.
class ResultTable final : public ResultSink
{
public:
    void addRow(const ResultRow &row) override;
    std::size_t size() const { return m_rows.size(); }
    std::string_view cell(std::size_t row, ResultColumn column) const;
    void clear();

private:
    struct Span
    {
        std::uint32_t block;
        std::uint32_t offset;
        std::array<std::uint8_t, kResultColumns> lengths;
    };
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_used = 0; // bytes used in the last block
    std::vector<Span> m_rows;
};

// What one search does: its list mode, its key and which records it reads.
struct SearchPlan
{
    int listMode = kAreaListing;
    std::string key; // Shift_JIS, upper case
    // Read only the records of `area` through the area index; otherwise the whole log.
    bool throughArea = true;
    int area = 0;
};

// An item search: callsign keys of three bytes or more read the key's call area, JCC keys the
// area of their prefecture number (a one-digit JCC key spans several areas and reads
// everything); the other items read everything. The prefix table is brought up to date first.
SearchPlan planItemSearch(SearchItem item, std::string key, PrefixTable &table);
SearchPlan planAreaSearch(int area);

// Whether a record (254 bytes) matches list mode `listMode` with `key`.
bool recordMatches(const char *record, int listMode, std::string_view key);

// Letters a-z and full-width ａ-ｚ to upper case, as the find field types them.
std::string upperCaseKey(std::string_view sjis);

// A log to search: its file, its area index and, for the reference log, the reference callsign.
struct SearchLog
{
    std::string path;
    const AreaIndex *index = nullptr; // needed by plans that read through the area index
    std::string referenceCall;        // empty for the own log
};

enum class PassStatus {
    Found,      // at least one row
    NoMatch,    // nothing found (also for a missing log file)
    ReadFailed, // the file exists but could not be read to its end; rows found so far stand
};

struct PassResult
{
    PassStatus status = PassStatus::NoMatch;
    std::int64_t rows = 0;
};

// One pass over one log. Progress runs from 0 to the number of records to be read.
PassResult searchLog(const SearchLog &log, const SearchPlan &plan, ResultSink &sink,
                     ProgressSink &progress);

// Follows a whole search: each pass is announced before it starts (the result list clears its
// "results shown" state then) and reported when it ends.
class SearchObserver : public ResultSink
{
public:
    virtual void passStarting(const SearchLog &log) = 0;
    virtual void passFinished(const SearchLog &log, const PassResult &result) = 0;
};

// The own log, then the reference log when there is one.
void runSearch(const SearchPlan &plan, const SearchLog &own,
               const std::optional<SearchLog> &reference, SearchObserver &observer,
               ProgressSink &progress);

// The notices a search gives the operator.
enum class SearchNotice {
    NoRecordsInArea, // the chosen area has no records in the own log; nothing is listed
    ResultsShown,    // results are on the list; clear it before a new search
    NoMatch,         // one log searched without a match
};
// The notice's text as the operator reads it (UTF-8).
std::string_view noticeText(SearchNotice notice);

// NoRecordsInArea when an area search has nothing to list in the own log.
std::optional<SearchNotice> checkAreaSearch(const AreaIndex &ownIndex, int area);

} // namespace vz::log
