// SPDX-License-Identifier: GPL-3.0-or-later
#include "lotw/confirmation_matching.h"

#include "adif/adif_fields.h"
#include "adif/adif_reader.h"
#include "adif/contact_match.h"
#include "common/file_lock.h"
#include "common/progress.h"
#include "common/sjis.h"
#include "log/call_area.h"
#include "log/confirmation_mark.h"
#include "log/entry_assist.h"
#include "log/qso_record.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>
#include <limits>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vz::lotw {

namespace {

using log::Field;
using log::kRecordSize;

// A confirmation waiting for its contact.
struct Pending
{
    std::int64_t adifRecord = 0;
    adif::ContactIdentity contact; // minute in UTC
    std::string_view modeGroup;    // APP_LoTW_MODEGROUP as modeGroupOf names it; empty when none
    bool lotw = false;
    bool eqsl = false;
    std::int32_t recordNo = 0; // the contact it confirms; 0 when none
};

// Upper-cases the ASCII letters among eight bytes at once.
std::uint64_t upperWord(std::uint64_t word)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
    const std::uint64_t low = word & ~kHighs;
    const std::uint64_t fromA = low + (0x80 - 'a') * kOnes;     // high bit: at least 'a'
    const std::uint64_t pastZ = low + (0x80 - 'z' - 1) * kOnes; // high bit: past 'z'
    const std::uint64_t lower = fromA & ~pastZ & ~word & kHighs;
    return word - (lower >> 2); // 0x80 >> 2 is the distance from 'a' to 'A'
}

// The first eight bytes of a callsign in upper case: the key of the callsigns looked up for every
// contact of the log, where a string would cost an allocation each. A key shared by two
// callsigns only costs a comparison that fails.
std::uint64_t callKey(std::string_view call)
{
    std::uint64_t word = 0;
    std::memcpy(&word, call.data(), std::min<std::size_t>(call.size(), 8));
    return upperWord(word) ^ call.size();
}

// The same key of the callsign field of a record (seven bytes, ended by a NUL when shorter), read
// as one word with the byte after it: every contact of the log comes here.
std::uint64_t callKeyOfRecord(const char *record)
{
    static_assert(log::kFieldSpecs[0].offset == 0 && log::kFieldSpecs[0].width == 7);
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
    std::uint64_t word = 0;
    std::memcpy(&word, record, 8);
    // The lowest byte flagged is the first NUL; flags above it may be false.
    const std::uint64_t nul = (word - kOnes) & ~word & kHighs;
    const std::size_t length =
        std::min<std::size_t>(nul ? static_cast<std::size_t>(std::countr_zero(nul)) / 8 : 8, 7);
    word &= (std::uint64_t{1} << (8 * length)) - 1;
    return upperWord(word) ^ length;
}

std::uint64_t mixed(std::uint64_t key, std::int64_t day)
{
    std::uint64_t h = key ^ (static_cast<std::uint64_t>(day) * 0x9E3779B97F4A7C15ULL);
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ULL;
    return h ^ (h >> 32);
}

// A filter of hashes, one bit each (eight for each hash put in): small enough to stay in the
// processor's cache while every
// contact of the log asks it, where most answers are no. A yes may be wrong (a few in a hundred)
// and is checked in the real table.
class BitFilter
{
public:
    explicit BitFilter(std::size_t expected)
    {
        std::size_t bits = 1 << 16;
        while (bits < expected * 8)
            bits *= 2;
        m_words.assign(bits / 64, 0);
    }
    void insert(std::uint64_t hash) { m_words[word(hash)] |= bit(hash); }
    bool mayContain(std::uint64_t hash) const { return (m_words[word(hash)] & bit(hash)) != 0; }

private:
    std::size_t word(std::uint64_t hash) const
    {
        return static_cast<std::size_t>(hash >> 6) & (m_words.size() - 1);
    }
    static std::uint64_t bit(std::uint64_t hash) { return std::uint64_t{1} << (hash & 63); }
    std::vector<std::uint64_t> m_words;
};

