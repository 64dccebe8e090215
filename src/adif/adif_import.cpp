// SPDX-License-Identifier: GPL-3.0-or-later
#include "adif/adif_import.h"

#include "adif/adif_fields.h"
#include "adif/confirmation_fields.h"
#include "adif/contact_match.h"
#include "common/data_dir.h"
#include "common/file_io.h"
#include "common/prefault.h"
#include "common/printable.h"
#include "common/progress.h"
#include "common/sjis.h"
#include "log/call_area.h"
#include "log/confirmation_mark.h"
#include "log/entry_assist.h"
#include "log/log_file.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

namespace vz::adif {

namespace {

// A UTF-8 text in Shift_JIS, characters without a Shift_JIS form replaced by "?".
std::string toShiftJis(std::string_view utf8, bool &replaced)
{
    if (auto whole = sjis::fromUtf8(utf8))
        return std::move(*whole);
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        const std::size_t n = std::min(length, utf8.size() - i);
        if (auto one = sjis::fromUtf8(utf8.substr(i, n))) {
            out += *one;
        } else {
            out += '?';
            replaced = true;
        }
        i += n;
    }
    return out;
}

// The hash of a record's identity by the one rule of when two contacts are one (contact_match);
// 0 when its date or time cannot be read, which matches nothing. `scratch` is reused.
std::uint64_t contactKey(const QsoRecord &record, ContactIdentity &scratch)
{
    if (!logContactIdentity(record, scratch))
        return 0;
    return contactHash(scratch) | 1;
}

// The contacts of the log and of the file, by the hashes of their identities, each beside the
// bytes of its record, in an open-addressed table. A hundred thousand identities would take
// more memory than the records themselves: only two records of one hash (a file imported
// again, or a rare collision) have theirs worked out again and compared.
class ContactKeys
{
public:
    explicit ContactKeys(std::size_t expected) { grow(expected * 2 + 16); }

    // False when the contact was there already. `key` is contactKey(record); `kept` the bytes
    // of the record that stay in place while the table is used, kept as its entry.
    bool insert(const QsoRecord &record, std::uint64_t key, const char *kept)
    {
        if (key == 0)
            return true;
        if ((m_count + 1) * 2 > m_slots.size())
            grow(m_slots.size() * 2);
        const std::size_t mask = m_slots.size() - 1;
        std::size_t i = key & mask;
        for (; m_slots[i].record; i = (i + 1) & mask)
            if (m_slots[i].key == key && same(record, m_slots[i].record))
                return false;
        m_slots[i] = {key, kept};
        ++m_count;
        return true;
    }

private:
    struct Slot
    {
        std::uint64_t key = 0;
        const char *record = nullptr; // empty when null
    };

    bool same(const QsoRecord &record, const char *other)
    {
        std::copy_n(other, kRecordSize, m_other.bytes.data());
        return logContactIdentity(record, m_a) && logContactIdentity(m_other, m_b) &&
               sameContact(m_a, m_b);
    }

    void grow(std::size_t atLeast)
    {
        std::size_t size = 64;
        while (size < atLeast)
            size *= 2;
        std::vector<Slot> slots;
        slots.reserve(size);
        memory::prefaultCapacity(slots);
        slots.resize(size);
        const std::size_t mask = size - 1;
        for (const Slot &s : m_slots) {
            if (!s.record)
                continue;
            std::size_t i = s.key & mask;
            while (slots[i].record)
                i = (i + 1) & mask;
            slots[i] = s;
        }
        m_slots = std::move(slots);
    }

    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
    QsoRecord m_other;
    ContactIdentity m_a;
    ContactIdentity m_b;
};

// The field as the contact dialog labels it.
std::string_view fieldLabel(Field f)
{
    static constexpr std::array<std::string_view, kTextFieldCount> kLabels{
        "コールサイン",     "移動地",       "形態",       "交信年月日", "開始時刻",
        "固定運用地",       "固定JCC",      "移動運用地", "移動JCC",    "氏名",
        "His RST",          "My RST",       "周波数",     "電波形式",   "出力電力",
        "ユーザ設定マーク", "備考（追加）", "メモ",       "自局移動地", "終了時刻",
    };
    return kLabels[static_cast<std::size_t>(f)];
}

// A Windows-1252 text in UTF-8; the five bytes it leaves undefined become U+FFFD.
std::string windows1252ToUtf8(std::string_view text)
{
    static constexpr std::array<char16_t, 32> kFrom80{
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
    };
    std::string out;
    out.reserve(text.size() * 2);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            out += ch;
        else
            sjis::appendUtf8(out, c < 0xA0 ? kFrom80[c - 0x80] : char32_t{c});
    }
    return out;
}

