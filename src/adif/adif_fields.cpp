// SPDX-License-Identifier: GPL-3.0-or-later
#include "adif/adif_fields.h"

#include "common/sjis.h"
#include "log/call_area.h"
#include "log/qso_record.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace vz::adif {

using log::Field;
using log::maxTextBytes;

namespace {

struct Band
{
    std::string_view name;
    double lower;
    double upper;
};

// ADIF's band enumeration, MHz, edges included.
constexpr std::array<Band, 33> kBands{{
    {"2190m", 0.1357, 0.1378},   {"630m", 0.472, 0.479},      {"560m", 0.501, 0.504},
    {"160m", 1.8, 2.0},          {"80m", 3.5, 4.0},           {"60m", 5.06, 5.45},
    {"40m", 7.0, 7.3},           {"30m", 10.1, 10.15},        {"20m", 14.0, 14.35},
    {"17m", 18.068, 18.168},     {"15m", 21.0, 21.45},        {"12m", 24.89, 24.99},
    {"10m", 28.0, 29.7},         {"8m", 40.0, 45.0},          {"6m", 50.0, 54.0},
    {"5m", 54.000001, 69.9},     {"4m", 70.0, 71.0},          {"2m", 144.0, 148.0},
    {"1.25m", 222.0, 225.0},     {"70cm", 420.0, 450.0},      {"33cm", 902.0, 928.0},
    {"23cm", 1240.0, 1300.0},    {"13cm", 2300.0, 2450.0},    {"9cm", 3300.0, 3500.0},
    {"6cm", 5650.0, 5925.0},     {"3cm", 10000.0, 10500.0},   {"1.25cm", 24000.0, 24250.0},
    {"6mm", 47000.0, 47200.0},   {"4mm", 75500.0, 81000.0},   {"2.5mm", 119980.0, 123000.0},
    {"2mm", 134000.0, 149000.0}, {"1mm", 241000.0, 250000.0}, {"submm", 300000.0, 7500000.0},
}};

// The band names Japanese operators type, with the ADIF band each names. The first name of a
// band is the one a band-only contact is stored under.
struct JapaneseBand
{
    std::string_view name;
    std::string_view band;
};
constexpr std::array<JapaneseBand, 22> kJapaneseBands{{
    {"135k", "2190m"}, {"475k", "630m"}, {"1.9", "160m"}, {"3.5", "80m"}, {"3.8", "80m"},
    {"7", "40m"},      {"10", "30m"},    {"14", "20m"},   {"18", "17m"},  {"21", "15m"},
    {"24", "12m"},     {"28", "10m"},    {"50", "6m"},    {"144", "2m"},  {"430", "70cm"},
    {"1200", "23cm"},  {"2400", "13cm"}, {"5600", "6cm"}, {"10G", "3cm"}, {"24G", "1.25cm"},
    {"47G", "6mm"},    {"77G", "4mm"},
}};

// ADIF's modes, each with its submodes ("|"-separated).
struct ModeEntry
{
    std::string_view mode;
    std::string_view submodes;
};

constexpr std::array<ModeEntry, 47> kModes{{
    {"AM", ""},
    {"ARDOP", ""},
    {"ATV", ""},
    {"CHIP", "CHIP64|CHIP128"},
    {"CLO", ""},
    {"CONTESTI", ""},
    {"CW", "PCW"},
    {"DIGITALVOICE", "C4FM|DMR|DSTAR|FREEDV|M17"},
    {"DOMINO", "DOM-M|DOM4|DOM5|DOM8|DOM11|DOM16|DOM22|DOM44|DOM88|DOMINOEX|DOMINOF"},
    {"DYNAMIC", "VARA HF|VARA SATELLITE|VARA FM 1200|VARA FM 9600"},
    {"FAX", ""},
    {"FM", ""},
    {"FSK", "SCAMP_FAST|SCAMP_SLOW|SCAMP_VSLOW"},
    {"FSK441", ""},
    {"FT8", ""},
    {"HELL", "FMHELL|FSKHELL|HELL80|HELLX5|HELLX9|HFSK|PSKHELL|SLOWHELL"},
    {"ISCAT", "ISCAT-A|ISCAT-B"},
    {"JT4", "JT4A|JT4B|JT4C|JT4D|JT4E|JT4F|JT4G"},
    {"JT6M", ""},
    {"JT9", "JT9-1|JT9-2|JT9-5|JT9-10|JT9-30|JT9A|JT9B|JT9C|JT9D|JT9E|JT9E FAST|JT9F|"
            "JT9F FAST|JT9G|JT9G FAST|JT9H|JT9H FAST"},
    {"JT44", ""},
    {"JT65", "JT65A|JT65B|JT65B2|JT65C|JT65C2"},
    {"MFSK", "FSQCALL|FST4|FST4W|FT4|JS8|JTMS|MFSK4|MFSK8|MFSK11|MFSK16|MFSK22|MFSK31|MFSK32|"
             "MFSK64|MFSK64L|MFSK128|MFSK128L|Q65"},
    {"MSK144", ""},
    {"MT63", ""},
    {"OFDM", "RIBBIT_PIX|RIBBIT_SMS"},
    {"OLIVIA", "OLIVIA 4/125|OLIVIA 4/250|OLIVIA 8/250|OLIVIA 8/500|OLIVIA 16/500|"
               "OLIVIA 16/1000|OLIVIA 32/1000"},
    {"OPERA", "OPERA-BEACON|OPERA-QSO"},
    {"PAC", "PAC2|PAC3|PAC4"},
    {"PAX", "PAX2"},
    {"PKT", ""},
    {"PSK", "8PSK125|8PSK125F|8PSK125FL|8PSK250|8PSK250F|8PSK250FL|8PSK500|8PSK500F|8PSK1000|"
            "8PSK1000F|8PSK1200F|FSK31|PSK10|PSK31|PSK63|PSK63F|PSK63RC4|PSK63RC5|PSK63RC10|"
            "PSK63RC20|PSK63RC32|PSK125|PSK125C12|PSK125R|PSK125RC10|PSK125RC12|PSK125RC16|"
            "PSK125RC4|PSK125RC5|PSK250|PSK250C6|PSK250R|PSK250RC2|PSK250RC3|PSK250RC5|"
            "PSK250RC6|PSK250RC7|PSK500|PSK500C2|PSK500C4|PSK500R|PSK500RC2|PSK500RC3|"
            "PSK500RC4|PSK800C2|PSK800RC2|PSK1000|PSK1000C2|PSK1000R|PSK1000RC2|PSKAM10|"
            "PSKAM31|PSKAM50|PSKFEC31|QPSK31|QPSK63|QPSK125|QPSK250|QPSK500|SIM31"},
    {"PSK2K", ""},
    {"Q15", ""},
    {"QRA64", "QRA64A|QRA64B|QRA64C|QRA64D|QRA64E"},
    {"ROS", "ROS-EME|ROS-HF|ROS-MF"},
    {"RTTY", "ASCI"},
    {"RTTYM", ""},
    {"SSB", "LSB|USB"},
    {"SSTV", ""},
    {"T10", ""},
    {"THOR", "THOR-M|THOR4|THOR5|THOR8|THOR11|THOR16|THOR22|THOR25X4|THOR50X1|THOR50X2|THOR100"},
    {"THRB", "THRBX|THRBX1|THRBX2|THRBX4|THROB1|THROB2|THROB4"},
    {"TOR", "AMTORFEC|GTOR|NAVTEX|SITORB"},
    {"V4", ""},
    {"VOI", ""},
    {"WINMOR", ""},
}};

struct ModeTables
{
    std::unordered_set<std::string_view> modes;
    std::unordered_map<std::string_view, std::string_view> parentOf; // submode -> mode
};

const ModeTables &modeTables()
{
    static const ModeTables tables = [] {
        ModeTables t;
        for (const ModeEntry &e : kModes) {
            t.modes.insert(e.mode);
            std::string_view rest = e.submodes;
            while (!rest.empty()) {
                const std::size_t bar = rest.find('|');
                t.parentOf.emplace(rest.substr(0, bar), e.mode);
                rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
            }
        }
        t.modes.insert("WSPR");
        return t;
    }();
    return tables;
}

// The emission codes operators write, with the ADIF mode they mean.
struct Alias
{
    std::string_view code;
    ModePair pair;
};
// The short forms stand for ADIF modes and submodes longer than the log's six-byte field;
// reading a file stores them, writing one turns them back.
constexpr std::array<Alias, 53> kAliases{{
    {"DV", {"DIGITALVOICE", ""}},
    {"D-STAR", {"DIGITALVOICE", "DSTAR"}},
    {"CONTST", {"CONTESTI", ""}},
    {"DYNAMC", {"DYNAMIC", ""}},
    {"VARAHF", {"DYNAMIC", "VARA HF"}},
    {"VARSAT", {"DYNAMIC", "VARA SATELLITE"}},
    {"VFM12", {"DYNAMIC", "VARA FM 1200"}},
    {"VFM96", {"DYNAMIC", "VARA FM 9600"}},
    {"OL4125", {"OLIVIA", "OLIVIA 4/125"}},
    {"OL4250", {"OLIVIA", "OLIVIA 4/250"}},
    {"OL8250", {"OLIVIA", "OLIVIA 8/250"}},
    {"OL8500", {"OLIVIA", "OLIVIA 8/500"}},
    {"O16500", {"OLIVIA", "OLIVIA 16/500"}},
    {"O161K", {"OLIVIA", "OLIVIA 16/1000"}},
    {"O321K", {"OLIVIA", "OLIVIA 32/1000"}},
    {"JT9EF", {"JT9", "JT9E FAST"}},
    {"JT9FF", {"JT9", "JT9F FAST"}},
    {"JT9GF", {"JT9", "JT9G FAST"}},
    {"JT9HF", {"JT9", "JT9H FAST"}},
    {"SCAMPF", {"FSK", "SCAMP_FAST"}},
    {"SCAMPS", {"FSK", "SCAMP_SLOW"}},
    {"SCAMPV", {"FSK", "SCAMP_VSLOW"}},
    {"OPERAB", {"OPERA", "OPERA-BEACON"}},
    {"OPERAQ", {"OPERA", "OPERA-QSO"}},
    {"RIBPIX", {"OFDM", "RIBBIT_PIX"}},
    {"RIBSMS", {"OFDM", "RIBBIT_SMS"}},
    {"FSKHEL", {"HELL", "FSKHELL"}},
    {"SLOHEL", {"HELL", "SLOWHELL"}},
    {"PSKHEL", {"HELL", "PSKHELL"}},
    {"DOMEX", {"DOMINO", "DOMINOEX"}},
    {"DOMF", {"DOMINO", "DOMINOF"}},
    {"MFS128", {"MFSK", "MFSK128"}},
    {"MF128L", {"MFSK", "MFSK128L"}},
    {"MFS64L", {"MFSK", "MFSK64L"}},
    {"FSQCAL", {"MFSK", "FSQCALL"}},
    {"ISCATA", {"ISCAT", "ISCAT-A"}},
    {"ISCATB", {"ISCAT", "ISCAT-B"}},
    {"AMTORF", {"TOR", "AMTORFEC"}},
    {"ROSEME", {"ROS", "ROS-EME"}},
    {"THR100", {"THOR", "THOR100"}},
    {"THR254", {"THOR", "THOR25X4"}},
    {"THR501", {"THOR", "THOR50X1"}},
    {"THR502", {"THOR", "THOR50X2"}},
    {"J3E", {"SSB", ""}},
    {"A3J", {"SSB", ""}},
    {"A3E", {"AM", ""}},
    {"A3", {"AM", ""}},
    {"F3E", {"FM", ""}},
    {"F3", {"FM", ""}},
    {"A1A", {"CW", ""}},
    {"A1", {"CW", ""}},
    {"USB", {"SSB", "USB"}},
    {"LSB", {"SSB", "LSB"}},
}};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A leading decimal number ("7.050", ".5"); the rest of the text is left in `rest`.
std::optional<double> leadingNumber(std::string_view text, std::string_view &rest)
{
    std::size_t i = 0;
    bool digits = false;
    while (i < text.size() && isDigit(text[i])) {
        digits = true;
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            digits = true;
            ++i;
        }
    }
    if (!digits)
        return std::nullopt;
    double value = 0;
    std::from_chars(text.data(), text.data() + i, value);
    rest = text.substr(i);
    while (!rest.empty() && rest.front() == ' ')
        rest.remove_prefix(1);
    return value;
}

