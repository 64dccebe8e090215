// SPDX-License-Identifier: GPL-3.0-or-later
#include "adif/adif_export.h"

#include "adif/adif_fields.h"
#include "adif/typed_memo.h"
#include "common/data_dir.h"
#include "common/file_io.h"
#include "common/progress.h"
#include "common/sjis.h"
#include "log/call_area.h"
#include "log/confirmation_mark.h"
#include "log/entry_assist.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <system_error>
#include <thread>
#include <unistd.h>

#include <strings.h>
#include <sys/stat.h>

namespace vz::adif {

namespace {

// The standard fields that have an _INTL twin for text beyond ASCII.
bool hasIntlTwin(std::string_view name)
{
    return name == "NAME" || name == "QTH" || name == "COMMENT" || name == "NOTES" ||
           name == "MY_CITY";
}

bool isAppField(std::string_view name)
{
    return name.substr(0, kAppPrefix.size()) == kAppPrefix;
}

// Whether the file can carry this text in this field at all.
bool writable(const ExportOptions &options, FieldCode code, std::string_view value)
{
    if (options.format == Format::Adi && options.charset != Charset::Ascii)
        return true; // every text as it is, or in UTF-8
    if (isAscii(value))
        return true;
    if (options.format == Format::Adx) {
        const std::string_view name = knownFieldName(code);
        return hasIntlTwin(name) || isAppField(name);
    }
    return options.charset != Charset::Ascii;
}

void appendNumber(std::string &out, std::size_t value)
{
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out.append(text, static_cast<std::size_t>(end - text));
}

// "00" to "99", two digits at a time.
constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> a{};
    for (int i = 0; i < 100; ++i) {
        a[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        a[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return a;
}();

// Writes a field's length at `at`, returning the end: most are one or two digits.
char *putLength(char *at, std::size_t length)
{
    if (length < 10) {
        *at = static_cast<char>('0' + length);
        return at + 1;
    }
    if (length < 100) {
        at[0] = kDigitPairs[2 * length];
        at[1] = kDigitPairs[2 * length + 1];
        return at + 2;
    }
    return std::to_chars(at, at + 20, length).ptr;
}

// Writes "YYYYMMDDHHMM" to `text`: the date and the time side by side.
void putAdifDateTime(const DateTime &t, std::array<char, 12> &text)
{
    const auto pair = [&text](std::size_t at, int value) {
        const char *digits = kDigitPairs.data() + 2 * value;
        text[at] = digits[0];
        text[at + 1] = digits[1];
    };
    if (t.year >= 0 && t.year <= 9999) {
        pair(0, t.year / 100);
        pair(2, t.year % 100);
    } else {
        // The last four digits, as no reader takes such a year anyway.
        int year = t.year;
        for (std::size_t i = 4; i-- > 0;) {
            text[i] = static_cast<char>('0' + year % 10);
            year /= 10;
        }
    }
    pair(4, t.month);
    pair(6, t.day);
    pair(8, t.hour);
    pair(10, t.minute);
}

std::string_view datePart(const std::array<char, 12> &text)
{
    return {text.data(), 8};
}

std::string_view timePart(const std::array<char, 12> &text)
{
    return {text.data() + 8, 4};
}

double decimalValue(std::string_view text)
{
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// A log text worth writing: neither empty nor the empty mark.
std::optional<std::string_view> present(std::string_view v)
{
    if (v.empty() || v == kEmptyMark)
        return std::nullopt;
    return v;
}

bool isPlainDecimal(std::string_view text)
{
    bool digit = false;
    bool dot = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c == '.' && !dot)
            dot = true;
        else
            return false;
    }
    return digit && text.front() != '.' && text.back() != '.';
}

// The prefecture of a JCC/JCG code: its first two digits, 01 to 47.
std::optional<std::string_view> prefectureOf(std::string_view jcc)
{
    if (jcc.size() < 2 || jcc[0] < '0' || jcc[0] > '9' || jcc[1] < '0' || jcc[1] > '9')
        return std::nullopt;
    const int n = (jcc[0] - '0') * 10 + (jcc[1] - '0');
    if (n < 1 || n > 47)
        return std::nullopt;
    return jcc.substr(0, 2);
}

// Capitals and digits only, within the callsign field.
bool isPlainCallsign(std::string_view call)
{
    if (call.empty() || call.size() > maxTextBytes(Field::Callsign))
        return false;
    for (const char c : call)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    return true;
}

// What the log stores for a text read back into field `f`: trimmed, cut to the field, the empty
// mark for nothing.
std::string_view storedText(Field f, std::string_view text)
{
    const std::string_view t = sjis::trimBlanks(text);
    return sjis::cutToWidth(t.empty() ? kEmptyMark : t, maxTextBytes(f));
}

// Whether the text a standard field gives back (`given`, empty for nothing) is stored as the
// record's own text `own`. Most fields give the record's text itself, or the same text, which
// comes back when the log would store it unchanged: that is settled without trimming and
// cutting a copy.
bool comesBackAs(Field f, std::string_view given, std::string_view own)
{
    if (given.empty())
        return own == kEmptyMark;
    if (given == own)
        return own.size() <= maxTextBytes(f) && !sjis::isBlank(own.front()) &&
               !sjis::isBlank(own.back()) &&
               (isAscii(own) || sjis::cutToWidth(own, own.size()).size() == own.size());
    return storedText(f, given) == own;
}

// FREQ and BAND for a typed frequency, and what FREQ reads back as.
struct FrequencyTexts
{
    std::optional<std::string> freq; // none when the text holds no frequency
    std::optional<std::string_view> band;
    std::string back;
};

FrequencyTexts frequencyTexts(std::string_view typed)
{
    FrequencyTexts t;
    // A band's name gives the band alone: a band-only contact, no frequency made up for it.
    if (const auto named = namedBand(typed)) {
        t.band = named;
        t.back = bandAsTyped(*named).value_or("");
        return t;
    }
    const std::optional<double> mhz = frequencyMhz(typed);
    if (!mhz || !bandOf(*mhz))
        return t;
    // A plain number in MHz is written as typed ("7.050"), so it reads back the same.
    t.freq = isPlainDecimal(typed) && decimalValue(typed) == *mhz ? std::string(typed)
                                                                  : formatDecimal(*mhz);
    t.band = bandOf(decimalValue(*t.freq));
    t.back = frequencyAsTyped(*t.freq);
    return t;
}

// MODE and SUBMODE for a typed mode, and what each reads back as.
struct ModeTexts
{
    std::optional<ModePair> pair; // none when ADIF has no mode for the text
    std::string modeBack;
    std::string submodeBack;
};

ModeTexts modeTexts(std::string_view typed)
{
    ModeTexts t;
    t.pair = modeOf(typed);
    if (t.pair) {
        t.modeBack = upperShiftJis(t.pair->mode);
        t.submodeBack = upperShiftJis(t.pair->submode);
    }
    return t;
}

// TX_PWR for a typed power, and what it reads back as.
struct PowerTexts
{
    std::optional<std::string> power; // none when no number leads the text
    std::string back;
};

PowerTexts powerTexts(std::string_view typed)
{
    PowerTexts t;
    if (const std::optional<double> watts = powerWatts(typed)) {
        t.power = formatDecimal(*watts);
        t.back = powerAsTyped(*t.power);
    }
    return t;
}

class Output
{
public:
    Output(const ExportOptions &options) : m_options(options) {}

    void header()
    {
        if (m_options.format == Format::Adx) {
            m_text += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ADX>\n<HEADER>\n";
        } else {
            m_text += "ADIF export of VEZODovi";
            if (m_options.charset != Charset::Ascii) {
                m_text += ", texts in ";
                m_text += charsetName(m_options.charset);
                m_text += " with lengths in bytes";
            }
            m_text += "\n";
        }
        headerField("ADIF_VER", kAdifVersion);
        headerField("PROGRAMID", kProgramId);
        headerField("PROGRAMVERSION", m_options.programVersion);
        headerField("CREATED_TIMESTAMP", m_options.createdTimestamp);
        m_text += m_options.format == Format::Adx ? "</HEADER>\n<RECORDS>\n" : "<EOH>\n\n";
    }

    void record(const AdifRecord &fields)
    {
        if (m_options.format == Format::Adx) {
            m_text += "<RECORD>\n";
            for (std::size_t i = 0; i < fields.size(); ++i)
                adxField(fields.name(i), fields.value(i));
            m_text += "</RECORD>\n";
        } else if (m_options.charset == Charset::Utf8) {
            for (std::size_t i = 0; i < fields.size(); ++i) {
                if (i > 0)
                    m_text += ' ';
                adiField(fields.name(i), fields.value(i));
            }
            m_text += " <EOR>\n";
        } else {
            adiRecord(fields);
        }
    }

    void footer()
    {
        if (m_options.format == Format::Adx)
            m_text += "</RECORDS>\n</ADX>\n";
    }

    std::string &text() { return m_text; }

private:
    void headerField(std::string_view name, std::string_view value)
    {
        if (m_options.format == Format::Adx) {
            m_text += '<';
            m_text += name;
            m_text += '>';
            m_text += value;
            m_text += "</";
            m_text += name;
            m_text += ">\n";
        } else {
            adiField(name, value);
            m_text += '\n';
        }
    }

    void adiField(std::string_view name, std::string_view value)
    {
        const bool convert = m_options.charset == Charset::Utf8 && !isAscii(value);
        const std::string utf8 = convert ? sjis::toUtf8(value) : std::string();
        const std::string_view bytes = convert ? std::string_view(utf8) : value;
        // The tag is put together aside and appended whole: two appends a field, not six.
        char tag[96];
        if (name.size() + 24 > sizeof tag) {
            m_text += '<';
            m_text += name;
            m_text += ':';
            appendNumber(m_text, bytes.size());
            m_text += '>';
        } else {
            char *p = tag;
            *p++ = '<';
            p = std::copy(name.begin(), name.end(), p);
            *p++ = ':';
            p = std::to_chars(p, tag + sizeof tag, bytes.size()).ptr;
            *p++ = '>';
            m_text.append(tag, static_cast<std::size_t>(p - tag));
        }
        m_text += bytes;
    }

    // A record whose values are written as they are: room for all of it is made once, then
    // the fields are copied in.
    void adiRecord(const AdifRecord &fields)
    {
        constexpr std::string_view kEnd = " <EOR>\n";
        constexpr std::size_t kTagRoom = 24; // "<", ":", up to 20 digits, ">", " "
        std::size_t room = kEnd.size();
        for (std::size_t i = 0; i < fields.size(); ++i)
            room += fields.name(i).size() + fields.value(i).size() + kTagRoom;
        const std::size_t start = m_text.size();
        m_text.resize(start + room);
        char *p = m_text.data() + start;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const std::string_view name = fields.name(i);
            const std::string_view value = fields.value(i);
            if (i > 0)
                *p++ = ' ';
            *p++ = '<';
            p = std::copy(name.begin(), name.end(), p);
            *p++ = ':';
            p = putLength(p, value.size());
            *p++ = '>';
            p = std::copy(value.begin(), value.end(), p);
        }
        p = std::copy(kEnd.begin(), kEnd.end(), p);
        m_text.resize(static_cast<std::size_t>(p - m_text.data()));
    }

    void adxField(std::string_view name, std::string_view value)
    {
        const bool ascii = isAscii(value);
        const std::string utf8 = ascii ? std::string() : sjis::toUtf8(value);
        if (isAppField(name)) {
            m_text += "<APP PROGRAMID=\"";
            m_text += kProgramId;
            m_text += "\" FIELDNAME=\"";
            m_text += name.substr(kAppPrefix.size());
            m_text += ascii ? "\" TYPE=\"S\">" : "\" TYPE=\"I\">";
            escaped(ascii ? value : utf8);
            m_text += "</APP>\n";
            return;
        }
        m_text += '<';
        m_text += name;
        if (!ascii)
            m_text += "_INTL";
        m_text += '>';
        escaped(ascii ? value : utf8);
        m_text += "</";
        m_text += name;
        if (!ascii)
            m_text += "_INTL";
        m_text += ">\n";
    }

    void escaped(std::string_view value)
    {
        // Runs of plain characters are appended whole: most values have nothing to escape.
        static constexpr std::array<bool, 256> kPlain = [] {
            std::array<bool, 256> plain{};
            for (std::size_t c = 0x20; c < 256; ++c)
                plain[c] = c != '&' && c != '<' && c != '>' && c != '"';
            return plain;
        }();
        std::size_t run = 0;
        for (std::size_t i = 0; i < value.size(); ++i) {
            const char c = value[i];
            if (kPlain[static_cast<unsigned char>(c)])
                continue;
            m_text.append(value.substr(run, i - run));
            run = i + 1;
            switch (c) {
            case '&':
                m_text += "&amp;";
                break;
            case '<':
                m_text += "&lt;";
                break;
            case '>':
                m_text += "&gt;";
                break;
            case '"':
                m_text += "&quot;";
                break;
            default:
                // Kept as references so that a reader gives back exactly these bytes.
                m_text += "&#";
                appendNumber(m_text, static_cast<unsigned char>(c));
                m_text += ';';
            }
        }
        m_text.append(value.substr(run));
    }

    const ExportOptions &m_options;
    std::string m_text;
};

} // namespace

std::optional<Charset> charsetNamed(std::string_view name)
{
    const std::string upper = upperAscii(name);
    if (upper == "ASCII")
        return Charset::Ascii;
    if (upper == "UTF-8" || upper == "UTF8")
        return Charset::Utf8;
    if (upper == "SHIFT_JIS" || upper == "SHIFT-JIS" || upper == "SJIS" || upper == "CP932")
        return Charset::ShiftJis;
    return std::nullopt;
}

std::string_view charsetName(Charset charset)
{
    switch (charset) {
    case Charset::Utf8:
        return "utf-8";
    case Charset::ShiftJis:
        return "shift_jis";
    case Charset::Windows1252:
        return "windows-1252";
    case Charset::Ascii:
        break;
    }
    return "ascii";
}

Format formatForPath(std::string_view path)
{
    return path.size() >= 4 && upperAscii(path.substr(path.size() - 4)) == ".ADX" ? Format::Adx
                                                                                  : Format::Adi;
}

void fieldsOfRecord(const QsoRecord &record, const PrefixTable &table, const ExportOptions &options,
                    RecordFields &out)
{
    // The record's texts, each found once: most are looked at more than once.
    std::array<std::string_view, kTextFieldCount> texts;
    for (std::size_t i = 0; i < kTextFieldCount; ++i)
        texts[i] = record.field(static_cast<Field>(i));
    const auto text = [&texts](Field f) { return texts[static_cast<std::size_t>(f)]; };
    AdifRecord &fields = out.fields;
    fields.clear();
    out.unreadable.reset();
    out.leftOut = 0;
    out.noBand = out.noMode = false;
    // Values are borrowed: the record's texts, texts kept in `out`, this thread's conversions
    // and constants all outlive the writing of this record.
    auto add = [&](FieldCode code, std::string_view value) {
        if (writable(options, code, value)) {
            fields.addKnownBorrowed(code, value);
            return true;
        }
        ++out.leftOut;
        return false;
    };
    // What reading each standard field back gives the log (empty: nothing, so the empty mark),
    // noted as the fields are written; see below.
    std::array<std::string_view, kTextFieldCount> back{};
    auto give = [&](Field f, FieldCode code, std::string_view value) {
        if (add(code, value))
            back[static_cast<std::size_t>(f)] = value;
    };

    const std::optional<Date> date = parseLogDate(text(Field::QsoDate), options.currentYear);
    const std::optional<int> start = parseLogTime(text(Field::StartTime));
    if (!date) {
        out.unreadable = "交信年月日が読めません";
        return;
    }
    if (date->year < kFirstYear || date->year > kLastYear) {
        out.unreadable = "交信年月日が " + std::to_string(kFirstYear) + "〜" +
                         std::to_string(kLastYear) + " 年の範囲外です";
        return;
    }
    if (!start) {
        out.unreadable = "開始時刻が読めません";
        return;
    }
    const std::string_view callsign = text(Field::Callsign);
    const std::optional<int> portable = portableAreaOf(text(Field::PortableArea));
    const int area = portable ? *portable : classifyCallArea(callsign, table);
    const int offset = logsInUtc(area) ? 0 : kJstOffsetMinutes;

    out.radioCall = adifCallOf(callsign, text(Field::PortableArea), text(Field::PortableForm));
    const std::string &radioCall = out.radioCall;
    const bool callWritten = add(fieldCode("CALL"), radioCall);
    const std::int64_t startLocal = minutesOf(date->year, date->month, date->day, *start);
    const DateTime on = dateTimeOf(startLocal - offset);
    putAdifDateTime(on, out.onText);
    add(fieldCode("QSO_DATE"), datePart(out.onText));
    add(fieldCode("TIME_ON"), timePart(out.onText));
    const JoinedDigits dateBack({date->year % 100, date->month, date->day}, '/');
    const JoinedDigits startBack({*start / 60, *start % 60}, ':');
    back[static_cast<std::size_t>(Field::QsoDate)] = dateBack.view();
    back[static_cast<std::size_t>(Field::StartTime)] = startBack.view();
    std::optional<JoinedDigits> endBack;
    if (const auto end = parseLogTime(text(Field::EndTime))) {
        // An end before the start is past midnight.
        const std::int64_t endLocal =
            minutesOf(date->year, date->month, date->day, *end) + (*end < *start ? 1440 : 0);
        const DateTime off = dateTimeOf(endLocal - offset);
        putAdifDateTime(off, out.offText);
        if (off.day != on.day || off.month != on.month || off.year != on.year)
            add(fieldCode("QSO_DATE_OFF"), datePart(out.offText));
        add(fieldCode("TIME_OFF"), timePart(out.offText));
        back[static_cast<std::size_t>(Field::EndTime)] =
            endBack.emplace({*end / 60, *end % 60}, ':').view();
    }
    // Each thread keeps the typed texts it converted last: they repeat from contact to contact.
    thread_local TypedMemo<FrequencyTexts> frequencies;
    thread_local TypedMemo<ModeTexts> modes;
    thread_local TypedMemo<PowerTexts> powers;
    if (const auto typed = present(text(Field::Frequency))) {
        const FrequencyTexts &f = frequencies.of(*typed, frequencyTexts);
        if (f.freq) {
            if (add(fieldCode("FREQ"), *f.freq))
                back[static_cast<std::size_t>(Field::Frequency)] = f.back;
            if (f.band)
                add(fieldCode("BAND"), *f.band);
        } else if (f.band) {
            if (add(fieldCode("BAND"), *f.band))
                back[static_cast<std::size_t>(Field::Frequency)] = f.back;
        } else {
            out.noBand = true;
        }
    }
    if (const auto mode = present(text(Field::Mode))) {
        const ModeTexts &m = modes.of(*mode, modeTexts);
        if (m.pair) {
            const bool modeWritten = add(fieldCode("MODE"), m.pair->mode);
            const bool bySubmode = !m.pair->submode.empty() &&
                                   add(fieldCode("SUBMODE"), m.pair->submode) &&
                                   m.pair->submode.size() <= maxTextBytes(Field::Mode);
            if (bySubmode || modeWritten)
                back[static_cast<std::size_t>(Field::Mode)] =
                    bySubmode ? m.submodeBack : m.modeBack;
        } else {
            out.noMode = true;
        }
    }
    if (const auto v = present(text(Field::HisRst)))
        give(Field::HisRst, fieldCode("RST_SENT"), *v);
    if (const auto v = present(text(Field::MyRst)))
        give(Field::MyRst, fieldCode("RST_RCVD"), *v);
    if (const auto typed = present(text(Field::Power))) {
        const PowerTexts &p = powers.of(*typed, powerTexts);
        if (p.power && add(fieldCode("TX_PWR"), *p.power))
            back[static_cast<std::size_t>(Field::Power)] = p.back;
    }
    if (const auto v = present(text(Field::OpName)))
        give(Field::OpName, fieldCode("NAME"), *v);
    const bool wasPortable = portable.has_value();
    const Field qthField = wasPortable ? Field::PortableQth : Field::FixedQth;
    const Field jccField = wasPortable ? Field::PortableJcc : Field::FixedJcc;
    if (const auto v = present(text(qthField)))
        give(qthField, fieldCode("QTH"), *v);
    if (const auto v = present(text(jccField))) {
        give(jccField, fieldCode("CNTY"), *v);
        if (const auto state = prefectureOf(*v))
            add(fieldCode("STATE"), *state);
    }
    if (const auto v = present(text(Field::Remarks)))
        give(Field::Remarks, fieldCode("COMMENT"), *v);
    if (const auto v = present(text(Field::Memo)))
        give(Field::Memo, fieldCode("NOTES"), *v);
    if (record.qslPending()) {
        add(fieldCode("QSL_SENT"), "Q");
        add(fieldCode("QSL_SENT_VIA"), "B");
    }
    // The card has arrived. Only the importer reads it back (into the user mark, which this
    // program's own field carries as well), so it takes no part in the comparison below.
    if (holdsConfirmationMark(text(Field::UserMark), options.confirmationMark))
        add(fieldCode("QSL_RCVD"), "Y");
    if (holdsConfirmationMark(text(Field::UserMark), options.lotwMark))
        add(fieldCode("LOTW_QSL_RCVD"), "Y");
    if (holdsConfirmationMark(text(Field::UserMark), options.eqslMark))
        add(fieldCode("EQSL_QSL_RCVD"), "Y");
    if (!options.stationCallsign.empty())
        add(fieldCode("STATION_CALLSIGN"), options.stationCallsign);
    if (!options.ownJcc.empty()) {
        add(fieldCode("MY_CNTY"), options.ownJcc);
        if (const auto state = prefectureOf(options.ownJcc))
            add(fieldCode("MY_STATE"), *state);
    }
    if (const auto v = present(text(Field::OwnPortableQth)))
        give(Field::OwnPortableQth, fieldCode("MY_CITY"), *v);

    // Whatever the standard fields do not give back goes into this program's own fields.
    // When the callsign fields come back as they are (and the UTC date is one ADIF can carry),
    // the area, the times and the place pair read back as written, and what every other field
    // gives back was noted above, to be stored as toLogRecord stores it; only the other
    // records are converted back and compared.
    const auto callComesBack = [&] {
        // Capitals and digits without portable designators are the radio callsign as it
        // stands, and read back so: the usual case, settled without splitting it again.
        if (text(Field::PortableArea) == kEmptyMark && text(Field::PortableForm) == kEmptyMark &&
            isPlainCallsign(callsign))
            return true;
        const AdifCall split = splitAdifCall(radioCall, table);
        if (split.refusal)
            return false;
        const CallParts &parts = split.parts;
        const std::string_view splitCall = sjis::trimBlanks(parts.callsign);
        return !splitCall.empty() && splitCall != kEmptyMark &&
               splitCall.size() <= maxTextBytes(Field::Callsign) &&
               storedText(Field::Callsign, parts.callsign) == callsign &&
               storedText(Field::PortableArea, parts.area) == text(Field::PortableArea) &&
               storedText(Field::PortableForm, parts.form) == text(Field::PortableForm);
    };
    // The years a QSO_DATE can hold, as reading it back checks.
    const bool dateReadsBack = on.year >= 1900 && on.year <= 9999;
    const bool identityComesBack = callWritten && dateReadsBack && callComesBack();
    const auto addQslFlag = [&] {
        out.qslFlag = std::to_string(record.qslFlag());
        add(fieldCode(kAppQslFlagName), out.qslFlag);
    };
    if (identityComesBack && !options.convertEveryRecordBack) {
        for (std::size_t i = 3; i < kTextFieldCount; ++i) {
            const auto f = static_cast<Field>(i);
            if (!comesBackAs(f, back[i], text(f)))
                add(appFieldCode(f), text(f));
        }
        if (record.qslFlag() != (record.qslPending() ? 1 : 0))
            addQslFlag();
        return;
    }
    // The callsign fields decide the area and so the times: a second look settles those.
    std::array<bool, kTextFieldCount + 1> tried{};
    for (int pass = 0; pass < 3; ++pass) {
        const Conversion back = toLogRecord(fields, table);
        // Most records come back whole; only the others are compared text by text.
        if (!back.refusal && back.record.bytes == record.bytes)
            break;
        bool added = false;
        for (std::size_t i = 0; i < kTextFieldCount; ++i) {
            const auto f = static_cast<Field>(i);
            if (back.record.field(f) == text(f) || tried[i])
                continue;
            add(appFieldCode(f), text(f));
            tried[i] = added = true;
        }
        if (back.record.qslFlag() != record.qslFlag() && !tried[kTextFieldCount]) {
            addQslFlag();
            tried[kTextFieldCount] = added = true;
        }
        if (!added) {
            if (back.refusal)
                out.unreadable = *back.refusal;
            break;
        }
        // Only the callsign fields change what other fields convert to (area, times, which
        // place pair): without a new one of those the comparison above is final.
        const bool identityAdded = tried[static_cast<std::size_t>(Field::Callsign)] ||
                                   tried[static_cast<std::size_t>(Field::PortableArea)] ||
                                   tried[static_cast<std::size_t>(Field::PortableForm)];
        if (!back.refusal && (!identityAdded || pass > 0))
            break;
    }
}

namespace {

// Converts records [begin, end) of a chunk, whose first record has number `firstNumber`,
// into `out`, noting in `summary` what it finds.
void exportRecords(const QsoRecord *begin, const QsoRecord *end, std::int32_t firstNumber,
                   const PrefixTable &table, const ExportOptions &options, Output &out,
                   ExportSummary &summary)
{
    RecordFields fields;
    std::int32_t number = firstNumber;
    for (const QsoRecord *record = begin; record != end; ++record, ++number) {
        if (number < options.from || number > options.to)
            continue;
        if (options.onlyRecords && !options.onlyRecords(number))
            continue;
        if (record->isDeleted()) {
            ++summary.deleted;
            continue;
        }
        fieldsOfRecord(*record, table, options, fields);
        if (fields.unreadable) {
            summary.unreadable.emplace_back(number, *fields.unreadable);
            continue;
        }
        if (fields.leftOut > 0) {
            summary.textsLeftOut += fields.leftOut;
            summary.leftOutRecords.push_back(number);
        }
        if (fields.noBand)
            summary.noBand.emplace_back(number, std::string(record->field(Field::Frequency)));
        if (fields.noMode)
            summary.noMode.emplace_back(number, std::string(record->field(Field::Mode)));
        out.record(fields.fields);
        ++summary.exported;
    }
}

// Adds what a later part of the log found to the summary of the earlier ones.
void addLater(ExportSummary &summary, ExportSummary &later)
{
    summary.exported += later.exported;
    summary.deleted += later.deleted;
    summary.textsLeftOut += later.textsLeftOut;
    summary.unreadable.insert(summary.unreadable.end(), later.unreadable.begin(),
                              later.unreadable.end());
    summary.leftOutRecords.insert(summary.leftOutRecords.end(), later.leftOutRecords.begin(),
                                  later.leftOutRecords.end());
    summary.noBand.insert(summary.noBand.end(), later.noBand.begin(), later.noBand.end());
    summary.noMode.insert(summary.noMode.end(), later.noMode.begin(), later.noMode.end());
    later = ExportSummary();
}

} // namespace

namespace {

// `path` with every link and "." or ".." resolved, as far as it exists; the rest as given.
std::string resolvedPath(const std::string &path)
{
    if (char *whole = ::realpath(path.c_str(), nullptr)) {
        std::string resolved(whole);
        std::free(whole);
        return resolved;
    }
    // Not there yet: its folder resolved, then its name.
    const std::string target = files::writeTarget(path);
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    char *dir = ::realpath(folder.empty() ? "/" : folder.c_str(), nullptr);
    if (!dir)
        return target;
    std::string resolved(dir);
    std::free(dir);
    return resolved + (resolved.ends_with('/') ? "" : "/") + name;
}

bool sameNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

} // namespace

ExportResult checkExportOutput(const std::string &logPath, const std::string &outPath)
{
    struct stat st
    {
    };
    if (::stat(outPath.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return ExportResult::OutputNotRegular;
    const auto slash = logPath.rfind('/');
    std::string dataFolder =
        resolvedPath(slash == std::string::npos ? "." : logPath.substr(0, slash + 1));
    if (!dataFolder.ends_with('/'))
        dataFolder += '/';
    const std::string out = resolvedPath(outPath);
    // Names in the data folder are found without letter case, and so is the folder here.
    if (out.size() >= dataFolder.size() &&
        sameNoCase(std::string_view(out).substr(0, dataFolder.size()), dataFolder))
        return ExportResult::OutputInDataFolder;
    return ExportResult::Ok;
}

ExportSummary exportAdif(const std::string &logPath, const std::string &outPath,
                         const PrefixTable &table, const ExportOptions &options,
                         ProgressSink &progress)
{
    ExportSummary summary;
    const int inFd = files::openRegularForReading(logPath);
    std::FILE *in = inFd < 0 ? nullptr : ::fdopen(inFd, "rb");
    if (!in && inFd >= 0)
        ::close(inFd);
    if (!in) {
        summary.result = ExportResult::LogUnreadable;
        return summary;
    }
    files::AtomicFileWriter writer(outPath);
    if (!writer.isOpen()) {
        std::fclose(in);
        summary.result = ExportResult::WriteFailed;
        return summary;
    }
    const std::int64_t total = static_cast<std::int64_t>(files::size(logPath).value_or(0)) /
                               static_cast<std::int64_t>(kRecordSize);
    progress.begin(total);
    Output out(options);
    out.header();
    // Each chunk is converted in two halves at once when the machine has a second core; the
    // halves are written in order.
    const bool twoAtOnce = std::thread::hardware_concurrency() > 1;
    Output secondOut(options);
    ExportSummary secondSummary;
    constexpr std::size_t kChunk = 8192;
    std::vector<QsoRecord> chunk(kChunk);
    std::int32_t number = 0;
    bool ok = true;
    for (;;) {
        const std::size_t got = std::fread(chunk.data(), kRecordSize, kChunk, in);
        const std::size_t half = twoAtOnce ? got / 2 : got;
        const QsoRecord *first = chunk.data();
        const auto secondHalf = [&] {
            exportRecords(first + half, first + got, number + 1 + static_cast<std::int32_t>(half),
                          table, options, secondOut, secondSummary);
        };
        std::thread second;
        try {
            if (half < got)
                second = std::thread(secondHalf);
        } catch (const std::system_error &) {
            // No thread to be had: the second half is converted after the first.
        }
        exportRecords(first, first + half, number + 1, table, options, out, summary);
        if (second.joinable())
            second.join();
        else if (half < got)
            secondHalf();
        number += static_cast<std::int32_t>(got);
        ok = ok && writer.write(out.text());
        out.text().clear();
        ok = ok && writer.write(secondOut.text());
        secondOut.text().clear();
        addLater(summary, secondSummary);
        progress.advance(number);
        if (got < kChunk || number >= options.to)
            break;
    }
    const bool readFailed = std::ferror(in) != 0;
    std::fclose(in);
    out.footer();
    ok = ok && writer.write(out.text());
    progress.end();
    if (readFailed) {
        summary.result = ExportResult::LogUnreadable;
        return summary;
    }
    if (!ok || !writer.commit())
        summary.result = ExportResult::WriteFailed;
    return summary;
}

} // namespace vz::adif