// A value of the file as UTF-8, for reports.
std::string asUtf8(std::string_view value, Charset charset)
{
    switch (charset) {
    case Charset::ShiftJis:
        return sjis::toUtf8(value);
    case Charset::Windows1252:
        return windows1252ToUtf8(value);
    case Charset::Ascii:
    case Charset::Utf8:
        break;
    }
    return std::string(value);
}

// A callsign without its designators: the longest of its parts between "/".
std::string_view baseCallsign(std::string_view call)
{
    std::string_view base;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= call.size(); ++i)
        if (i == call.size() || call[i] == '/') {
            const std::string_view part = sjis::trimBlanks(call.substr(start, i - start));
            if (part.size() > base.size())
                base = part;
            start = i + 1;
        }
    return base;
}

std::string cutOffText(std::size_t at)
{
    return "ファイルが途中で切れています (" + std::to_string(at + 1) +
           " バイト目から): 取り込みません";
}

std::string callsignForReport(const AdifRecord &record, Charset charset)
{
    const auto call = record.find("CALL");
    if (!call)
        return {};
    return asUtf8(*call, charset);
}

// The contacts one stretch of a file gives, converted as they are read, before the ones
// already in the log are known.
class Stretch
{
public:
    Stretch(const PrefixTable &table, const ImportOptions &options, AdifSource source)
        : m_table(table), m_options(options), m_source(source)
    {
    }

    // Room for `contacts`, mapped in at once.
    void reserve(std::size_t contacts)
    {
        records.reserve(contacts);
        memory::prefaultCapacity(records);
        m_areas.reserve(contacts);
        m_changesEnd.reserve(contacts);
        m_positions.reserve(contacts);
        m_keys.reserve(contacts);
    }

    StretchHandler handler()
    {
        return {[this](AdifRecord &raw, Charset charset) { take(raw, charset); },
                [this] { forget(); }};
    }