std::string_view trimSpaces(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = static_cast<int>(y - era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int daysInMonth(int year, int month)
{
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

bool validDate(int year, int month, int day)
{
    return year >= 1 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

// All-digit text as a number; nullopt when empty or another character appears.
std::optional<int> digitsValue(std::string_view text)
{
    if (text.empty() || text.size() > 4)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

std::optional<std::string_view> bandOf(double mhz)
{
    for (const Band &b : kBands)
        if (mhz >= b.lower && mhz <= b.upper)
            return b.name;
    return std::nullopt;
}

bool bandHolds(std::string_view band, double mhz)
{
    for (const Band &b : kBands)
        if (equalsIgnoreCase(b.name, band))
            return mhz >= b.lower && mhz <= b.upper;
    return false;
}

std::optional<std::string_view> namedBand(std::string_view typed)
{
    typed = trimSpaces(typed);
    for (const Band &b : kBands)
        if (typed == b.name)
            return b.name;
    std::string_view number = typed;
    if (number.size() > 3 && equalsIgnoreCase(number.substr(number.size() - 3), "MHZ")) {
        number = trimSpaces(number.substr(0, number.size() - 3));
        if (number.empty() || !isDigit(number.back()))
            return std::nullopt;
    }
    for (const JapaneseBand &j : kJapaneseBands)
        if (equalsIgnoreCase(number, j.name))
            return j.band;
    return std::nullopt;
}

std::optional<std::string_view> bandOfTyped(std::string_view typed)
{
    if (const auto named = namedBand(typed))
        return named;
    if (const auto mhz = frequencyMhz(typed))
        return bandOf(*mhz);
    return std::nullopt;
}

std::optional<std::string> bandAsTyped(std::string_view adifBand)
{
    adifBand = trimSpaces(adifBand);
    for (const JapaneseBand &j : kJapaneseBands)
        if (equalsIgnoreCase(adifBand, j.band))
            return std::string(j.name);
    for (const Band &b : kBands)
        if (equalsIgnoreCase(adifBand, b.name))
            return std::string(b.name);
    return std::nullopt;
}

std::optional<double> frequencyMhz(std::string_view typed)
{
    std::string_view rest;
    const std::optional<double> number = leadingNumber(trimSpaces(typed), rest);
    if (!number || *number <= 0)
        return std::nullopt;
    if (equalsIgnoreCase(rest, "MHZ") || equalsIgnoreCase(rest, "M"))
        return *number;
    if (equalsIgnoreCase(rest, "KHZ") || equalsIgnoreCase(rest, "K"))
        return *number / 1000;
    if (equalsIgnoreCase(rest, "GHZ") || equalsIgnoreCase(rest, "G"))
        return *number * 1000;
    if (!rest.empty())
        return std::nullopt;
    // "7050" is 7.050 MHz typed in kHz: no band lies at 7050 MHz.
    if (!bandOf(*number) && bandOf(*number / 1000))
        return *number / 1000;
    return *number;
}

std::string formatDecimal(double value)
{
    // Whole numbers (most powers, bands in MHz) without the cost of a floating-point format.
    if (value >= 0 && value < 1e15 && value == static_cast<double>(static_cast<long long>(value)))
        return std::to_string(static_cast<long long>(value));
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    std::string out(text);
    while (out.back() == '0')
        out.pop_back();
    if (out.back() == '.')
        out.pop_back();
    return out;
}

std::optional<ModePair> modeOf(std::string_view logMode)
{
    const std::string upper = upperAscii(trimSpaces(logMode));
    for (const Alias &a : kAliases)
        if (upper == a.code)
            return a.pair;
    const ModeTables &t = modeTables();
    if (const auto m = t.modes.find(upper); m != t.modes.end())
        return ModePair{*m, {}};
    if (const auto s = t.parentOf.find(upper); s != t.parentOf.end())
        return ModePair{s->second, s->first};
    return std::nullopt;
}

std::optional<std::string_view> shortModeOf(std::string_view mode, std::string_view submode)
{
    const std::string m = upperAscii(trimSpaces(mode));
    const std::string sub = upperAscii(trimSpaces(submode));
    for (const Alias &a : kAliases)
        if (a.pair.submode == sub && (a.pair.mode == m || (m.empty() && !sub.empty())))
            return a.code;
    return std::nullopt;
}

bool isModePair(std::string_view mode, std::string_view submode)
{
    const ModeTables &t = modeTables();
    const std::string m = upperAscii(mode);
    if (t.modes.find(m) == t.modes.end())
        return false;
    if (submode.empty())
        return true;
    const auto s = t.parentOf.find(upperAscii(submode));
    return s != t.parentOf.end() && s->second == m;
}

std::optional<double> powerWatts(std::string_view typed)
{
    std::string_view rest;
    const std::optional<double> number = leadingNumber(trimSpaces(typed), rest);
    if (!number)
        return std::nullopt;
    if (!rest.empty() && (rest.front() == 'k' || rest.front() == 'K'))
        return *number * 1000;
    if (!rest.empty() && rest.front() == 'm')
        return *number / 1000;
    return *number;
}

std::string frequencyAsTyped(std::string_view freq)
{
    const std::string_view trimmed = sjis::trimBlanks(freq);
    if (trimmed.size() <= maxTextBytes(Field::Frequency))
        return std::string(trimmed);
    if (const auto mhz = frequencyMhz(trimmed))
        return formatDecimal(*mhz);
    return std::string(trimmed);
}

std::string powerAsTyped(std::string_view watts)
{
    const std::string_view trimmed = sjis::trimBlanks(watts);
    for (const char c : trimmed)
        if ((c < '0' || c > '9') && c != '.')
            return std::string(trimmed);
    if (const auto w = powerWatts(trimmed))
        return formatDecimal(*w) + "W";
    return std::string(trimmed);
}

std::int64_t minutesOf(int year, int month, int day, int minuteOfDay)
{
    return daysFromCivil(year, month, day) * 1440 + minuteOfDay;
}

DateTime dateTimeOf(std::int64_t minutes)
{
    std::int64_t days = minutes / 1440;
    std::int64_t minute = minutes % 1440;
    if (minute < 0) {
        minute += 1440;
        --days;
    }
    // Civil from days (the inverse of daysFromCivil).
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = static_cast<int>(z - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    DateTime t;
    t.day = doy - (153 * mp + 2) / 5 + 1;
    t.month = mp < 10 ? mp + 3 : mp - 9;
    t.year = static_cast<int>(yoe + era * 400) + (t.month <= 2);
    t.hour = static_cast<int>(minute / 60);
    t.minute = static_cast<int>(minute % 60);
    return t;
}

std::optional<Date> parseLogDate(std::string_view text, int)
{
    // "yy/mm/dd", as the contact dialog writes every date, is read without splitting.
    const auto digitPair = [&text](std::size_t at) {
        return isDigit(text[at]) && isDigit(text[at + 1])
                   ? (text[at] - '0') * 10 + text[at + 1] - '0'
                   : -1;
    };
    if (text.size() == 8 && text[2] == '/' && text[5] == '/') {
        const int y = digitPair(0);
        const int m = digitPair(3);
        const int d = digitPair(6);
        if (y >= 0 && m >= 0 && d >= 0) {
            const int year = y + (y < 50 ? 2000 : 1900);
            if (!validDate(year, m, d))
                return std::nullopt;
            return Date{year, m, d};
        }
    }
    text = trimSpaces(text);
    std::array<std::string_view, 3> parts;
    std::size_t count = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '/' || text[i] == '-' || text[i] == '.') {
            if (count == parts.size())
                return std::nullopt;
            parts[count++] = text.substr(start, i - start);
            start = i + 1;
        }
    }
    if (count != 3 || parts[1].size() > 2 || parts[2].size() > 2)
        return std::nullopt;
    const auto y = digitsValue(parts[0]);
    const auto m = digitsValue(parts[1]);
    const auto d = digitsValue(parts[2]);
    if (!y || !m || !d)
        return std::nullopt;
    int year = *y;
    if (parts[0].size() <= 2)
        year += *y < 50 ? 2000 : 1900;
    else if (parts[0].size() != 4)
        return std::nullopt;
    if (!validDate(year, *m, *d))
        return std::nullopt;
    return Date{year, *m, *d};
}

std::optional<int> parseLogTime(std::string_view text)
{
    // "hh:mm", as the contact dialog writes every time, is read without splitting.
    if (text.size() == 5 && text[2] == ':' && isDigit(text[0]) && isDigit(text[1]) &&
        isDigit(text[3]) && isDigit(text[4])) {
        const int h = (text[0] - '0') * 10 + text[1] - '0';
        const int m = (text[3] - '0') * 10 + text[4] - '0';
        if (h > 23 || m > 59)
            return std::nullopt;
        return h * 60 + m;
    }
    text = trimSpaces(text);
    std::optional<int> h;
    std::optional<int> m;
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
        if (colon == 0 || colon > 2 || text.size() - colon - 1 != 2)
            return std::nullopt;
        h = digitsValue(text.substr(0, colon));
        m = digitsValue(text.substr(colon + 1));
    } else if (text.size() == 4) {
        h = digitsValue(text.substr(0, 2));
        m = digitsValue(text.substr(2));
    }
    if (!h || !m || *h > 23 || *m > 59)
        return std::nullopt;
    return *h * 60 + *m;
}

std::optional<Date> parseAdifDate(std::string_view text)
{
    text = trimSpaces(text);
    if (text.size() != 8)
        return std::nullopt;
    const auto y = digitsValue(text.substr(0, 4));
    const auto m = digitsValue(text.substr(4, 2));
    const auto d = digitsValue(text.substr(6, 2));
    if (!y || !m || !d || *y < 1900 || !validDate(*y, *m, *d))
        return std::nullopt;
    return Date{*y, *m, *d};
}

std::optional<int> parseAdifTime(std::string_view text)
{
    text = trimSpaces(text);
    if (text.size() != 4 && text.size() != 6)
        return std::nullopt;
    const auto h = digitsValue(text.substr(0, 2));
    const auto m = digitsValue(text.substr(2, 2));
    const auto s = text.size() == 6 ? digitsValue(text.substr(4, 2)) : std::optional<int>(0);
    if (!h || !m || !s || *h > 23 || *m > 59 || *s > 59)
        return std::nullopt;
    return *h * 60 + *m;
}

CallParts splitRadioCall(std::string_view radioCall)
{
    std::array<std::string_view, 8> parts;
    std::size_t count = 0;
    std::size_t longest = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= radioCall.size(); ++i) {
        if (i == radioCall.size() || radioCall[i] == '/') {
            const std::string_view p = trimSpaces(radioCall.substr(start, i - start));
            if (!p.empty() && count < parts.size()) {
                if (p.size() > parts[longest].size() || count == 0)
                    longest = count;
                parts[count++] = p;
            }
            start = i + 1;
        }
    }
    CallParts result{"", "-", "-"};
    if (count == 0)
        return result;
    result.callsign = upperShiftJis(parts[longest]);
    std::string form;
    auto addForm = [&form](std::string_view p) {
        if (!form.empty())
            form += '/';
        form += upperShiftJis(p);
    };
    std::size_t areaPart = count;
    for (std::size_t i = 0; i < count && areaPart == count; ++i)
        if (i != longest && parts[i].size() == 1 && isDigit(parts[i][0])) {
            result.area = std::string(parts[i]);
            areaPart = i;
        }
    const bool digitArea = areaPart != count;
    for (std::size_t i = 0; i < count; ++i) {
        if (i == longest || i == areaPart)
            continue;
        const std::string_view p = parts[i];
        bool hasDigit = false;
        for (const char c : p)
            hasDigit = hasDigit || isDigit(c);
        // A prefix of another country (KH6, VK9X) marks operation abroad.
        if (!digitArea && result.area == "-" && p.size() >= 2 && hasDigit)
            result.area = "A";
        addForm(p);
    }
    if (!form.empty())
        result.form = form;
    return result;
}

std::string adifCallOf(std::string_view call, std::string_view area, std::string_view form)
{
    const bool hasForm = !form.empty() && form != "-";
    std::string result;
    if (area == "A") {
        if (hasForm)
            result.append(form).append(1, '/');
        return result.append(call);
    }
    result.assign(call);
    if (area.size() == 1 && isDigit(area[0]))
        result.append(1, '/').append(area);
    if (hasForm)
        result.append(1, '/').append(form);
    return result;
}

AdifCall splitAdifCall(std::string_view call, const log::PrefixTable &table)
{
    std::array<std::string_view, 8> parts;
    std::size_t count = 0;
    std::size_t longest = 0;
    std::size_t start = 0;
    bool tooMany = false;
    for (std::size_t i = 0; i <= call.size(); ++i) {
        if (i == call.size() || call[i] == '/') {
            const std::string_view p = trimSpaces(call.substr(start, i - start));
            if (!p.empty()) {
                if (count == parts.size()) {
                    tooMany = true;
                } else {
                    if (count == 0 || p.size() > parts[longest].size())
                        longest = count;
                    parts[count++] = p;
                }
            }
            start = i + 1;
        }
    }
    AdifCall out;
    out.parts = {"", "-", "-"};
    if (count == 0)
        return out;
    out.parts.callsign = upperShiftJis(parts[longest]);
    const auto refuse = [&out](std::string why) {
        out.refusal = std::move(why);
        return out;
    };
    if (tooMany)
        return refuse("コールサインの添え字が多すぎます");
    // Looked up only for a digit after the callsign: most calls have none.
    std::optional<bool> japaneseCall;
    const auto japanese = [&] {
        if (!japaneseCall)
            japaneseCall = classifyCallArea(out.parts.callsign, table) < log::kAbroad;
        return *japaneseCall;
    };
    std::string_view form;
    bool abroad = false;
    std::string_view area;
    const auto setForm = [&form](std::string_view p) {
        if (!form.empty())
            return false;
        form = p;
        return true;
    };
    for (std::size_t i = 0; i < count; ++i) {
        if (i == longest)
            continue;
        const std::string_view p = parts[i];
        bool hasDigit = false;
        bool hasLetter = false;
        for (const char c : p) {
            hasDigit = hasDigit || isDigit(c);
            hasLetter = hasLetter || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        }
        bool ok = true;
        if (i < longest) {
            // A prefix before the callsign: the country operated from.
            ok = !abroad && setForm(p);
            abroad = true;
        } else if (p.size() == 1 && isDigit(p[0]) && area.empty() && japanese()) {
            area = p;
        } else if (p.size() >= 2 && hasDigit && hasLetter) {
            // A prefix written after the callsign (N5AFV/C6A) is the same country prefix.
            ok = !abroad && setForm(p);
            abroad = out.prefixMoved = true;
        } else {
            ok = setForm(p);
        }
        if (!ok)
            return refuse("コールサインの添え字 " + std::string(call) + " を記録できません");
    }
    if (abroad && !area.empty())
        return refuse("コールサインの添え字 " + std::string(call) + " を記録できません");
    if (form.size() > maxTextBytes(Field::PortableForm))
        return refuse("添え字 " + upperShiftJis(form) + " が" +
                      std::to_string(maxTextBytes(Field::PortableForm)) + "文字を超えています");
    if (!area.empty())
        out.parts.area = std::string(area);
    else if (abroad)
        out.parts.area = "A";
    if (!form.empty())
        out.parts.form = upperShiftJis(form);
    if (!abroad)
        out.prefixMoved = false;
    return out;
}

std::size_t nextNonAscii(std::string_view text, std::size_t from)
{
    std::size_t i = from;
    // Most of a file is ASCII: eight bytes at a time where they are.
    for (std::uint64_t word; i + 8 <= text.size(); i += 8) {
        std::memcpy(&word, text.data() + i, 8);
        if (word & 0x8080808080808080ULL)
            break;
    }
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80)
        ++i;
    return i;
}

bool isAscii(std::string_view text)
{
    return nextNonAscii(text, 0) == text.size();
}

bool isUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t follow = 0;
        if (c < 0x80)
            follow = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            follow = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            follow = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            follow = 3;
        else
            return false;
        if (i + follow >= text.size())
            return false;
        for (std::size_t k = 1; k <= follow; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += follow + 1;
    }
    return true;
}

std::string upperAscii(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string upperShiftJis(std::string_view text)
{
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char c = out[i];
        if (c >= 'a' && c <= 'z')
            out[i] = static_cast<char>(c - 'a' + 'A');
        else if (sjis::isLeadByte(static_cast<unsigned char>(c)))
            ++i;
    }
    return out;
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

void addField(std::string &out, std::string_view name, std::string_view value)
{
    if (value.empty())
        return;
    out += '<';
    out += name;
    out += ':';
    out += std::to_string(value.size());
    out += '>';
    out += value;
    out += ' ';
}

} // namespace vz::adif
