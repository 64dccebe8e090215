// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/adif_record.h"

#include "common/sjis.h"
#include "log/adif_fields.h"
#include "log/call_area.h"
#include "log/entry_assist.h"

#include <array>
#include <initializer_list>
#include <unordered_map>
#include <unordered_set>

namespace vz::log::adif {

namespace {

constexpr std::array<std::string_view, kTextFieldCount> kAppNames{
    "APP_VEZODOVI_CALLSIGN",         "APP_VEZODOVI_PORTABLE_AREA", "APP_VEZODOVI_PORTABLE_FORM",
    "APP_VEZODOVI_QSO_DATE",         "APP_VEZODOVI_START_TIME",    "APP_VEZODOVI_FIXED_QTH",
    "APP_VEZODOVI_FIXED_JCC",        "APP_VEZODOVI_PORTABLE_QTH",  "APP_VEZODOVI_PORTABLE_JCC",
    "APP_VEZODOVI_OP_NAME",          "APP_VEZODOVI_HIS_RST",       "APP_VEZODOVI_MY_RST",
    "APP_VEZODOVI_FREQUENCY",        "APP_VEZODOVI_MODE",          "APP_VEZODOVI_POWER",
    "APP_VEZODOVI_USER_MARK",        "APP_VEZODOVI_REMARKS",       "APP_VEZODOVI_MEMO",
    "APP_VEZODOVI_OWN_PORTABLE_QTH", "APP_VEZODOVI_END_TIME",
};
constexpr std::string_view kAppQslFlag = "APP_VEZODOVI_QSL_FLAG";

// Standard fields the conversion reads or that only restate what it reads (BAND beside FREQ,
// STATE beside CNTY, the own station's fields the log keeps in the settings).
constexpr std::array<std::string_view, 32> kKnown{
    "CALL",     "QSO_DATE",   "TIME_ON",  "TIME_OFF",     "QSO_DATE_OFF",
    "FREQ",     "BAND",       "MODE",     "SUBMODE",      "RST_SENT",
    "RST_RCVD", "TX_PWR",     "NAME",     "NAME_INTL",    "QTH",
    "QTH_INTL", "CNTY",       "STATE",    "COMMENT",      "COMMENT_INTL",
    "NOTES",    "NOTES_INTL", "QSL_SENT", "QSL_SENT_VIA", "STATION_CALLSIGN",
    "MY_CNTY",  "MY_STATE",   "MY_CITY",  "MY_CITY_INTL", "OPERATOR",
    "EOH",      "EOR",
};

// The standard fields the conversion reads, and this program's own after them.
constexpr std::array<std::string_view, 23> kReadNames{
    "CALL",      "QSO_DATE",   "TIME_ON",  "TIME_OFF", "FREQ",         "BAND",
    "MODE",      "SUBMODE",    "RST_SENT", "RST_RCVD", "TX_PWR",       "NAME",
    "NAME_INTL", "QTH",        "QTH_INTL", "CNTY",     "COMMENT",      "COMMENT_INTL",
    "NOTES",     "NOTES_INTL", "QSL_SENT", "MY_CITY",  "MY_CITY_INTL",
};
constexpr std::size_t kAppSlot = kReadNames.size();
constexpr std::size_t kSlotCount = kAppSlot + kTextFieldCount + 1;

consteval std::size_t slot(std::string_view name)
{
    for (std::size_t i = 0; i < kReadNames.size(); ++i)
        if (kReadNames[i] == name)
            return i;
    throw "not a field the conversion reads";
}

// Where each field the conversion reads lies in a record, found in one pass over its fields
// (the first of a name wins), so a record of many fields is not searched once per name.
class Slots
{
public:
    explicit Slots(const AdifRecord &adif)
    {
        static const std::unordered_map<std::string_view, std::size_t> slots = [] {
            std::unordered_map<std::string_view, std::size_t> m;
            for (std::size_t i = 0; i < kReadNames.size(); ++i)
                m.emplace(kReadNames[i], i);
            for (std::size_t i = 0; i < kTextFieldCount; ++i)
                m.emplace(kAppNames[i], kAppSlot + i);
            m.emplace(kAppQslFlag, kAppSlot + kTextFieldCount);
            return m;
        }();
        for (const AdifField &f : adif.fields()) {
            const auto it = slots.find(f.name);
            if (it != slots.end() && !m_values[it->second])
                m_values[it->second] = &f.value;
        }
    }
    const std::string *operator[](std::size_t slot) const { return m_values[slot]; }
    const std::string *app(std::size_t field) const { return m_values[kAppSlot + field]; }
    const std::string *appQslFlag() const { return m_values[kAppSlot + kTextFieldCount]; }

private:
    std::array<const std::string *, kSlotCount> m_values{};
};

const std::string *preferIntl(const Slots &in, std::size_t intl, std::size_t plain)
{
    if (const std::string *v = in[intl]; v && !v->empty())
        return v;
    return in[plain];
}

// "%02d" of each number, joined by `sep`.
std::string joinedDigits(std::initializer_list<int> numbers, char sep)
{
    std::string out;
    for (const int n : numbers) {
        if (!out.empty())
            out += sep;
        out += static_cast<char>('0' + n / 10 % 10);
        out += static_cast<char>('0' + n % 10);
    }
    return out;
}

std::string dateText(const DateTime &t)
{
    return joinedDigits({t.year % 100, t.month, t.day}, '/');
}

// FREQ as the operator types it: the text given when it fits, else the number shortened.
std::string frequencyText(const std::string &freq)
{
    const std::string_view trimmed = sjis::trimBlanks(freq);
    if (trimmed.size() <= maxTextBytes(Field::Frequency))
        return std::string(trimmed);
    if (const auto mhz = frequencyMhz(trimmed))
        return formatDecimal(*mhz);
    return std::string(trimmed);
}

std::string powerText(const std::string &watts)
{
    const std::string_view trimmed = sjis::trimBlanks(watts);
    std::string_view rest = trimmed;
    for (const char c : rest)
        if ((c < '0' || c > '9') && c != '.')
            return std::string(trimmed);
    if (const auto w = powerWatts(trimmed))
        return formatDecimal(*w) + "W";
    return std::string(trimmed);
}

} // namespace

void AdifRecord::add(std::string name, std::string value)
{
    m_fields.push_back({std::move(name), std::move(value)});
}

const std::string *AdifRecord::find(std::string_view name) const
{
    for (const AdifField &f : m_fields)
        if (f.name == name)
            return &f.value;
    return nullptr;
}

std::string_view appFieldName(Field f)
{
    return kAppNames[static_cast<std::size_t>(f)];
}

std::string_view appQslFlagName()
{
    return kAppQslFlag;
}

bool isKnownField(std::string_view upperName)
{
    static const std::unordered_set<std::string_view> known = [] {
        std::unordered_set<std::string_view> names(kKnown.begin(), kKnown.end());
        names.insert(kAppNames.begin(), kAppNames.end());
        names.insert(kAppQslFlag);
        return names;
    }();
    return known.count(upperName) != 0;
}

Conversion toLogRecord(const AdifRecord &adif, const PrefixTable &table)
{
    Conversion out;
    const Slots in(adif);
    FieldTexts texts;
    std::array<bool, kTextFieldCount> fromApp{};
    auto set = [&](Field f, const std::string *value) {
        if (value)
            texts[static_cast<std::size_t>(f)] = *value;
    };
    auto text = [&](Field f) -> std::string & { return texts[static_cast<std::size_t>(f)]; };

    const std::string *call = in[slot("CALL")];
    const CallParts parts = splitRadioCall(call ? std::string_view(*call) : std::string_view());
    text(Field::Callsign) = parts.callsign;
    text(Field::PortableArea) = parts.area;
    text(Field::PortableForm) = parts.form;

    // This program's own texts first: the callsign fields decide the area and so the times.
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        if (const std::string *v = in.app(i)) {
            texts[i] = *v;
            fromApp[i] = true;
        }
    }
    const std::string_view callsign = sjis::trimBlanks(text(Field::Callsign));
    if (callsign.empty() || callsign == kEmptyMark) {
        out.refusal = "コールサインがありません";
        return out;
    }
    if (callsign.size() > maxTextBytes(Field::Callsign)) {
        out.refusal = "コールサインが6文字を超えています";
        return out;
    }
    const std::optional<int> portable = portableAreaOf(text(Field::PortableArea));
    out.area = portable ? *portable : classifyCallArea(callsign, table);
    const int offset = logsInUtc(out.area) ? 0 : kJstOffsetMinutes;