    // Drops the contacts already in `known` (adding the others to it) and adds what this
    // stretch found to `summary`, after what the stretches before it found.
    void keepNew(ContactKeys &known, ImportSummary &summary)
    {
        const std::int64_t before = summary.read;
        summary.read += m_read;
        for (ImportIssue &issue : m_refused) {
            issue.adifRecord += before;
            summary.refused.push_back(std::move(issue));
        }
        for (const auto &[name, count] : m_ignoredFields)
            summary.ignoredFields[name] += count;
        summary.lotwMarked += m_lotwMarked;
        summary.eqslMarked += m_eqslMarked;
        if (summary.otherStation == 0)
            summary.otherStationExample = m_otherStationExample;
        summary.otherStation += m_otherStation;
        if (m_options.reportEachContact)
            for (const ImportIssue &issue : summary.refused)
                if (issue.adifRecord > before)
                    summary.contacts.push_back(
                        {issue.adifRecord, ContactOutcome::Refused, 0, issue.what});
        std::size_t kept = 0;
        std::size_t change = 0;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const std::size_t changesEnd = m_changesEnd[i];
            const std::int64_t position = m_positions[i] + before;
            // Kept where the compaction below puts it, never moved again.
            if (!known.insert(records[i], m_keys[i], records[kept].bytes.data())) {
                ++summary.duplicates;
                summary.duplicateList.push_back(
                    {position, sjis::toUtf8(records[i].field(Field::Callsign)), "登録済み"});
                if (m_options.reportEachContact)
                    summary.contacts.push_back({position, ContactOutcome::Duplicate, 0, {}});
                change = changesEnd;
                continue;
            }
            if (m_options.reportEachContact)
                summary.contacts.push_back({position,
                                            ContactOutcome::Imported,
                                            static_cast<std::int32_t>(summary.areas.size()),
                                            {}});
            for (; change < changesEnd; ++change) {
                m_changes[change].adifRecord += before;
                summary.changed.push_back(std::move(m_changes[change]));
            }
            summary.areas.push_back(m_areas[i]);
            if (kept != i)
                records[kept] = records[i];
            ++kept;
        }
        records.resize(kept);
        std::sort(summary.contacts.begin(), summary.contacts.end(),
                  [](const ContactReport &a, const ContactReport &b) {
                      return a.adifRecord < b.adifRecord;
                  });
    }

    std::vector<QsoRecord> records; // the loggable contacts, in the file's order
    std::int64_t recordsRead() const { return m_read; }

