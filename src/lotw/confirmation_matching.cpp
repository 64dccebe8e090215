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
#include <cstdio>
#include <cstring>
#include <limits>
#include <unistd.h>
#include <unordered_map>

namespace vz::lotw {

namespace {

using log::Field;
using log::kRecordSize;

// A confirmation waiting for its contact.
struct Pending
{
    std::int64_t adifRecord = 0;
    adif::ContactIdentity contact; // minute in UTC
    std::string modeGroup;         // APP_LoTW_MODEGROUP, upper case; empty when none
    bool lotw = false;
    bool eqsl = false;
    std::string described; // callsign, UTC date and time, band and mode, for the lists (UTF-8)
    std::int32_t recordNo = 0;
    std::int64_t distance = std::numeric_limits<std::int64_t>::max();
};

// The first eight bytes of a callsign in upper case: the key of the callsigns looked up for every
// contact of the log, where a string would cost an allocation each. A key shared by two
// callsigns only costs a comparison that fails.
std::uint64_t callKey(std::string_view call)
{
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < call.size() && i < 8; ++i) {
        char c = call[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        key |= static_cast<std::uint64_t>(static_cast<unsigned char>(c)) << (8 * i);
    }
    return key ^ call.size();
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

std::string describe(const std::string &call, std::int64_t minute, const adif::ContactIdentity &id)
{
    const adif::DateTime t = adif::dateTimeOf(minute);
    char when[32];
    std::snprintf(when, sizeof when, " %04d-%02d-%02d %02d:%02dZ", t.year, t.month, t.day, t.hour,
                  t.minute);
    std::string out = call + when;
    if (!id.band.empty())
        out += " " + std::string(id.band);
    if (!id.mode.empty())
        out += " " + (id.submode.empty() ? id.mode : id.submode);
    return out;
}

// Reads the confirmations of the file into `pending`, counting the rest in `summary`.
class ConfirmationReader
{
public:
    ConfirmationReader(const ConfirmOptions &options, ConfirmSummary &summary,
                       std::vector<Pending> &pending)
        : m_options(options), m_summary(summary), m_pending(pending)
    {
    }

    bool sawField() const { return m_sawField; }

    void take(const adif::AdifRecord &raw)
    {
        const std::int64_t position = ++m_summary.read;
        const adif::ReceivedConfirmations got = adif::receivedConfirmations(raw, m_summary.source);
        m_sawField = m_sawField || got.electronicField;
        if (!got.lotw && !got.eqsl) {
            if (got.electronicField)
                ++m_summary.notConfirmations;
            return;
        }
        ++m_summary.confirmations;
        const std::string call = upperTrimmed(raw.find("CALL"));
        std::string station = upperTrimmed(raw.find("APP_LOTW_OWNCALL"));
        if (station.empty())
            station = upperTrimmed(raw.find("STATION_CALLSIGN"));
        if (!m_options.ownCallsign.empty() && !station.empty() &&
            baseCall(station) != m_options.ownCallsign) {
            ++m_summary.otherStation;
            m_summary.problems.push_back({position, call, "他局 (" + station + ") の確認"});
            return;
        }
        const auto date = adif::parseAdifDate(raw.find("QSO_DATE").value_or(""));
        const auto time = adif::parseAdifTime(raw.find("TIME_ON").value_or(""));
        if (call.empty() || !date || !time) {
            m_summary.problems.push_back({position, call, "コールサインか日時が読めません"});
            return;
        }
        const std::int64_t minute = adif::minutesOf(date->year, date->month, date->day, *time);
        // ADIF names bands in any case; the duplicate rule reads them in lower case ("20m"),
        // where "20M" would be a frequency.
        std::string band = upperTrimmed(raw.find("BAND"));
        for (char &ch : band)
            if (ch >= 'A' && ch <= 'Z')
                ch = static_cast<char>(ch - 'A' + 'a');
        const std::string submode = upperTrimmed(raw.find("SUBMODE"));
        const std::string mode =
            !submode.empty() && adif::modeOf(submode) ? submode : upperTrimmed(raw.find("MODE"));
        Pending p;
        p.adifRecord = position;
        p.contact = adif::contactIdentity(
            call, minute, band.empty() ? upperTrimmed(raw.find("FREQ")) : band, mode);
        p.modeGroup = upperTrimmed(raw.find("APP_LOTW_MODEGROUP"));
        p.lotw = got.lotw;
        p.eqsl = got.eqsl;
        p.described = describe(call, minute, p.contact);
        m_pending.push_back(std::move(p));
    }

private:
    const ConfirmOptions &m_options;
    ConfirmSummary &m_summary;
    std::vector<Pending> &m_pending;
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

// Finds each confirmation's contact in the log's bytes.
void matchLog(const std::string &logBytes, const log::PrefixTable &table, int window,
              std::vector<Pending> &pending, ProgressSink &progress)
{
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> byCall;
    byCall.reserve(pending.size());
    for (std::uint32_t i = 0; i < pending.size(); ++i)
        byCall[callKey(baseCall(pending[i].contact.call))].push_back(i);

    const std::size_t count = logBytes.size() / kRecordSize;
    progress.begin(static_cast<std::int64_t>(count));
    log::QsoRecord record;
    adif::ContactIdentity contact;
    for (std::size_t n = 0; n < count; ++n) {
        if (n % 65536 == 0)
            progress.advance(static_cast<std::int64_t>(n));
        const char *bytes = logBytes.data() + n * kRecordSize;
        const log::FieldSpec &place = log::fieldSpec(Field::Callsign);
        const std::string_view call = log::fieldTextAt(bytes + place.offset, place.width);
        const auto found = byCall.find(callKey(call));
        if (found == byCall.end())
            continue;
        std::memcpy(record.bytes.data(), bytes, kRecordSize);
        if (record.isDeleted() || !adif::logContactIdentity(record, contact))
            continue;
        // The log keeps Japanese stations in Japanese time.
        const std::optional<int> portable = log::portableAreaOf(record.field(Field::PortableArea));
        const int area = portable ? *portable : log::classifyCallArea(call, table);
        if (!log::logsInUtc(area))
            contact.minute -= adif::kJstOffsetMinutes;
        for (const std::uint32_t i : found->second) {
            Pending &c = pending[i];
            const auto distance = matchDistance(contact, c, window);
            if (distance && *distance < c.distance) {
                c.distance = *distance;
                c.recordNo = static_cast<std::int32_t>(n + 1);
            }
        }
    }
    progress.end();
}

// Adds the marks of the matched confirmations to their contacts in `logBytes`; the numbers of
// the records changed, in order.
std::vector<std::int32_t> markContacts(std::string &logBytes, const std::vector<Pending> &pending,
                                       const ConfirmOptions &options, ConfirmSummary &summary)
{
    std::vector<std::int32_t> changed;
    log::QsoRecord record;
    for (const Pending &c : pending) {
        if (c.recordNo == 0) {
            ++summary.notFound;
            summary.notFoundList.push_back({c.adifRecord, c.described, "ログに無い交信"});
            continue;
        }
        ++summary.confirmed;
        summary.lotwConfirmed += c.lotw ? 1 : 0;
        summary.eqslConfirmed += c.eqsl ? 1 : 0;
        char *bytes = logBytes.data() + static_cast<std::size_t>(c.recordNo - 1) * kRecordSize;
        std::memcpy(record.bytes.data(), bytes, kRecordSize);
        std::string mark(record.field(Field::UserMark));
        const std::string before = mark;
        bool fits = true;
        if (c.lotw)
            fits = adif::addMark(mark, options.lotwMark) && fits;
        if (c.eqsl)
            fits = adif::addMark(mark, options.eqslMark) && fits;
        if (!fits) {
            summary.problems.push_back({c.adifRecord, c.described,
                                        "No." + std::to_string(c.recordNo) +
                                            " のユーザ設定マーク（" +
                                            std::to_string(log::maxTextBytes(Field::UserMark)) +
                                            "バイト）に確認マークが入りきりません"});
        }
        if (mark == before) {
            if (fits)
                ++summary.alreadyConfirmed;
            continue;
        }
        ++summary.newly;
        record.setField(Field::UserMark, mark);
        std::memcpy(bytes, record.bytes.data(), kRecordSize);
        changed.push_back(c.recordNo);
    }
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
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
    std::vector<Pending> pending;
    ConfirmationReader reader(options, summary, pending);
    adif::parseAdif(
        text, [&](adif::AdifRecord &raw, adif::Charset) { reader.take(raw); }, progress);
    if (!reader.sawField()) {
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
    std::optional<std::string> logBytes = files::readAll(logPath);
    if (!logBytes) {
        summary.result = ConfirmResult::LogUnreadable;
        return summary;
    }
    matchLog(*logBytes, table, options.windowMinutes, pending, progress);
    const std::vector<std::int32_t> changed = markContacts(*logBytes, pending, options, summary);
    if (options.dryRun)
        return summary;
    for (const std::int32_t n : changed) {
        const std::size_t at = static_cast<std::size_t>(n - 1) * kRecordSize;
        if (!files::writeAllAt(lock.fd(), std::string_view(logBytes->data() + at, kRecordSize),
                               at)) {
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