// The confirmations by a hash of callsign and day, laid out flat: the indexes in one run for
// each hash, and an open-addressed table of the runs. Asked for every contact of the log
// whose callsign has a confirmation, where a table of lists would chase a pointer each time.
class ConfirmationsByDay
{
public:
    void add(std::uint64_t hash, std::uint32_t index) { m_entries.push_back({hash, index}); }

    // Counts each hash's entries, then lays their indexes out in runs: no sort.
    void build()
    {
        std::size_t size = 64;
        while (size < m_entries.size() * 2)
            size *= 2;
        m_slots.assign(size, Slot{});
        for (const auto &[hash, index] : m_entries) {
            Slot &s = slotFor(hash);
            s.hash = hash;
            ++s.count;
        }
        std::uint32_t end = 0;
        for (Slot &s : m_slots) {
            end += s.count;
            s.begin = end; // moved back to the run's start as its indexes are laid in
        }
        m_indexes.resize(m_entries.size());
        // Backwards, so that each run keeps the file's order.
        for (auto e = m_entries.rbegin(); e != m_entries.rend(); ++e)
            m_indexes[--slotFor(e->first).begin] = e->second;
        m_entries = {};
    }

    // The confirmations filed under `hash`: [first, last) of index().
    std::pair<std::uint32_t, std::uint32_t> find(std::uint64_t hash) const
    {
        for (std::size_t at = slotOf(hash); m_slots[at].count != 0;
             at = (at + 1) & (m_slots.size() - 1))
            if (m_slots[at].hash == hash)
                return {m_slots[at].begin, m_slots[at].begin + m_slots[at].count};
        return {0, 0};
    }
    std::uint32_t index(std::uint32_t entry) const { return m_indexes[entry]; }

private:
    struct Slot
    {
        std::uint64_t hash = 0;
        std::uint32_t begin = 0;
        std::uint32_t count = 0; // 0: an empty slot
    };
    std::size_t slotOf(std::uint64_t hash) const
    {
        return static_cast<std::size_t>(hash) & (m_slots.size() - 1);
    }
    // The slot of `hash`, or the empty one it would take.
    Slot &slotFor(std::uint64_t hash)
    {
        std::size_t at = slotOf(hash);
        while (m_slots[at].count != 0 && m_slots[at].hash != hash)
            at = (at + 1) & (m_slots.size() - 1);
        return m_slots[at];
    }
    std::vector<std::pair<std::uint64_t, std::uint32_t>> m_entries;
    std::vector<Slot> m_slots;
    std::vector<std::uint32_t> m_indexes;
};

// The day number of a log date: the usual "yy/mm/dd" read at once, any other form as the log
// reads it.
std::optional<std::int64_t> logDay(std::string_view text)
{
    const auto digit = [&](std::size_t i) { return text[i] >= '0' && text[i] <= '9'; };
    if (text.size() == 8 && text[2] == '/' && text[5] == '/' && digit(0) && digit(1) && digit(3) &&
        digit(4) && digit(6) && digit(7)) {
        const int yy = (text[0] - '0') * 10 + (text[1] - '0');
        const int mm = (text[3] - '0') * 10 + (text[4] - '0');
        const int dd = (text[6] - '0') * 10 + (text[7] - '0');
        if (mm >= 1 && mm <= 12 && dd >= 1 && dd <= 31)
            return adif::minutesOf(yy < 50 ? 2000 + yy : 1900 + yy, mm, dd, 0) / 1440;
    }
    const auto date = adif::parseLogDate(text, 0);
    if (!date)
        return std::nullopt;
    return adif::minutesOf(date->year, date->month, date->day, 0) / 1440;
}

std::string upperTrimmed(std::optional<std::string_view> value)
{
    return value ? adif::upperAscii(sjis::trimBlanks(*value)) : std::string();
}

// The callsign without designators: the longest part, as the log keeps it.
std::string_view baseCall(std::string_view call)
{
    std::string_view base;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= call.size(); ++i)
        if (i == call.size() || call[i] == '/') {
            if (i - start > base.size())
                base = call.substr(start, i - start);
            start = i + 1;
        }
    return base;
}

