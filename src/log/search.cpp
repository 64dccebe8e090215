// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/search.h"

#include "common/file_io.h"
#include "common/progress.h"
#include "common/sjis.h"
#include "log/area_index.h"
#include "log/call_area.h"
#include "log/prefix_table.h"
#include "log/qso_record.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vz::log {

namespace {

// Records per read (about half a megabyte): large enough that reading costs little more than
// the copy, small enough that the records are still in the processor's cache when they are
// matched.
constexpr std::int32_t kRecordsPerChunk = 2048;
// Listed records this close together are fetched with one read; the records between them cost
// less to read than a separate call would.
constexpr std::int32_t kMaxGap = 32;
// Size of the blocks that hold the texts of kept result rows.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
// How often the progress display is told; more often only costs time.
constexpr std::int32_t kProgressEvery = 8192;

std::string_view fieldText(const char *record, Field f)
{
    const FieldSpec &place = fieldSpec(f);
    return fieldTextAt(record + place.offset, place.width);
}

// Whether a field's text starts with the key. A key holds no NUL, so when the field's first
// bytes equal it the text runs at least that far; a field shorter than the key never matches.
bool fieldStartsWith(const char *record, Field f, std::string_view key)
{
    const FieldSpec &place = fieldSpec(f);
    if (key.size() > place.width || key.find('\0') != std::string_view::npos)
        return fieldText(record, f).starts_with(key);
    return std::memcmp(record + place.offset, key.data(), key.size()) == 0;
}

// Letter case folded for the name and mark searches, which the operator types in upper case
// while the log keeps what was typed: ASCII a-z, and the full-width ａ-ｚ (0x82 0x81..0x9A) to
// Ａ-Ｚ (0x82 0x60..0x79). A trail byte is never folded on its own.
unsigned char foldAscii(unsigned char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

unsigned char foldWideTrail(unsigned char lead, unsigned char trail)
{
    return lead == 0x82 && trail >= 0x81 && trail <= 0x9A ? static_cast<unsigned char>(trail - 0x21)
                                                          : trail;
}

// Whether the text at pos (a character boundary) starts with the key, letters compared without
// regard to case, character by character.
bool startsWithIgnoringCase(std::string_view text, std::size_t pos, std::string_view key)
{
    std::size_t i = 0;
    while (i < key.size()) {
        if (pos + i >= text.size())
            return false;
        const auto t = static_cast<unsigned char>(text[pos + i]);
        const auto k = static_cast<unsigned char>(key[i]);
        if (sjis::isLeadByte(k)) {
            if (t != k || i + 1 >= key.size() || pos + i + 1 >= text.size())
                return false;
            const auto t2 = static_cast<unsigned char>(text[pos + i + 1]);
            const auto k2 = static_cast<unsigned char>(key[i + 1]);
            if (foldWideTrail(t, t2) != foldWideTrail(k, k2))
                return false;
            i += 2;
            continue;
        }
        if (sjis::isLeadByte(t) || foldAscii(t) != foldAscii(k))
            return false;
        ++i;
    }
    return true;
}

// The mark search: the key anywhere in the text, starting on a character of the text, so a
// trail byte that happens to equal an ASCII letter ("ア" is 0x83 0x41) is not an "A".
bool containsIgnoringCase(std::string_view text, std::string_view key)
{
    if (key.empty())
        return true;
    std::size_t pos = 0;
    while (pos + key.size() <= text.size()) {
        if (startsWithIgnoringCase(text, pos, key))
            return true;
        pos += sjis::isLeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1;
    }
    return false;
}

class LogReader
{
public:
    enum class Open { Ok, Missing, Failed };

    Open open(const std::string &path)
    {
        m_fd.reset(files::openRegularForReading(path));
        if (!m_fd.valid())
            return errno == ENOENT ? Open::Missing : Open::Failed;
        const off_t size = ::lseek(m_fd.get(), 0, SEEK_END);
        if (size < 0)
            return Open::Failed;
        m_count = static_cast<std::int32_t>(
            std::min<off_t>(size / static_cast<off_t>(kRecordSize), INT32_MAX));
        ::posix_fadvise(m_fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
        return Open::Ok;
    }

    // Whole records only: a trailing partial record is not one.
    std::int32_t count() const { return m_count; }

    // Records first .. first + n - 1 into `buffer`.
    bool read(std::int32_t first, std::int32_t n, char *buffer) const
    {
        const std::size_t want = static_cast<std::size_t>(n) * kRecordSize;
        return files::readFullAt(m_fd.get(), buffer, want,
                                 static_cast<std::uint64_t>(first) * kRecordSize) ==
               static_cast<ssize_t>(want);
    }

private:
    UniqueFd m_fd;
    std::int32_t m_count = 0;
};

// Builds and hands on the rows of one pass.
class RowMaker
{
public:
    RowMaker(const SearchLog &log, ResultSink &sink) : m_sink(sink)
    {
        m_row.cells[static_cast<std::size_t>(ResultColumn::ReferenceCall)] = log.referenceCall;
    }

    void add(const char *record, std::int32_t index)
    {
        auto &c = m_row.cells;
        const auto [end, ec] = std::to_chars(m_number, m_number + sizeof m_number, index + 1);
        c[0] = std::string_view(m_number, static_cast<std::size_t>(end - m_number));
        c[1] = fieldText(record, Field::Callsign);
        c[2] = fieldText(record, Field::QsoDate);
        c[3] = fieldText(record, Field::OpName);
        c[4] = fieldText(record, Field::Frequency);
        c[5] = fieldText(record, Field::Mode);
        c[6] = fieldText(record, Field::FixedQth);
        c[7] = fieldText(record, Field::FixedJcc);
        c[8] = fieldText(record, Field::PortableQth);
        c[9] = fieldText(record, Field::UserMark);
        c[10] = fieldText(record, Field::Memo);
        m_sink.addRow(m_row);
        ++m_rows;
    }

    std::int64_t rows() const { return m_rows; }

private:
    ResultSink &m_sink;
    ResultRow m_row;
    char m_number[16];
    std::int64_t m_rows = 0;
};

PassResult finish(const RowMaker &rows, bool readFailed)
{
    PassResult result;
    result.rows = rows.rows();
    result.status = readFailed        ? PassStatus::ReadFailed
                    : result.rows > 0 ? PassStatus::Found
                                      : PassStatus::NoMatch;
    return result;
}

PassResult scanWholeLog(LogReader &reader, const SearchPlan &plan, RowMaker &rows,
                        ProgressSink &progress)
{
    const std::int32_t count = reader.count();
    std::vector<char> chunk(static_cast<std::size_t>(std::min(count, kRecordsPerChunk)) *
                            kRecordSize);
    bool failed = false;
    progress.begin(count);
    for (std::int32_t i = 0; i < count && !failed;) {
        const std::int32_t n = std::min(kRecordsPerChunk, count - i);
        if (!reader.read(i, n, chunk.data())) {
            failed = true;
            break;
        }
        for (std::int32_t k = 0; k < n; ++k, ++i) {
            if (i % kProgressEvery == 0)
                progress.advance(i);
            const char *record = chunk.data() + static_cast<std::size_t>(k) * kRecordSize;
            if (recordMatches(record, plan.listMode, plan.key))
                rows.add(record, i);
        }
    }
    progress.end();
    return finish(rows, failed);
}

PassResult listOneArea(LogReader &reader, const std::vector<std::int32_t> &list,
                       const SearchPlan &plan, RowMaker &rows, ProgressSink &progress)
{
    const std::int32_t count = reader.count();
    const auto n = static_cast<std::int32_t>(list.size());
    // Sized once: growing it span by span would clear the new part every time.
    std::vector<char> chunk(static_cast<std::size_t>(std::min(count, kRecordsPerChunk)) *
                            kRecordSize);
    bool failed = false;
    progress.begin(n);
    std::int32_t j = 0;
    while (j < n && !failed) {
        const std::int32_t first = list[static_cast<std::size_t>(j)];
        // An index past the end of the file names no record (the file was cut short since
        // it was indexed); there is nothing to list for it.
        if (first < 0 || first >= count) {
            ++j;
            continue;
        }
        // The listed records close enough together to come in with one read.
        std::int32_t k = j + 1;
        std::int32_t last = first;
        while (k < n) {
            const std::int32_t next = list[static_cast<std::size_t>(k)];
            if (next < last || next >= count || next - last > kMaxGap ||
                next - first >= kRecordsPerChunk)
                break;
            last = next;
            ++k;
        }
        if (!reader.read(first, last - first + 1, chunk.data())) {
            failed = true;
            break;
        }
        for (; j < k; ++j) {
            if (j % kProgressEvery == 0)
                progress.advance(j);
            const std::int32_t index = list[static_cast<std::size_t>(j)];
            const char *record =
                chunk.data() + static_cast<std::size_t>(index - first) * kRecordSize;
            if (recordMatches(record, plan.listMode, plan.key))
                rows.add(record, index);
        }
    }
    progress.end();
    return finish(rows, failed);
}

} // namespace

void ResultTable::addRow(const ResultRow &row)
{
    Span span{};
    std::size_t bytes = 0;
    for (std::size_t c = 0; c < kResultColumns; ++c) {
        // Every cell is a field of at most 31 bytes, a record number or a callsign.
        span.lengths[c] =
            static_cast<std::uint8_t>(std::min<std::size_t>(row.cells[c].size(), 255));
        bytes += span.lengths[c];
    }
    if (m_blocks.empty() || m_used + bytes > kBlockBytes) {
        // Left uninitialised: only the bytes written ever cost memory.
        m_blocks.emplace_back(new char[kBlockBytes]);
        m_used = 0;
    }
    span.block = static_cast<std::uint32_t>(m_blocks.size() - 1);
    span.offset = static_cast<std::uint32_t>(m_used);
    char *out = m_blocks.back().get() + m_used;
    for (std::size_t c = 0; c < kResultColumns; ++c) {
        // An empty cell may be a view of nothing at all.
        if (span.lengths[c] > 0)
            std::memcpy(out, row.cells[c].data(), span.lengths[c]);
        out += span.lengths[c];
    }
    m_used += bytes;
    m_rows.push_back(span);
}

std::string_view ResultTable::cell(std::size_t row, ResultColumn column) const
{
    const Span &span = m_rows[row];
    std::size_t start = span.offset;
    const auto c = static_cast<std::size_t>(column);
    for (std::size_t i = 0; i < c; ++i)
        start += span.lengths[i];
    return std::string_view(m_blocks[span.block].get() + start, span.lengths[c]);
}

void ResultTable::clear()
{
    m_blocks.clear();
    m_used = 0;
    m_rows.clear();
    m_rows.shrink_to_fit();
}

SearchPlan planItemSearch(SearchItem item, std::string key, PrefixTable &table)
{
    SearchPlan plan;
    plan.listMode = static_cast<int>(item);
    plan.key = std::move(key);
    plan.throughArea = false;
    if (item == SearchItem::Callsign && plan.key.size() >= 3) {
        // The first three characters tell a callsign's area, so every match lies in it.
        table.refreshIfChanged();
        plan.throughArea = true;
        plan.area = classifyCallArea(plan.key, table);
    } else if (item == SearchItem::Jcc && plan.key.size() >= 2) {
        plan.throughArea = true;
        plan.area = jccAreaOf(plan.key);
    }
    // A one-digit JCC key spans prefectures of several areas (1 is 10 to 19, Kanto and
    // Tokai), so it reads the whole log.
    return plan;
}

SearchPlan planAreaSearch(int area)
{
    SearchPlan plan;
    plan.listMode = kAreaListing;
    plan.throughArea = true;
    plan.area = area;
    return plan;
}

bool recordMatches(const char *record, int listMode, std::string_view key)
{
    switch (listMode) {
    case static_cast<int>(SearchItem::Callsign):
        return fieldStartsWith(record, Field::Callsign, key);
    case static_cast<int>(SearchItem::Jcc):
        return fieldStartsWith(record, Field::FixedJcc, key);
    case static_cast<int>(SearchItem::Frequency):
        return fieldStartsWith(record, Field::Frequency, key);
    case static_cast<int>(SearchItem::Mode):
        return fieldText(record, Field::Mode) == key;
    case static_cast<int>(SearchItem::Date):
        return fieldStartsWith(record, Field::QsoDate, key);
    case static_cast<int>(SearchItem::Name):
        return startsWithIgnoringCase(fieldText(record, Field::OpName), 0, key);
    case static_cast<int>(SearchItem::Mark):
        return containsIgnoringCase(fieldText(record, Field::UserMark), key);
    case static_cast<int>(SearchItem::Unissued):
        // Card printing writes 0 after printing; only a plain 1 is a card still to send.
        return static_cast<unsigned char>(record[kQslFlagOffset]) == 1;
    case kAreaListing:
        return true;
    default:
        return false;
    }
}

std::string upperCaseKey(std::string_view sjis)
{
    std::string out(sjis);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        } else if (sjis::isLeadByte(c) && i + 1 < out.size()) {
            const auto t = static_cast<unsigned char>(out[i + 1]);
            if (c == 0x82 && t >= 0x81 && t <= 0x9A) // full-width ａ..ｚ to Ａ..Ｚ
                out[i + 1] = static_cast<char>(t - 0x21);
            ++i;
        }
    }
    return out;
}

