// SPDX-License-Identifier: GPL-3.0-or-later
#include "adif/adif_record.h"

#include "adif/adif_fields.h"
#include "adif/typed_memo.h"
#include "common/sjis.h"
#include "log/call_area.h"
#include "log/entry_assist.h"

#include <algorithm>
#include <initializer_list>

namespace vz::adif {

namespace {

consteval std::size_t slot(std::string_view name)
{
    for (std::size_t i = 0; i < kReadFieldNames.size(); ++i)
        if (kReadFieldNames[i] == name)
            return i;
    throw "not a field the conversion reads";
}

// Every field name the program knows, with a number: the slots of the conversion first, then
// the names it only recognises. Looked up in an open-addressed table keyed on the length and a
// few letters in any case, since every field of every record is looked up.
class NameCodes
{
public:
    NameCodes()
    {
        for (std::size_t code = 0; code < kKnownNameCount; ++code) {
            std::size_t i = hash(knownFieldName(static_cast<FieldCode>(code)));
            while (m_buckets[i] >= 0)
                i = (i + 1) % kBuckets;
            m_buckets[i] = static_cast<std::int16_t>(code);
        }
    }

    std::int16_t codeOf(std::string_view name) const
    {
        if (name.empty())
            return AdifRecord::kUnknown;
        for (std::size_t i = hash(name);; i = (i + 1) % kBuckets) {
            const std::int16_t code = m_buckets[i];
            if (code < 0)
                return AdifRecord::kUnknown;
            const std::string_view known = knownFieldName(code);
            if (known.size() == name.size() &&
                std::equal(known.begin(), known.end(), name.begin(),
                           [](char k, char c) { return k == upper(c); }))
                return code;
        }
    }

private:
    static constexpr std::size_t kBuckets = 256;

    static char upper(char c)
    {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }

    static std::size_t hash(std::string_view n)
    {
        const auto at = [&n](std::size_t i) { return static_cast<unsigned char>(upper(n[i])); };
        const std::size_t s = n.size();
        return (s * 131 + at(0) * 31 + at(s - 1) * 7 + at(s / 2) * 3 + at((s - 1) * 3 / 4)) %
               kBuckets;
    }