// Callsign, UTC date and time, band and mode, for the lists (UTF-8).
std::string describe(const adif::ContactIdentity &id)
{
    const adif::DateTime t = adif::dateTimeOf(id.minute);
    // Written digit by digit: a report may list a hundred thousand contacts not found.
    std::string out = id.call;
    const auto digits = [&out](int value, int count) {
        char text[4];
        for (int i = count - 1; i >= 0; --i, value /= 10)
            text[i] = static_cast<char>('0' + value % 10);
        out.append(text, static_cast<std::size_t>(count));
    };
    out += ' ';
    digits(t.year, 4);
    out += '-';
    digits(t.month, 2);
    out += '-';
    digits(t.day, 2);
    out += ' ';
    digits(t.hour, 2);
    out += ':';
    digits(t.minute, 2);
    out += 'Z';
    if (!id.band.empty())
        out += " " + std::string(id.band);
    if (!id.mode.empty())
        (out += ' ') += id.submode.empty() ? id.mode : id.submode;
    return out;
}

// LoTW's name of a mode group, as modeGroupOf gives it; empty for any other text.
std::string_view knownModeGroup(std::string_view group)
{
    for (const std::string_view known : {"CW", "PHONE", "IMAGE", "DATA"})
        if (group == known)
            return known;
    return {};
}

// Reads the confirmations of one stretch of the file, counting the rest.
class ConfirmationReader
{
public:
    ConfirmationReader(const ConfirmOptions &options, adif::AdifSource source)
        : m_source(source), m_ownCall(adif::upperAscii(options.ownCallsign))
    {
    }

    adif::StretchHandler handler()
    {
        return {[this](adif::AdifRecord &raw, adif::Charset) { take(raw); }, [this] { forget(); }};
    }

    // Adds what this stretch found after what the stretches before it found.
    void addTo(ConfirmSummary &summary, std::vector<Pending> &all, bool &sawField)
    {
        const std::int64_t before = summary.read;
        summary.read += read;
        summary.confirmations += confirmations;
        summary.notConfirmations += notConfirmations;
        summary.otherStation += otherStation;
        sawField = sawField || m_sawField;
        for (adif::ImportIssue &issue : problems) {
            issue.adifRecord += before;
            summary.problems.push_back(std::move(issue));
        }
        for (Pending &p : pending)
            p.adifRecord += before;
        // The first stretch's confirmations stay where they are.
        if (all.empty())
            all = std::move(pending);
        else
            all.insert(all.end(), std::make_move_iterator(pending.begin()),
                       std::make_move_iterator(pending.end()));
    }

    // A file read again from the start forgets the first try.
    void forget()
    {
        read = confirmations = notConfirmations = otherStation = 0;
        pending.clear();
        problems.clear();
        m_sawField = false;
    }

    // The fields a confirmation is matched by, the first of each name, in one pass over the
    // record by the fields' numbers: every record of a report of a hundred thousand comes here.
    struct Fields
    {
        std::optional<std::string_view> call, station, ownCall, date, time, band, freq, mode,
            submode, modeGroup;
    };

    static Fields fieldsOf(const adif::AdifRecord &raw)
    {
        using adif::fieldCode;
        Fields f;
        const auto keep = [](std::optional<std::string_view> &to, std::string_view value) {
            if (!to)
                to = value;
        };
        for (std::size_t i = 0; i < raw.size(); ++i) {
            const std::string_view value = raw.value(i);
            switch (raw.code(i)) {
            case adif::AdifRecord::kUnknown:
                if (raw.name(i) == "APP_LOTW_OWNCALL")
                    keep(f.ownCall, value);
                else if (raw.name(i) == "APP_LOTW_MODEGROUP")
                    keep(f.modeGroup, value);
                break;
            case fieldCode("CALL"):
                keep(f.call, value);
                break;
            case fieldCode("STATION_CALLSIGN"):
                keep(f.station, value);
                break;
            case fieldCode("QSO_DATE"):
                keep(f.date, value);
                break;
            case fieldCode("TIME_ON"):
                keep(f.time, value);
                break;
            case fieldCode("BAND"):
                keep(f.band, value);
                break;
            case fieldCode("FREQ"):
                keep(f.freq, value);
                break;
            case fieldCode("MODE"):
                keep(f.mode, value);
                break;
            case fieldCode("SUBMODE"):
                keep(f.submode, value);
                break;
            default:
                break;
            }
        }
        return f;
    }