private:
    void take(AdifRecord &raw, Charset charset)
    {
        const std::int64_t position = ++m_read;
        m_replacedIn.clear();
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if ((charset == Charset::Utf8 || charset == Charset::Windows1252) &&
                !isAscii(raw.value(i))) {
                bool replaced = false;
                raw.setValue(i, charset == Charset::Utf8
                                    ? toShiftJis(raw.value(i), replaced)
                                    : toShiftJis(windows1252ToUtf8(raw.value(i)), replaced));
                if (replaced)
                    m_replacedIn.emplace_back(raw.name(i));
            }
            if (!raw.isKnown(i) || (static_cast<std::size_t>(raw.code(i)) >= kSlotCount &&
                                    saysMore(raw, raw.code(i), raw.value(i))))
                ++m_ignoredFields[std::string(raw.name(i))];
        }
        if (!m_options.ownCallsign.empty())
            noteStation(raw, charset);
        const auto call = [&] { return callsignForReport(raw, charset); };
        if (const auto at = raw.lengthPastEndAt()) {
            m_refused.push_back({position, call(), cutOffText(*at)});
            return;
        }
        const Conversion c = toLogRecord(raw, m_table);
        if (c.refusal) {
            m_refused.push_back({position, call(), *c.refusal});
            return;
        }
        const std::size_t changesBefore = m_changes.size();
        for (const auto &[f, before] : c.cuts)
            m_changes.push_back({position, call(),
                                 std::string(fieldLabel(f)) + "を欄の幅（" +
                                     std::to_string(maxTextBytes(f)) + "バイト）で切りました",
                                 sjis::toUtf8(before) + " → " + sjis::toUtf8(c.record.field(f))});
        for (const std::string &name : m_replacedIn)
            m_changes.push_back(
                {position, call(), name + " の Shift_JIS にない文字を ? にしました"});
        if (!raw.unclearLength().empty())
            m_changes.push_back({position, call(),
                                 std::string(raw.unclearLength()) + " (" +
                                     std::to_string(raw.unclearLengthAt() + 1) +
                                     " バイト目) の長さが値の終わりに合いません"});
        QsoRecord record = c.record;
        addReceivedMarks(raw, record, [&](std::string_view what) {
            m_changes.push_back({position, call(),
                                 std::string(what) + "がユーザ設定マーク（" +
                                     std::to_string(maxTextBytes(Field::UserMark)) +
                                     "バイト）に入りきりません"});
        });
        if (m_options.strict && m_changes.size() > changesBefore) {
            m_refused.push_back(
                {position, call(), "取り込むと変わります: " + m_changes[changesBefore].what});
            m_changes.resize(changesBefore);
            return;
        }
        for (const std::string &note : c.notes)
            m_changes.push_back({position, call(), note});
        if (c.prefixMoved)
            m_changes.push_back({position, call(),
                                 "国の接頭辞をコールサインの前に移しました (" +
                                     sjis::toUtf8(adifCallOf(record.field(Field::Callsign),
                                                             record.field(Field::PortableArea),
                                                             record.field(Field::PortableForm))) +
                                     ")"});
        // Worked out here, on the stretch's own thread, for the serial pass that drops the
        // contacts already in the log.
        m_keys.push_back(contactKey(record, m_scratch));
        records.push_back(record);
        m_positions.push_back(position);
        m_changesEnd.push_back(m_changes.size());
        // Indexed as opening the log files it: under its callsign's area (the conversion's
        // area is that one unless the contact was portable).
        const bool portable = portableAreaOf(c.record.field(Field::PortableArea)).has_value();
        m_areas.push_back(portable ? classifyCallArea(c.record.field(Field::Callsign), m_table)
                                   : c.area);
    }

    // Fields the log has no place for that this program's own export writes as restatements
    // (STATE of the CNTY, the own station's settings, the bureau): they are skipped without a
    // word only when they say no more than that.
    bool saysMore(const AdifRecord &raw, FieldCode code, std::string_view value) const
    {
        const std::string_view text = sjis::trimBlanks(value);
        const auto inSlot = [&raw](FieldCode c) {
            return sjis::trimBlanks(raw.inSlot(static_cast<std::size_t>(c)).value_or(""));
        };
        switch (code) {
        case fieldCode("STATE"):
            return prefectureOf(inSlot(fieldCode("CNTY"))) != text;
        case fieldCode("QSO_DATE_OFF"): {
            // The log's end time holds an end on the start's day or the next.
            const auto on = parseAdifDate(inSlot(fieldCode("QSO_DATE")));
            const auto off = parseAdifDate(text);
            if (!on || !off)
                return true;
            const std::int64_t days = (minutesOf(off->year, off->month, off->day, 0) -
                                       minutesOf(on->year, on->month, on->day, 0)) /
                                      1440;
            return days != 0 && days != 1;
        }
        // Not told (empty options): not checked.
        case fieldCode("STATION_CALLSIGN"):
        case fieldCode("OPERATOR"):
            return !m_options.ownCallsign.empty() && !isOwnStation(text);
        case fieldCode("MY_CNTY"):
            return !m_options.ownJcc.empty() && text != m_options.ownJcc;
        case fieldCode("MY_STATE"):
            return !m_options.ownJcc.empty() && prefectureOf(m_options.ownJcc) != text;
        case fieldCode("QSL_SENT_VIA"):
            return !equalsIgnoreCase(text, "B");
        case fieldCode("DXCC"):
            return text != "339";
        default:
            return false;
        }
    }

    // A file of another station's contacts (a club log, a friend's file) is imported on
    // purpose or by mistake: counted either way. OPERATOR decides only without
    // STATION_CALLSIGN, since at a club station the two differ by design.
    void noteStation(const AdifRecord &raw, Charset charset)
    {
        auto station = raw.find(fieldCode("STATION_CALLSIGN"));
        if (!station || sjis::trimBlanks(*station).empty())
            station = raw.find(fieldCode("OPERATOR"));
        if (!station || sjis::trimBlanks(*station).empty())
            return;
        if (isOwnStation(*station))
            return;
        if (m_otherStation++ == 0)
            m_otherStationExample = asUtf8(*station, charset);
    }

    // A file names its station on every record, mostly the same: the last answer is kept.
    bool isOwnStation(std::string_view station) const
    {
        if (station != m_lastStation) {
            m_lastStation.assign(station);
            m_lastStationIsOwn = equalsIgnoreCase(baseCallsign(station), m_options.ownCallsign);
        }
        return m_lastStationIsOwn;
    }

    // The marks of the confirmations the record carries, each reported when it does not fit.
    template <typename Report>
    void addReceivedMarks(const AdifRecord &raw, QsoRecord &record, const Report &report)
    {
        const ReceivedConfirmations got = receivedConfirmations(raw, m_source);
        if (!got.card && !got.lotw && !got.eqsl)
            return;
        std::string mark(record.field(Field::UserMark));
        const std::string before = mark;
        if (got.card && !addMark(mark, m_options.confirmationMark))
            report("QSL_RCVD Y の受領確認マーク");
        if (got.lotw && !m_options.lotwMark.empty()) {
            ++m_lotwMarked;
            if (!addMark(mark, m_options.lotwMark))
                report("LoTW の確認マーク");
        }
        if (got.eqsl && !m_options.eqslMark.empty()) {
            ++m_eqslMarked;
            if (!addMark(mark, m_options.eqslMark))
                report("eQSL の確認マーク");
        }
        if (mark != before)
            record.setField(Field::UserMark, mark);
    }

    // A file read again from the start (its lengths counted characters) forgets the first try.
    void forget()
    {
        m_read = 0;
        records.clear();
        m_areas.clear();
        m_changesEnd.clear();
        m_positions.clear();
        m_keys.clear();
        m_changes.clear();
        m_refused.clear();
        m_ignoredFields.clear();
        m_otherStation = 0;
        m_otherStationExample.clear();
        m_lotwMarked = 0;
        m_eqslMarked = 0;
    }

    const PrefixTable &m_table;
    const ImportOptions &m_options;
    const AdifSource m_source;
    std::int64_t m_read = 0;
    std::int64_t m_lotwMarked = 0;
    std::int64_t m_eqslMarked = 0;
    std::vector<int> m_areas;              // the area index list of each contact
    std::vector<std::size_t> m_changesEnd; // each contact's changes end here in m_changes
    std::vector<std::int64_t> m_positions; // each contact's place in the stretch, from 1
    std::vector<std::uint64_t> m_keys;     // each contact's contactKey
    ContactIdentity m_scratch;
    std::int64_t m_otherStation = 0;
    std::string m_otherStationExample;
    mutable std::string m_lastStation;
    mutable bool m_lastStationIsOwn = false;
    std::vector<ImportIssue> m_changes; // texts cut or characters replaced
    std::vector<ImportIssue> m_refused;
    std::map<std::string, std::int64_t> m_ignoredFields;
    std::vector<std::string> m_replacedIn;
};

} // namespace