    const std::optional<Date> date = [&]() -> std::optional<Date> {
        const std::string *d = in[slot("QSO_DATE")];
        return d ? parseAdifDate(*d) : std::nullopt;
    }();
    const std::optional<int> start = [&]() -> std::optional<int> {
        const std::string *t = in[slot("TIME_ON")];
        return t ? parseAdifTime(*t) : std::nullopt;
    }();
    if (date && start) {
        const DateTime local =
            dateTimeOf(minutesOf(date->year, date->month, date->day, *start) + offset);
        if (!fromApp[static_cast<std::size_t>(Field::QsoDate)])
            text(Field::QsoDate) = dateText(local);
        if (!fromApp[static_cast<std::size_t>(Field::StartTime)])
            text(Field::StartTime) = joinedDigits({local.hour, local.minute}, ':');
    }
    if (sjis::trimBlanks(text(Field::QsoDate)).empty()) {
        out.refusal = "交信年月日が読めません";
        return out;
    }
    if (sjis::trimBlanks(text(Field::StartTime)).empty()) {
        out.refusal = "開始時刻が読めません";
        return out;
    }
    if (!fromApp[static_cast<std::size_t>(Field::EndTime)]) {
        if (const std::string *t = in[slot("TIME_OFF")]) {
            if (const auto end = parseAdifTime(*t)) {
                const int local = (*end + offset) % 1440;
                text(Field::EndTime) = joinedDigits({local / 60, local % 60}, ':');
            }
        }
    }