    void take(const adif::AdifRecord &raw)
    {
        const std::int64_t position = ++read;
        const adif::ReceivedConfirmations got = adif::receivedConfirmations(raw, m_source);
        m_sawField = m_sawField || got.electronicField;
        if (!got.lotw && !got.eqsl) {
            if (got.electronicField)
                ++notConfirmations;
            return;
        }
        ++confirmations;
        const Fields f = fieldsOf(raw);
        const std::string call = upperTrimmed(f.call);
        std::string_view station = sjis::trimBlanks(f.ownCall.value_or(""));
        if (station.empty())
            station = sjis::trimBlanks(f.station.value_or(""));
        if (!m_ownCall.empty() && !station.empty() &&
            !adif::equalsIgnoreCase(baseCall(station), m_ownCall)) {
            ++otherStation;
            problems.push_back({position, call, "他局 (" + adif::upperAscii(station) + ") の確認"});
            return;
        }
        const auto date = adif::parseAdifDate(f.date.value_or(""));
        const auto time = adif::parseAdifTime(f.time.value_or(""));
        if (call.empty() || !date || !time) {
            problems.push_back({position, call, "コールサインか日時が読めません"});
            return;
        }
        const std::int64_t minute = adif::minutesOf(date->year, date->month, date->day, *time);
        // ADIF names bands in any case; the duplicate rule reads them in lower case ("20m"),
        // where "20M" would be a frequency.
        std::string band(sjis::trimBlanks(f.band.value_or("")));
        for (char &ch : band)
            if (ch >= 'A' && ch <= 'Z')
                ch = static_cast<char>(ch - 'A' + 'a');
        const std::string_view submode = sjis::trimBlanks(f.submode.value_or(""));
        const std::string_view mode = !submode.empty() && adif::modeOf(submode)
                                          ? submode
                                          : sjis::trimBlanks(f.mode.value_or(""));
        Pending p;
        p.adifRecord = position;
        p.contact = adif::contactIdentity(
            call, minute,
            band.empty() ? sjis::trimBlanks(f.freq.value_or("")) : std::string_view(band), mode);
        p.modeGroup = knownModeGroup(upperTrimmed(f.modeGroup));
        p.lotw = got.lotw;
        p.eqsl = got.eqsl;
        pending.push_back(std::move(p));
    }

    std::int64_t read = 0;
    std::int64_t confirmations = 0;
    std::int64_t notConfirmations = 0;
    std::int64_t otherStation = 0;
    std::vector<Pending> pending;
    std::vector<adif::ImportIssue> problems;

private:
    adif::AdifSource m_source;
    std::string m_ownCall; // upper case
    bool m_sawField = false;
};

// Whether the contact `log` (minute in UTC) is the one `c` confirms, and how far apart in time.
std::optional<std::int64_t> matchDistance(const adif::ContactIdentity &log, const Pending &c,
                                          int window)
{
    const std::int64_t distance = log.minute > c.contact.minute ? log.minute - c.contact.minute
                                                                : c.contact.minute - log.minute;
    if (distance > window)
        return std::nullopt;
    if (adif::sameStationBandMode(log, c.contact))
        return distance;
    // The two programs may name one mode differently (a submode against its mode, one digital
    // mode for another): LoTW's group of modes decides then.
    if (c.modeGroup.empty() || log.call != c.contact.call || !adif::sameBand(log, c.contact))
        return std::nullopt;
    if (modeGroupOf(log.mode) != c.modeGroup)
        return std::nullopt;
    return distance;
}