ImportSummary importAdif(const std::string &adifPath, const std::string &logPath,
                         std::int32_t expectedNextRecordNo, const PrefixTable &table,
                         const ImportOptions &options, ProgressSink &progress)
{
    files::ReadProblem problem = files::ReadProblem::None;
    const std::optional<std::string> bytes = files::readAll(adifPath, &problem);
    if (!bytes) {
        ImportSummary summary;
        summary.readProblem = problem;
        summary.result = ImportResult::FileUnreadable;
        return summary;
    }
    return importAdifText(*bytes, logPath, expectedNextRecordNo, table, options, progress);
}

ImportSummary importAdifText(std::string_view adifText, const std::string &logPath,
                             std::int32_t expectedNextRecordNo, const PrefixTable &table,
                             const ImportOptions &options, ProgressSink &progress)
{
    ImportSummary summary;
    // A UTF-16 file is read as the same text in UTF-8.
    const std::optional<std::string> fromUtf16 = utf8FromUtf16(adifText);
    const std::string_view text = fromUtf16 ? std::string_view(*fromUtf16) : adifText;
    const std::string_view *bytes = &text;

    // Both stretches of the file are converted at once; which contacts are new is then
    // settled in the file's order.
    const AdifSource source = sourceOfFile(*bytes);
    Stretch first(table, options, source);
    Stretch second(table, options, source);
    // A contact takes a few hundred bytes of ADIF.
    const bool inTwo = bytes->size() >= options.splitFrom;
    first.reserve(bytes->size() / (inTwo ? 512 : 256));
    if (inTwo)
        second.reserve(bytes->size() / 512);
    summary.file =
        parseAdifInTwo(*bytes, first.handler(), second.handler(), progress, options.splitFrom);
    summary.file.fromUtf16 = fromUtf16.has_value();
    // A file without a single record is not taken for an ADIF file with nothing new in it.
    if (first.recordsRead() + second.recordsRead() == 0 && !summary.file.cutOff) {
        summary.result = ImportResult::NoRecord;
        return summary;
    }

    // From here to the append the log is ours: no other program appends in between, so the
    // duplicates found are all there are and the numbers are the ones the log's end gives.
    FileLock lock;
    const LockResult locked =
        options.dryRun && !files::exists(logPath)
            ? LockResult::Ok
            : lock.acquire(logPath, options.dryRun ? LockMode::Shared : LockMode::Exclusive,
                           kRecordLockWait, !options.dryRun);
    if (locked != LockResult::Ok) {
        summary.result =
            locked == LockResult::Busy ? ImportResult::LogBusy : ImportResult::LogUnreadable;
        return summary;
    }

    // The contacts already in the log, by callsign, date and start time.
    const std::uint64_t logBytes = files::size(logPath).value_or(0);
    ContactKeys known(first.records.size() + second.records.size() + logBytes / kRecordSize);
    // The log's bytes stay while `known` points into them.
    std::optional<std::string> log;
    if (files::exists(logPath)) {
        log = files::readAll(logPath);
        if (!log) {
            summary.result = ImportResult::LogUnreadable;
            return summary;
        }
        QsoRecord record;
        ContactIdentity scratch;
        for (std::size_t at = 0; at + kRecordSize <= log->size(); at += kRecordSize) {
            std::copy_n(log->data() + at, kRecordSize, record.bytes.data());
            if (!record.isDeleted())
                known.insert(record, contactKey(record, scratch), log->data() + at);
        }
    }
    summary.areas.reserve(first.records.size() + second.records.size());
    first.keepNew(known, summary);
    second.keepNew(known, summary);
    if (summary.file.cutOff) {
        // The contact the file ends inside: read, and refused.
        summary.refused.push_back({++summary.read,
                                   asUtf8(summary.file.cutOffCallsign, summary.file.charset),
                                   cutOffText(summary.file.cutOffAt)});
    }
    if (summary.file.cutOff && options.reportEachContact)
        summary.contacts.push_back(
            {summary.read, ContactOutcome::Refused, 0, summary.refused.back().what});

    summary.imported = static_cast<std::int64_t>(first.records.size() + second.records.size());
    std::int32_t nextRecordNo = static_cast<std::int32_t>(logBytes / kRecordSize) + 1;
    if (!options.dryRun) {
        const AppendOutcome appended = appendAtEnd(lock, {first.records, second.records});
        if (appended.result != IoResult::Ok) {
            // What the message says about the log is what the file shows.
            summary.logAsBefore = files::size(logPath).value_or(0) == logBytes;
            summary.result = ImportResult::WriteFailed;
            summary.imported = 0;
            summary.areas.clear();
            return summary;
        }
        nextRecordNo = appended.firstRecordNo;
    }
    summary.logGrewElsewhere = nextRecordNo != expectedNextRecordNo;
    if (summary.imported > 0) {
        summary.firstRecordNo = nextRecordNo;
        summary.lastRecordNo = nextRecordNo + static_cast<std::int32_t>(summary.imported) - 1;
    }
    // Each imported contact noted its place among them: now its record number.
    for (ContactReport &c : summary.contacts)
        if (c.outcome == ContactOutcome::Imported)
            c.recordNo = summary.imported > 0 ? nextRecordNo + c.recordNo : 0;
    return summary;
}