    std::array<std::int16_t, kBuckets> m_buckets = [] {
        std::array<std::int16_t, kBuckets> b{};
        b.fill(-1);
        return b;
    }();
};

const NameCodes &nameCodes()
{
    static const NameCodes codes;
    return codes;
}

bool isQueuedOrRequested(std::string_view qslSent)
{
    const std::string_view v = sjis::trimBlanks(qslSent);
    return v.size() == 1 && (v[0] == 'Q' || v[0] == 'q' || v[0] == 'R' || v[0] == 'r');
}

} // namespace

void AdifRecord::add(std::string_view name, std::string_view value)
{
    Entry &e = addName(name);
    e.valueAt = static_cast<std::uint32_t>(m_text.size());
    e.valueSize = static_cast<std::uint32_t>(value.size());
    m_text.append(value);
}

void AdifRecord::addBorrowed(std::string_view name, std::string_view value)
{
    Entry &e = addName(name);
    e.borrowed = value.data();
    e.valueSize = static_cast<std::uint32_t>(value.size());
}

AdifRecord::Entry &AdifRecord::addName(std::string_view name)
{
    Entry e{};
    // Records of one file name their fields alike and in the same order, though some leave
    // one out: the name that followed the one before last time is tried first, as it stands,
    // before the table of names.
    const std::size_t after = m_entries.empty() || m_entries.back().code < 0
                                  ? kKnownNameCount
                                  : static_cast<std::size_t>(m_entries.back().code);
    const FieldCode guess = m_nextAfter[after];
    if (guess >= 0 && knownFieldName(guess) == name)
        e.code = guess;
    else
        e.code = m_nextAfter[after] = nameCodes().codeOf(name);
    // Known names are kept as their number; others, upper-cased, beside the values.
    if (e.code == kUnknown) {
        e.nameAt = static_cast<std::uint32_t>(m_text.size());
        e.nameSize = static_cast<std::uint32_t>(name.size());
        m_text.append(name);
        for (char *c = m_text.data() + e.nameAt; c != m_text.data() + m_text.size(); ++c)
            if (*c >= 'a' && *c <= 'z')
                *c = static_cast<char>(*c - 'a' + 'A');
    }
    noteSlot(e.code);
    return m_entries.emplace_back(e);
}

void AdifRecord::setValue(std::size_t index, std::string_view value)
{
    Entry &e = m_entries[index];
    e.borrowed = nullptr;
    e.valueAt = static_cast<std::uint32_t>(m_text.size());
    e.valueSize = static_cast<std::uint32_t>(value.size());
    m_text += value;
}

std::optional<std::string_view> AdifRecord::find(std::string_view upperName) const
{
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (name(i) == upperName)
            return value(i);
    return std::nullopt;
}

std::optional<std::string_view> AdifRecord::inSlot(std::size_t slot) const
{
    const std::int32_t at = m_firstInSlot[slot];
    if (at < 0)
        return std::nullopt;
    return value(static_cast<std::size_t>(at));
}

void AdifRecord::clear()
{
    m_text.clear();
    m_entries.clear();
    m_firstInSlot = emptySlots();
    m_unclearName.clear();
    m_pastEndAt = -1;
}

bool isKnownField(std::string_view upperName)
{
    return nameCodes().codeOf(upperName) != AdifRecord::kUnknown;
}

namespace {

// A log holds a few bands and powers over and over: each is worked out once per thread.
const std::string &typedBand(std::string_view adifBand)
{
    thread_local TypedMemo<std::string> bands;
    return bands.of(adifBand, [](std::string_view band) {
        // A band-only contact keeps the band's name, which exports as the same BAND.
        return bandAsTyped(band).value_or(std::string(sjis::trimBlanks(band)));
    });
}

const std::string &typedPower(std::string_view watts)
{
    thread_local TypedMemo<std::string> powers;
    return powers.of(watts, powerAsTyped);
}

} // namespace

Conversion toLogRecord(const AdifRecord &adif, const PrefixTable &table)
{
    Conversion out;
    std::array<std::string_view, kTextFieldCount> texts{};
    std::array<bool, kTextFieldCount> fromApp{};
    auto text = [&](Field f) -> std::string_view & { return texts[static_cast<std::size_t>(f)]; };
    auto own = [&](Field f) { return fromApp[static_cast<std::size_t>(f)]; };
    auto in = [&](std::size_t s) { return adif.inSlot(s); };

    const AdifCall call = splitAdifCall(in(slot("CALL")).value_or(std::string_view()), table);
    text(Field::Callsign) = call.parts.callsign;
    text(Field::PortableArea) = call.parts.area;
    text(Field::PortableForm) = call.parts.form;
    out.prefixMoved = call.prefixMoved;

    // This program's own texts first: the callsign fields decide the area and so the times.
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        if (const auto v = adif.inSlot(kAppSlot + i)) {
            texts[i] = *v;
            fromApp[i] = true;
        }
    }
    const std::string_view callsign = sjis::trimBlanks(text(Field::Callsign));
    if (callsign.empty() || callsign == kEmptyMark) {
        out.refusal = "コールサインがありません";
        return out;
    }
    // Designators the record cannot hold, unless this program's own fields give the record.
    if (call.refusal && !own(Field::PortableArea) && !own(Field::PortableForm)) {
        out.refusal = *call.refusal;
        return out;
    }
    if (callsign.size() > maxTextBytes(Field::Callsign)) {
        out.refusal = "コールサインが6文字を超えています";
        return out;
    }
    const std::optional<int> portable = portableAreaOf(text(Field::PortableArea));
    out.area = portable ? *portable : classifyCallArea(callsign, table);
    const int offset = logsInUtc(out.area) ? 0 : kJstOffsetMinutes;

    std::optional<JoinedDigits> dateText;
    std::optional<JoinedDigits> startText;
    const auto qsoDate = in(slot("QSO_DATE"));
    const auto timeOn = in(slot("TIME_ON"));
    // A plain Date beside a flag: GCC 12 takes an optional's fields for uninitialised here.
    const std::optional<Date> parsedDate = qsoDate ? parseAdifDate(*qsoDate) : std::nullopt;
    const Date *date = parsedDate ? &*parsedDate : nullptr;
    const std::optional<int> start = timeOn ? parseAdifTime(*timeOn) : std::nullopt;
    if (date && (date->year < kFirstYear || date->year > kLastYear)) {
        out.refusal = "交信年月日 " + std::string(sjis::trimBlanks(*qsoDate)) + " が " +
                      std::to_string(kFirstYear) + "〜" + std::to_string(kLastYear) +
                      " 年の範囲外です";
        return out;
    }
    if (date && start) {
        const DateTime local =
            dateTimeOf(minutesOf(date->year, date->month, date->day, *start) + offset);
        // Japanese time may cross into a year the log's two digits cannot tell.
        if (local.year < kFirstYear || local.year > kLastYear) {
            out.refusal = "交信年月日 " + std::string(sjis::trimBlanks(*qsoDate)) + " が " +
                          std::to_string(kFirstYear) + "〜" + std::to_string(kLastYear) +
                          " 年の範囲外です";
            return out;
        }
        if (!own(Field::QsoDate))
            text(Field::QsoDate) =
                dateText.emplace({local.year % 100, local.month, local.day}, '/').view();
        if (!own(Field::StartTime))
            text(Field::StartTime) = startText.emplace({local.hour, local.minute}, ':').view();
    }
    if (sjis::trimBlanks(text(Field::QsoDate)).empty()) {
        out.refusal = "交信年月日が読めません";
        return out;
    }
    if (sjis::trimBlanks(text(Field::StartTime)).empty()) {
        out.refusal = "開始時刻が読めません";
        return out;
    }
    std::optional<JoinedDigits> endText;
    if (!own(Field::EndTime)) {
        const auto timeOff = in(slot("TIME_OFF"));
        if (const auto end = timeOff ? parseAdifTime(*timeOff) : std::nullopt) {
            const int local = (*end + offset) % 1440;
            text(Field::EndTime) = endText.emplace({local / 60, local % 60}, ':').view();
        }
    }