PassResult searchLog(const SearchLog &log, const SearchPlan &plan, ResultSink &sink,
                     ProgressSink &progress)
{
    RowMaker rows(log, sink);
    LogReader reader;
    switch (reader.open(log.path)) {
    case LogReader::Open::Missing:
        return finish(rows, false); // searched as an empty log
    case LogReader::Open::Failed:
        return finish(rows, true);
    case LogReader::Open::Ok:
        break;
    }
    if (!plan.throughArea)
        return scanWholeLog(reader, plan, rows, progress);
    if (!log.index || plan.area < 0 || plan.area >= kAreaCount)
        return finish(rows, false);
    return listOneArea(reader, log.index->list(plan.area), plan, rows, progress);
}

void runSearch(const SearchPlan &plan, const SearchLog &own,
               const std::optional<SearchLog> &reference, SearchObserver &observer,
               ProgressSink &progress)
{
    observer.passStarting(own);
    observer.passFinished(own, searchLog(own, plan, observer, progress));
    if (!reference)
        return;
    observer.passStarting(*reference);
    observer.passFinished(*reference, searchLog(*reference, plan, observer, progress));
}

std::string_view noticeText(SearchNotice notice)
{
    switch (notice) {
    case SearchNotice::NoRecordsInArea:
        return "選ばれたエリアの記録はありません";
    case SearchNotice::ResultsShown:
        return "現在表示中です";
    case SearchNotice::NoMatch:
        break;
    }
    return "該当する局はありませんでした";
}

std::optional<SearchNotice> checkAreaSearch(const AreaIndex &ownIndex, int area)
{
    if (area < 0 || area >= kAreaCount || ownIndex.count(area) <= 0)
        return SearchNotice::NoRecordsInArea;
    return std::nullopt;
}

} // namespace vz::log