namespace {

constexpr std::size_t kListedLines = 50;

template <typename Item, typename Line>
void listLines(std::string &out, const std::vector<Item> &items, const Line &line)
{
    for (std::size_t i = 0; i < items.size() && i < kListedLines; ++i)
        out += "  " + line(items[i]) + "\n";
    if (items.size() > kListedLines)
        out += "  ほか " + std::to_string(items.size() - kListedLines) + " 件\n";
}

std::string callsignText(const ImportIssue &issue)
{
    return issue.callsign.empty() ? std::string("(コールなし)") : printable(issue.callsign);
}

std::string exampleText(const ImportIssue &issue)
{
    return issue.example.empty() ? std::string() : ": " + printable(issue.example);
}

} // namespace

std::string issueLine(const ImportIssue &issue)
{
    return std::to_string(issue.adifRecord) + " 件目 " + callsignText(issue) + ": " +
           printable(issue.what) +
           (issue.example.empty() ? "" : " (" + printable(issue.example) + ")");
}

void appendGroupedIssues(std::string &out, const std::vector<ImportIssue> &items)
{
    std::vector<std::pair<const ImportIssue *, std::int64_t>> groups;
    std::map<std::string_view, std::size_t> groupOf;
    for (const ImportIssue &issue : items) {
        const auto [at, added] = groupOf.emplace(issue.what, groups.size());
        if (added)
            groups.emplace_back(&issue, 0);
        ++groups[at->second].second;
    }
    for (std::size_t g = 0; g < groups.size() && g < kListedLines; ++g) {
        const auto &[first, count] = groups[g];
        if (count == 1)
            out += "  " + issueLine(*first) + "\n";
        else
            out += "  " + printable(first->what) + ": " + std::to_string(count) + " 件 (例 " +
                   std::to_string(first->adifRecord) + " 件目 " + callsignText(*first) +
                   exampleText(*first) + ")\n";
    }
    if (groups.size() > kListedLines)
        out += "  ほか " + std::to_string(groups.size() - kListedLines) + " 種類\n";
}