    // The worked station's place: the portable pair when the contact was portable.
    const bool wasPortable = portableAreaOf(text(Field::PortableArea)).has_value();
    auto standard = [&](Field f, std::optional<std::string_view> value) {
        if (!own(f) && value)
            text(f) = *value;
    };
    auto preferIntl = [&](std::size_t intl, std::size_t plain) {
        const auto v = in(intl);
        return v && !v->empty() ? v : in(plain);
    };
    standard(wasPortable ? Field::PortableQth : Field::FixedQth,
             preferIntl(slot("QTH_INTL"), slot("QTH")));
    standard(wasPortable ? Field::PortableJcc : Field::FixedJcc, in(slot("CNTY")));
    standard(Field::OpName, preferIntl(slot("NAME_INTL"), slot("NAME")));
    standard(Field::HisRst, in(slot("RST_SENT")));
    standard(Field::MyRst, in(slot("RST_RCVD")));
    standard(Field::Remarks, preferIntl(slot("COMMENT_INTL"), slot("COMMENT")));
    standard(Field::Memo, preferIntl(slot("NOTES_INTL"), slot("NOTES")));
    standard(Field::OwnPortableQth, preferIntl(slot("MY_CITY_INTL"), slot("MY_CITY")));
    std::string frequency;
    if (!own(Field::Frequency)) {
        if (const auto freq = in(slot("FREQ")); freq && !freq->empty())
            text(Field::Frequency) = frequency = frequencyAsTyped(*freq);
        else if (const auto band = in(slot("BAND")))
            text(Field::Frequency) = frequency = typedBand(*band);
    }
    std::string mode;
    if (!own(Field::Mode)) {
        const std::string_view adifMode = sjis::trimBlanks(in(slot("MODE")).value_or(""));
        const std::string_view submode = sjis::trimBlanks(in(slot("SUBMODE")).value_or(""));
        const std::size_t width = maxTextBytes(Field::Mode);
        // The submode where it fits, else a short form the export turns back into both.
        if (!submode.empty() && submode.size() <= width) {
            mode = upperShiftJis(submode);
        } else if (submode.empty() && adifMode.size() <= width) {
            mode = upperShiftJis(adifMode);
        } else if (const auto brief = shortModeOf(adifMode, submode)) {
            mode = *brief;
        } else {
            if (!submode.empty())
                out.notes.push_back("SUBMODE " + sjis::toUtf8(submode) + " は電波形式（" +
                                    std::to_string(width) + "バイト）に入りません");
            if (adifMode.size() <= width)
                mode = upperShiftJis(adifMode);
            else if (const auto modeBrief = shortModeOf(adifMode, ""))
                mode = *modeBrief;
            else
                mode = upperShiftJis(adifMode); // cut to the field, and listed as cut
        }
        if (!mode.empty())
            text(Field::Mode) = mode;
    }
    std::string power;
    if (!own(Field::Power)) {
        if (const auto watts = in(slot("TX_PWR")))
            text(Field::Power) = power = typedPower(*watts);
    }

    // Empty texts are the empty mark, except this program's own: an empty field as it was.
    // The record is all zero yet, so each text is only copied in (cut as setField cuts).
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        const auto f = static_cast<Field>(i);
        const std::string_view t = sjis::trimBlanks(texts[i]);
        const std::string_view stored =
            sjis::cutToWidth(t.empty() && !fromApp[i] ? kEmptyMark : t, maxTextBytes(f));
        if (stored.size() < t.size())
            out.cuts.push_back({f, std::string(t)});
        std::copy(stored.begin(), stored.end(), out.record.bytes.begin() + fieldSpec(f).offset);
    }
    const auto qslSent = in(slot("QSL_SENT"));
    out.record.setQslFlag(qslSent && isQueuedOrRequested(*qslSent));
    // The flag byte as written: a number 0..255; anything else leaves the flag from QSL_SENT.
    if (const auto flag = adif.inSlot(kQslFlagSlot); flag && !flag->empty() && flag->size() <= 3) {
        int value = 0;
        for (const char c : *flag)
            value = c >= '0' && c <= '9' && value >= 0 ? value * 10 + (c - '0') : -1;
        if (value >= 0 && value <= 255)
            out.record.bytes[kQslFlagOffset] = static_cast<char>(value);
    }
    return out;
}

} // namespace vz::adif
