// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/adif_record.h"

#include "common/sjis.h"
#include "log/adif_fields.h"
#include "log/call_area.h"
#include "log/entry_assist.h"

#include <array>
#include <cstdio>

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

const std::string *preferIntl(const AdifRecord &adif, std::string_view intl, std::string_view plain)
{
    if (const std::string *v = adif.find(intl); v && !v->empty())
        return v;
    return adif.find(plain);
}

std::string twoDigits(int a, int b, char sep)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d%c%02d", a, sep, b);
    return text;
}

std::string dateText(const DateTime &t)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d", t.year % 100, t.month, t.day);
    return text;
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
    for (const std::string_view k : kKnown)
        if (k == upperName)
            return true;
    if (upperName == kAppQslFlag)
        return true;
    for (const std::string_view k : kAppNames)
        if (k == upperName)
            return true;
    return false;
}

Conversion toLogRecord(const AdifRecord &adif, const PrefixTable &table)
{
    Conversion out;
    FieldTexts texts;
    std::array<bool, kTextFieldCount> fromApp{};
    auto set = [&](Field f, const std::string *value) {
        if (value)
            texts[static_cast<std::size_t>(f)] = *value;
    };
    auto text = [&](Field f) -> std::string & { return texts[static_cast<std::size_t>(f)]; };

    const std::string *call = adif.find("CALL");
    const CallParts parts = splitRadioCall(call ? std::string_view(*call) : std::string_view());
    text(Field::Callsign) = parts.callsign;
    text(Field::PortableArea) = parts.area;
    text(Field::PortableForm) = parts.form;

    // This program's own texts first: the callsign fields decide the area and so the times.
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        if (const std::string *v = adif.find(kAppNames[i])) {
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
        const std::string *d = adif.find("QSO_DATE");
        return d ? parseAdifDate(*d) : std::nullopt;
    }();
    const std::optional<int> start = [&]() -> std::optional<int> {
        const std::string *t = adif.find("TIME_ON");
        return t ? parseAdifTime(*t) : std::nullopt;
    }();
    if (date && start) {
        const DateTime local =
            dateTimeOf(minutesOf(date->year, date->month, date->day, *start) + offset);
        if (!fromApp[static_cast<std::size_t>(Field::QsoDate)])
            text(Field::QsoDate) = dateText(local);
        if (!fromApp[static_cast<std::size_t>(Field::StartTime)])
            text(Field::StartTime) = twoDigits(local.hour, local.minute, ':');
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
        if (const std::string *t = adif.find("TIME_OFF")) {
            if (const auto end = parseAdifTime(*t)) {
                const int local = (*end + offset) % 1440;
                text(Field::EndTime) = twoDigits(local / 60, local % 60, ':');
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
    standard(qthField, preferIntl(adif, "QTH_INTL", "QTH"));
    standard(jccField, adif.find("CNTY"));
    standard(Field::OpName, preferIntl(adif, "NAME_INTL", "NAME"));
    standard(Field::HisRst, adif.find("RST_SENT"));
    standard(Field::MyRst, adif.find("RST_RCVD"));
    standard(Field::Remarks, preferIntl(adif, "COMMENT_INTL", "COMMENT"));
    standard(Field::Memo, preferIntl(adif, "NOTES_INTL", "NOTES"));
    standard(Field::OwnPortableQth, preferIntl(adif, "MY_CITY_INTL", "MY_CITY"));
    if (!fromApp[static_cast<std::size_t>(Field::Frequency)]) {
        if (const std::string *freq = adif.find("FREQ"); freq && !freq->empty())
            text(Field::Frequency) = frequencyText(*freq);
        else if (const std::string *band = adif.find("BAND"))
            text(Field::Frequency) = upperAscii(*band);
    }
    if (!fromApp[static_cast<std::size_t>(Field::Mode)]) {
        const std::string *mode = adif.find("MODE");
        const std::string *submode = adif.find("SUBMODE");
        if (submode && !submode->empty() && submode->size() <= maxTextBytes(Field::Mode))
            text(Field::Mode) = upperAscii(*submode);
        else if (mode)
            text(Field::Mode) = upperAscii(*mode);
    }
    if (!fromApp[static_cast<std::size_t>(Field::Power)]) {
        if (const std::string *power = adif.find("TX_PWR"))
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
    if (const std::string *sent = adif.find("QSL_SENT"))
        pending = upperAscii(sjis::trimBlanks(*sent)) == "Q" ||
                  upperAscii(sjis::trimBlanks(*sent)) == "R";
    out.record = buildRecord(texts, pending, true);
    // An empty text of this program's own is an empty field, not the mark of one.
    for (std::size_t i = 0; i < kTextFieldCount; ++i)
        if (fromApp[i] && sjis::trimBlanks(texts[i]).empty())
            out.record.setField(static_cast<Field>(i), {});
    if (const std::string *flag = adif.find(kAppQslFlag)) {
        int value = 0;
        for (const char c : *flag)
            value = c >= '0' && c <= '9' ? value * 10 + (c - '0') : value;
        out.record.bytes[kQslFlagOffset] = static_cast<char>(value & 0xFF);
    }
    return out;
}

} // namespace vz::log::adif