std::string summaryText(const ImportSummary &summary, bool dryRun)
{
    std::string out;
    switch (summary.result) {
    case ImportResult::FileUnreadable:
        if (summary.readProblem != files::ReadProblem::None &&
            summary.readProblem != files::ReadProblem::CannotOpen)
            return "ADIFファイルが読めません: " +
                   std::string(files::readProblemText(summary.readProblem)) + "\n";
        return "ADIFファイルが読めません\n";
    case ImportResult::NoRecord:
        return "ADIFファイルにレコードがありません\n";
    case ImportResult::LogUnreadable:
        return "ログファイルが読めません\n";
    case ImportResult::LogBusy:
        return std::string(kLogBusyText) + "\n";
    case ImportResult::WriteFailed:
        out += summary.logAsBefore
                   ? "ログファイルに書き込めませんでした。ログは取込前のままです\n"
                   : "ログファイルに書き込めませんでした。ログの末尾が取込前と異なります\n";
        break;
    case ImportResult::Ok:
        break;
    }
    out += summary.file.format == Format::Adx ? "形式 ADX" : "形式 ADI";
    out += ", 文字コード ";
    out += summary.file.fromUtf16 ? std::string_view("UTF-16") : charsetName(summary.file.charset);
    out += summary.file.lengthsInCharacters ? " (長さは文字数)" : " (長さはバイト数)";
    out += "\n";
    out += "読込 " + std::to_string(summary.read) + " 件, " + (dryRun ? "取込予定 " : "取込 ") +
           std::to_string(summary.imported) + " 件";
    if (summary.firstRecordNo > 0)
        out += " (No." + std::to_string(summary.firstRecordNo) + "〜" +
               std::to_string(summary.lastRecordNo) + ")";
    out += ", 登録済みで飛ばした交信 " + std::to_string(summary.duplicates) + " 件, 取込不可 " +
           std::to_string(summary.refused.size()) + " 件\n";
    if (dryRun)
        out += "(試行のみ: ログには書き込んでいません)\n";
    if (summary.otherStation > 0)
        out += "他局 (STATION_CALLSIGN) の交信 " + std::to_string(summary.otherStation) +
               " 件 (例 " + printable(summary.otherStationExample) + ")\n";
    if (!summary.refused.empty()) {
        out += "取込不可:\n";
        appendGroupedIssues(out, summary.refused);
    }
    if (!summary.changed.empty()) {
        out += "変更して取込:\n";
        appendGroupedIssues(out, summary.changed);
    }
    if (!summary.duplicateList.empty()) {
        out += "登録済み:\n";
        appendGroupedIssues(out, summary.duplicateList);
    }
    if (!summary.ignoredFields.empty()) {
        out += "置き場所のない項目 (読み飛ばし):";
        for (const auto &[name, count] : summary.ignoredFields)
            out += " " + printable(name) + " " + std::to_string(count) + " 件";
        out += "\n";
    }
    return out;
}