    // The worked station's place: the portable pair when the contact was portable.
    const bool wasPortable = portableAreaOf(text(Field::PortableArea)).has_value();
    const Field qthField = wasPortable ? Field::PortableQth : Field::FixedQth;
    const Field jccField = wasPortable ? Field::PortableJcc : Field::FixedJcc;
    auto standard = [&](Field f, const std::string *value) {
        if (!fromApp[static_cast<std::size_t>(f)])
            set(f, value);
    };
    standard(qthField, preferIntl(in, slot("QTH_INTL"), slot("QTH")));
    standard(jccField, in[slot("CNTY")]);
    standard(Field::OpName, preferIntl(in, slot("NAME_INTL"), slot("NAME")));
    standard(Field::HisRst, in[slot("RST_SENT")]);
    standard(Field::MyRst, in[slot("RST_RCVD")]);
    standard(Field::Remarks, preferIntl(in, slot("COMMENT_INTL"), slot("COMMENT")));
    standard(Field::Memo, preferIntl(in, slot("NOTES_INTL"), slot("NOTES")));
    standard(Field::OwnPortableQth, preferIntl(in, slot("MY_CITY_INTL"), slot("MY_CITY")));
    if (!fromApp[static_cast<std::size_t>(Field::Frequency)]) {
        if (const std::string *freq = in[slot("FREQ")]; freq && !freq->empty())
            text(Field::Frequency) = frequencyText(*freq);
        else if (const std::string *band = in[slot("BAND")])
            text(Field::Frequency) = upperAscii(*band);
    }
    if (!fromApp[static_cast<std::size_t>(Field::Mode)]) {
        const std::string *mode = in[slot("MODE")];
        const std::string *submode = in[slot("SUBMODE")];
        if (submode && !submode->empty() && submode->size() <= maxTextBytes(Field::Mode))
            text(Field::Mode) = upperAscii(*submode);
        else if (mode)
            text(Field::Mode) = upperAscii(*mode);
    }
    if (!fromApp[static_cast<std::size_t>(Field::Power)]) {
        if (const std::string *power = in[slot("TX_PWR")])
            text(Field::Power) = powerText(*power);
    }
    text(Field::PortableForm) = fromApp[static_cast<std::size_t>(Field::PortableForm)]
                                    ? text(Field::PortableForm)
                                    : upperAscii(text(Field::PortableForm));

    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        const auto f = static_cast<Field>(i);
        if (sjis::trimBlanks(texts[i]).size() > maxTextBytes(f))
            out.cuts.push_back(f);
    }
    bool pending = false;
    if (const std::string *sent = in[slot("QSL_SENT")])
        pending = upperAscii(sjis::trimBlanks(*sent)) == "Q" ||
                  upperAscii(sjis::trimBlanks(*sent)) == "R";
    out.record = buildRecord(texts, pending, true);
    // An empty text of this program's own is an empty field, not the mark of one.
    for (std::size_t i = 0; i < kTextFieldCount; ++i)
        if (fromApp[i] && sjis::trimBlanks(texts[i]).empty())
            out.record.setField(static_cast<Field>(i), "");
    // The flag byte as written: a number 0..255; anything else leaves the flag from QSL_SENT.
    if (const std::string *flag = in.appQslFlag(); flag && !flag->empty() && flag->size() <= 3) {
        int value = 0;
        for (const char c : *flag)
            value = c >= '0' && c <= '9' && value >= 0 ? value * 10 + (c - '0') : -1;
        if (value >= 0 && value <= 255)
            out.record.bytes[kQslFlagOffset] = static_cast<char>(value);
    }
    return out;
}

} // namespace vz::log::adif