// The confirmations looked up by callsign and by the day the log would date the contact
// (Japanese or UTC, 30 minutes either side), so that only the contacts of a confirmed station on
// those days are compared in full.
struct ConfirmationIndex
{
    ConfirmationIndex(const std::vector<Pending> &pending, int window)
        : calls(pending.size()), days(pending.size() * 2)
    {
        for (std::uint32_t i = 0; i < pending.size(); ++i) {
            const std::uint64_t key = callKey(baseCall(pending[i].contact.call));
            calls.insert(mixed(key, 0));
            std::int64_t near[4];
            std::size_t n = 0;
            for (const int offset : {0, adif::kJstOffsetMinutes})
                for (const int side : {-window, window}) {
                    const std::int64_t minute = pending[i].contact.minute + offset + side;
                    // Days before 1970 (the log reaches back to 1950) round down as well.
                    const std::int64_t day = minute >= 0 ? minute / 1440 : (minute - 1439) / 1440;
                    if (std::find(near, near + n, day) == near + n)
                        near[n++] = day;
                }
            for (std::size_t d = 0; d < n; ++d) {
                days.insert(mixed(key, near[d]));
                byCallAndDay.add(mixed(key, near[d]), i);
            }
        }
        byCallAndDay.build();
    }

    BitFilter calls;
    BitFilter days;
    ConfirmationsByDay byCallAndDay;
};

// The user mark of each contact found, by record number in ascending order, each once: all the
// marks change, where copies of whole records would take 23 MB for a LoTW report's worth.
struct FoundMark
{
    static constexpr log::FieldSpec kPlace = log::fieldSpec(Field::UserMark);
    std::int32_t recordNo = 0;
    std::array<char, kPlace.width> bytes{};

    std::string_view text() const { return log::fieldTextAt(bytes.data(), bytes.size()); }
    // As QsoRecord::setField writes the field.
    void set(std::string_view mark)
    {
        log::QsoRecord record;
        record.setField(Field::UserMark, mark);
        std::copy_n(record.bytes.data() + kPlace.offset, kPlace.width, bytes.data());
    }
};
using FoundMarks = std::vector<FoundMark>;

// Walks the contacts found in the order of their record numbers: asked for ascending numbers,
// each is found where the last one was left, without a search.
class FoundWalk
{
public:
    explicit FoundWalk(FoundMarks &found) : m_at(found.begin()) {}
    FoundMark &operator[](std::int32_t recordNo)
    {
        while (m_at->recordNo < recordNo)
            ++m_at;
        return *m_at;
    }

private:
    FoundMarks::iterator m_at;
};

// The contact found so far for each confirmation.
struct Best
{
    std::int64_t distance = std::numeric_limits<std::int64_t>::max();
    std::int32_t recordNo = 0;
};

// Compares records [begin, end) (from 0) of the log open at `fd` with the confirmations, keeping
// the user mark of every contact found in `found`. False when they cannot be read.
bool scanLog(int fd, std::size_t begin, std::size_t end, const ConfirmationIndex &index,
             const log::PrefixTable &table, int window, const std::vector<Pending> &pending,
             std::vector<Best> &best, FoundMarks &found, ProgressSink &progress,
             std::size_t progressScale)
{
    constexpr std::size_t kChunk = 4096;
    std::vector<char> chunk(kChunk * kRecordSize);
    log::QsoRecord record;
    adif::ContactIdentity contact;
    const log::FieldSpec &datePlace = log::fieldSpec(Field::QsoDate);
    for (std::size_t first = begin; first < end; first += kChunk) {
        progress.advance(static_cast<std::int64_t>((first - begin) * progressScale));
        const std::size_t n = std::min(kChunk, end - first);
        if (files::readFullAt(fd, chunk.data(), n * kRecordSize, first * kRecordSize) !=
            static_cast<ssize_t>(n * kRecordSize))
            return false;
        for (std::size_t k = 0; k < n; ++k) {
            const char *at = chunk.data() + k * kRecordSize;
            const std::uint64_t key = callKeyOfRecord(at);
            if (!index.calls.mayContain(mixed(key, 0)))
                continue;
            const std::optional<std::int64_t> day =
                logDay(log::fieldTextAt(at + datePlace.offset, datePlace.width));
            if (!day)
                continue;
            const std::uint64_t hash = mixed(key, *day);
            if (!index.days.mayContain(hash))
                continue;
            const auto [from, to] = index.byCallAndDay.find(hash);
            if (from == to)
                continue;
            std::memcpy(record.bytes.data(), at, kRecordSize);
            if (record.isDeleted() || !adif::logContactIdentity(record, contact))
                continue;
            // The log keeps Japanese stations in Japanese time.
            const std::optional<int> portable =
                log::portableAreaOf(record.field(Field::PortableArea));
            const int area =
                portable ? *portable : log::classifyCallArea(record.field(Field::Callsign), table);
            if (!log::logsInUtc(area))
                contact.minute -= adif::kJstOffsetMinutes;
            const auto recordNo = static_cast<std::int32_t>(first + k + 1);
            for (std::uint32_t e = from; e < to; ++e) {
                const std::uint32_t i = index.byCallAndDay.index(e);
                const auto distance = matchDistance(contact, pending[i], window);
                if (distance && *distance < best[i].distance) {
                    best[i] = {*distance, recordNo};
                    // The log is read in order: a contact found again was the last one kept.
                    if (found.empty() || found.back().recordNo != recordNo) {
                        FoundMark &f = found.emplace_back();
                        f.recordNo = recordNo;
                        std::copy_n(at + FoundMark::kPlace.offset, f.bytes.size(), f.bytes.data());
                    }
                }
            }
        }
    }
    return true;
}