std::string reportText(const ImportSummary &summary, bool dryRun)
{
    std::string out = summaryText(summary, dryRun);
    for (const auto &[title, items] :
         {std::pair{"取込不可", &summary.refused}, std::pair{"変更して取込", &summary.changed},
          std::pair{"登録済み", &summary.duplicateList}}) {
        if (items->empty())
            continue;
        out += std::string("\n") + title + " (全件):\n";
        for (const ImportIssue &issue : *items)
            out += "  " + issueLine(issue) + "\n";
    }
    return out;
}

std::string summaryText(const ExportSummary &summary)
{
    std::string out;
    switch (summary.result) {
    case ExportResult::LogUnreadable:
        return "ログファイルが読めません\n";
    case ExportResult::WriteFailed:
        // Nothing was put in place: no count of records written.
        return "ADIFファイルに書き込めませんでした\n";
    case ExportResult::OutputInDataFolder:
        return "出力先がデータフォルダの中です。ログを守るため書き出しません\n";
    case ExportResult::OutputNotRegular:
        return "出力先が通常のファイルではありません。書き出しません\n";
    case ExportResult::Ok:
        break;
    }
    out += "出力 " + std::to_string(summary.exported) + " 件, 削除済み " +
           std::to_string(summary.deleted) + " 件, 日時が読めず出力しなかった交信 " +
           std::to_string(summary.unreadable.size()) + " 件\n";
    listLines(out, summary.unreadable, [](const std::pair<std::int32_t, std::string> &u) {
        return "No." + std::to_string(u.first) + ": " + u.second;
    });
    if (summary.textsLeftOut > 0) {
        out += "ASCII でない文字のため省いた項目 " + std::to_string(summary.textsLeftOut) +
               " 個 (" + std::to_string(summary.leftOutRecords.size()) + " 件):";
        for (std::size_t i = 0; i < summary.leftOutRecords.size() && i < kListedLines; ++i)
            out += " No." + std::to_string(summary.leftOutRecords[i]);
        if (summary.leftOutRecords.size() > kListedLines)
            out += " ほか";
        out += "\n";
    }
    for (const auto &[what, list] :
         {std::pair{"周波数がどのバンドにもなく FREQ も BAND も出力しなかった交信",
                    &summary.noBand},
          std::pair{"ADIF にない電波形式で MODE を出力しなかった交信", &summary.noMode}}) {
        if (list->empty())
            continue;
        out += std::string(what) + " " + std::to_string(list->size()) + " 件 (例 No." +
               std::to_string(list->front().first) + " " +
               printable(sjis::toUtf8(list->front().second)) + ")\n";
    }
    return out;
}

} // namespace vz::adif