// Finds each confirmation's contact in the log open at `fd` (`bytes` long), keeping the user
// mark of every contact found in `found`. A large log is read in two halves at once; of two
// contacts as near, the first in the log wins either way. False when the log cannot be read to its
// end.
bool matchLog(int fd, std::uint64_t bytes, const log::PrefixTable &table, int window,
              std::vector<Pending> &pending, FoundMarks &found, ProgressSink &progress)
{
    const ConfirmationIndex index(pending, window);
    const std::size_t count = static_cast<std::size_t>(bytes / kRecordSize);
    progress.begin(static_cast<std::int64_t>(count));
    std::vector<Best> best(pending.size());
    constexpr std::size_t kHalvesFrom = 1 << 16;
    bool read = true;
    if (count >= kHalvesFrom && std::thread::hardware_concurrency() > 1) {
        const std::size_t middle = count / 2;
        std::vector<Best> secondBest(pending.size());
        FoundMarks secondFound;
        bool secondRead = true;
        NoProgress quiet;
        std::thread second([&] {
            secondRead = scanLog(fd, middle, count, index, table, window, pending, secondBest,
                                 secondFound, quiet, 1);
        });
        read = scanLog(fd, 0, middle, index, table, window, pending, best, found, progress, 2);
        second.join();
        read = read && secondRead;
        for (std::size_t i = 0; i < best.size(); ++i)
            if (secondBest[i].distance < best[i].distance)
                best[i] = secondBest[i];
        found.insert(found.end(), secondFound.begin(), secondFound.end());
    } else {
        read = scanLog(fd, 0, count, index, table, window, pending, best, found, progress, 1);
    }
    for (std::size_t i = 0; i < best.size(); ++i)
        pending[i].recordNo = best[i].recordNo;
    progress.end();
    return read;
}

// Adds the marks of the matched confirmations to their contacts in `found`, each contact's
// confirmations in the file's order; the numbers of the records changed, in order.
std::vector<std::int32_t> markContacts(FoundMarks &found, const std::vector<Pending> &pending,
                                       const ConfirmOptions &options, ConfirmSummary &summary)
{
    std::vector<std::uint32_t> matched;
    for (std::uint32_t i = 0; i < pending.size(); ++i) {
        const Pending &c = pending[i];
        if (c.recordNo != 0) {
            matched.push_back(i);
        } else {
            ++summary.notFound;
            summary.notFoundList.push_back({c.adifRecord, describe(c.contact), "ログに無い交信"});
        }
    }
    std::stable_sort(matched.begin(), matched.end(), [&](std::uint32_t a, std::uint32_t b) {
        return pending[a].recordNo < pending[b].recordNo;
    });
    std::vector<std::int32_t> changed;
    FoundWalk walk(found);
    for (const std::uint32_t i : matched) {
        const Pending &c = pending[i];
        ++summary.confirmed;
        summary.lotwConfirmed += c.lotw ? 1 : 0;
        summary.eqslConfirmed += c.eqsl ? 1 : 0;
        FoundMark &found = walk[c.recordNo];
        std::string mark(found.text());
        const std::string before = mark;
        bool fits = true;
        if (c.lotw)
            fits = adif::addMark(mark, options.lotwMark) && fits;
        if (c.eqsl)
            fits = adif::addMark(mark, options.eqslMark) && fits;
        if (!fits)
            summary.problems.push_back({c.adifRecord, describe(c.contact),
                                        "No." + std::to_string(c.recordNo) +
                                            " のユーザ設定マーク（" +
                                            std::to_string(log::maxTextBytes(Field::UserMark)) +
                                            "バイト）に確認マークが入りきりません"});
        if (mark == before) {
            if (fits)
                ++summary.alreadyConfirmed;
            continue;
        }
        ++summary.newly;
        found.set(mark);
        if (changed.empty() || changed.back() != c.recordNo)
            changed.push_back(c.recordNo);
    }
    std::stable_sort(summary.problems.begin(), summary.problems.end(),
                     [](const adif::ImportIssue &a, const adif::ImportIssue &b) {
                         return a.adifRecord < b.adifRecord;
                     });
    return changed;
}

} // namespace

std::string_view modeGroupOf(std::string_view adifMode)
{
    if (adifMode.empty())
        return {};
    if (adifMode == "CW")
        return "CW";
    for (const std::string_view phone : {"SSB", "AM", "FM", "DIGITALVOICE"})
        if (adifMode == phone)
            return "PHONE";
    for (const std::string_view image : {"SSTV", "FAX", "ATV"})
        if (adifMode == image)
            return "IMAGE";
    return "DATA";
}

ConfirmSummary applyConfirmations(const std::string &adifPath, const std::string &logPath,
                                  const log::PrefixTable &table, const ConfirmOptions &options,
                                  ProgressSink &progress)
{
    files::ReadProblem problem = files::ReadProblem::None;
    const std::optional<std::string> bytes = files::readAll(adifPath, &problem);
    if (!bytes) {
        ConfirmSummary summary;
        summary.result = ConfirmResult::FileUnreadable;
        summary.readProblem = problem;
        return summary;
    }
    return applyConfirmationText(*bytes, logPath, table, options, progress);
}

ConfirmSummary applyConfirmationText(std::string_view adifText, const std::string &logPath,
                                     const log::PrefixTable &table, const ConfirmOptions &options,
                                     ProgressSink &progress)
{
    ConfirmSummary summary;
    const std::optional<std::string> fromUtf16 = adif::utf8FromUtf16(adifText);
    const std::string_view text = fromUtf16 ? std::string_view(*fromUtf16) : adifText;
    summary.source = adif::sourceOfFile(text);
    // A large file is read in two stretches at once, as an import reads it.
    ConfirmationReader first(options, summary.source);
    ConfirmationReader second(options, summary.source);
    constexpr std::size_t kSplitFrom = std::size_t{1} << 20;
    // A LoTW confirmation takes some 140 bytes: room for all of them in the first stretch's list,
    // which takes the second's after it, and for half of them in the second's.
    first.pending.reserve(text.size() / 128);
    if (text.size() >= kSplitFrom)
        second.pending.reserve(text.size() / 256);
    adif::parseAdifInTwo(text, first.handler(), second.handler(), progress, kSplitFrom);
    std::vector<Pending> pending;
    bool sawField = false;
    first.addTo(summary, pending, sawField);
    second.addTo(summary, pending, sawField);
    if (!sawField) {
        summary.result = ConfirmResult::NoConfirmationField;
        return summary;
    }

    // From the read to the last write the log is ours: no contact changes under the marks.
    FileLock lock;
    const LockResult locked = lock.acquire(
        logPath, options.dryRun ? LockMode::Shared : LockMode::Exclusive, kRecordLockWait, false);
    if (locked != LockResult::Ok) {
        summary.result =
            locked == LockResult::Busy ? ConfirmResult::LogBusy : ConfirmResult::LogUnreadable;
        return summary;
    }
    struct stat st
    {
    };
    FoundMarks found;
    if (::fstat(lock.fd(), &st) != 0 ||
        !matchLog(lock.fd(), static_cast<std::uint64_t>(st.st_size), table, options.windowMinutes,
                  pending, found, progress)) {
        summary.result = ConfirmResult::LogUnreadable;
        return summary;
    }
    const std::vector<std::int32_t> changed = markContacts(found, pending, options, summary);
    if (options.dryRun)
        return summary;
    FoundWalk walk(found);
    for (const std::int32_t n : changed) {
        // The mark alone: the rest of the record is as read, under the same lock.
        const FoundMark &mark = walk[n];
        if (!files::writeAllAt(lock.fd(), std::string_view(mark.bytes.data(), mark.bytes.size()),
                               static_cast<std::uint64_t>(n - 1) * kRecordSize +
                                   FoundMark::kPlace.offset)) {
            summary.result = ConfirmResult::WriteFailed;
            break;
        }
        summary.markedRecords.push_back(n);
    }
    if (!changed.empty() && ::fdatasync(lock.fd()) != 0)
        summary.result = ConfirmResult::WriteFailed;
    summary.writtenBeforeFailure = static_cast<std::int64_t>(summary.markedRecords.size());
    return summary;
}

std::string summaryText(const ConfirmSummary &summary, bool dryRun)
{
    switch (summary.result) {
    case ConfirmResult::FileUnreadable:
        if (summary.readProblem != files::ReadProblem::None &&
            summary.readProblem != files::ReadProblem::CannotOpen)
            return "確認ファイルが読めません: " +
                   std::string(files::readProblemText(summary.readProblem)) + "\n";
        return "確認ファイルが読めません\n";
    case ConfirmResult::NoConfirmationField:
        return "LoTW・eQSL の確認の項目 (LOTW_QSL_RCVD, EQSL_QSL_RCVD, LoTW・eQSL の QSL_RCVD) "
               "がひとつもありません\n";
    case ConfirmResult::LogUnreadable:
        return "ログファイルが読めません\n";
    case ConfirmResult::LogBusy:
        return std::string(kLogBusyText) + "\n";
    case ConfirmResult::WriteFailed:
    case ConfirmResult::Ok:
        break;
    }
    std::string out;
    switch (summary.source) {
    case adif::AdifSource::Lotw:
        out += "LoTW のレポート";
        break;
    case adif::AdifSource::Eqsl:
        out += "eQSL の受信箱";
        break;
    case adif::AdifSource::Other:
        out += "ADIF ファイル";
        break;
    }
    out += ": 読込 " + std::to_string(summary.read) + " 件, 確認 " +
           std::to_string(summary.confirmations) + " 件\n";
    out += "確認 " + std::to_string(summary.confirmed) + " 件 (" +
           (dryRun ? "新たに付ける予定 " : "新たに ") + std::to_string(summary.newly) +
           " 件), 確認済み " + std::to_string(summary.alreadyConfirmed) + " 件, ログに無い " +
           std::to_string(summary.notFound) + " 件\n";
    if (summary.notConfirmations > 0)
        out += "確認でない記録 (QSL_RCVD が Y でない) " + std::to_string(summary.notConfirmations) +
               " 件\n";
    if (summary.otherStation > 0)
        out += "他局の交信の確認 " + std::to_string(summary.otherStation) + " 件 (付けません)\n";
    if (summary.result == ConfirmResult::WriteFailed)
        out += "ログファイルに書き込めませんでした。" +
               std::to_string(summary.writtenBeforeFailure) + " 件は確認マークを付けました\n";
    if (dryRun)
        out += "(試行のみ: ログには書き込んでいません)\n";
    if (!summary.notFoundList.empty()) {
        out += "ログに無い:\n";
        adif::appendGroupedIssues(out, summary.notFoundList);
    }
    if (!summary.problems.empty()) {
        out += "付けられなかった確認:\n";
        adif::appendGroupedIssues(out, summary.problems);
    }
    return out;
}

std::string reportText(const ConfirmSummary &summary, bool dryRun)
{
    std::string out = summaryText(summary, dryRun);
    for (const auto &[title, items] : {std::pair{"ログに無い", &summary.notFoundList},
                                       std::pair{"付けられなかった確認", &summary.problems}}) {
        if (items->empty())
            continue;
        out += std::string("\n") + title + " (全件):\n";
        for (const adif::ImportIssue &issue : *items)
            out += "  " + adif::issueLine(issue) + "\n";
    }
    return out;
}

} // namespace vz::lotw
