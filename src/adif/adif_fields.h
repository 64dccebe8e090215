// SPDX-License-Identifier: GPL-3.0-or-later
// What the log's fields mean in ADIF, the interchange format of amateur-radio logs, and back:
// bands from frequencies, emission codes to ADIF modes, power in watts, the log's Japanese
// time and two-digit years to UTC dates, and the callsign with its portable designators.
// Exporter, importer and the validation of written files share these rules, so a file this
// program writes reads back into the same record.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace vz::log {
class PrefixTable;
}

namespace vz::adif {

inline constexpr std::string_view kProgramId = "VEZODovi";
inline constexpr std::string_view kAdifVersion = "3.1.7";
// Fields of this program: the record's own text wherever a standard field changed it.
inline constexpr std::string_view kAppPrefix = "APP_VEZODOVI_";

// ---- Bands and frequencies -------------------------------------------------------------

// The ADIF band (lower case, "40m") whose range holds `mhz`; nullopt outside every band.
std::optional<std::string_view> bandOf(double mhz);
// True when `band` (any letter case) is an ADIF band holding `mhz`.
bool bandHolds(std::string_view band, double mhz);

// The ADIF band (lower case) that a typed text names as a band: a Japanese band name ("1.9",
// "7", "144", "1200", "10G", "135k"; the numbers optionally followed by "MHz") or an ADIF band
// name in lower case ("2m", "70cm"). nullopt for any other text, a frequency among them.
std::optional<std::string_view> namedBand(std::string_view typed);
// The ADIF band of a typed text: the band it names, else the band holding its frequency;
// nullopt when neither.
std::optional<std::string_view> bandOfTyped(std::string_view typed);
// What a contact given only by its ADIF band (any case) keeps in the frequency field: the
// Japanese band name where there is one ("144", "7", "135k"), else the ADIF name in lower case
// ("60m"). nullopt for a text that is no ADIF band.
std::optional<std::string> bandAsTyped(std::string_view adifBand);

// The frequency an operator typed, in MHz: a decimal number, optionally followed by a unit
// (MHz, M, kHz, K, GHz, G). A bare number in no band that falls in one as kHz ("7050") is
// taken as kHz. nullopt when the text holds no positive number.
std::optional<double> frequencyMhz(std::string_view typed);
// A number with at most six decimals and no trailing zeros ("7.05", "430").
std::string formatDecimal(double value);

// ---- Modes ------------------------------------------------------------------------------

struct ModePair
{
    std::string_view mode;
    std::string_view submode; // empty when none
};

// The ADIF mode of a log's mode text: emission codes (J3E, A3J, A3E, A3, F3E, F3, A1A, A1),
// USB and LSB as SSB with that submode, ADIF modes as they are, ADIF submodes under their mode.
// nullopt for a text ADIF has no mode for.
std::optional<ModePair> modeOf(std::string_view logMode);
// The log's short form of an ADIF mode and submode too long for its six-byte mode field
// ("CONTST" for CONTESTI, "OL8250" for OLIVIA 8/250, "DV" for DIGITALVOICE); modeOf turns it
// back. nullopt when there is none.
std::optional<std::string_view> shortModeOf(std::string_view mode, std::string_view submode);
// True when `mode` is an ADIF mode and `submode` empty or one of its submodes.
bool isModePair(std::string_view mode, std::string_view submode);

// ---- Power -----------------------------------------------------------------------------

// Watts from a typed power ("10W", "50", "1kW", "500mW"); nullopt when no number leads it.
std::optional<double> powerWatts(std::string_view typed);

// ---- ADIF texts as an operator types them ------------------------------------------------

// FREQ: the text given when it fits the log's field, else the number shortened.
std::string frequencyAsTyped(std::string_view freq);
// TX_PWR: a plain number of watts with "W" after it ("100W"); any other text as it is.
std::string powerAsTyped(std::string_view watts);

// ---- Dates and times --------------------------------------------------------------------

// Minutes since 1970-01-01 00:00 of a calendar date and time.
std::int64_t minutesOf(int year, int month, int day, int minuteOfDay);
struct DateTime
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
};
DateTime dateTimeOf(std::int64_t minutes);

struct Date
{
    int year = 0;
    int month = 0;
    int day = 0;
};
// The years the log's contacts can have: two-digit years read into them, and ADIF dates
// outside them are refused.
inline constexpr int kFirstYear = 1950;
inline constexpr int kLastYear = 2049;
// A log date: year/month/day with a two-digit year (00-49: 20yy, 50-99: 19yy) or a four-digit
// one; "/", "-" or "." between the parts. The second argument is no longer read.
std::optional<Date> parseLogDate(std::string_view text, int currentYear);
// A log time "hh:mm", "h:mm" or "hhmm" as the minute of the day.
std::optional<int> parseLogTime(std::string_view text);

// ADIF "YYYYMMDD" and "HHMM" / "HHMMSS" (seconds dropped).
std::optional<Date> parseAdifDate(std::string_view text);
std::optional<int> parseAdifTime(std::string_view text);

// "%02d" of each number, joined by `sep`: the log's dates ("26/01/01") and times ("08:30").
class JoinedDigits
{
public:
    JoinedDigits(std::initializer_list<int> numbers, char sep)
    {
        for (const int n : numbers) {
            if (m_size > 0)
                m_text[m_size++] = sep;
            m_text[m_size++] = static_cast<char>('0' + n / 10 % 10);
            m_text[m_size++] = static_cast<char>('0' + n % 10);
        }
    }
    std::string_view view() const { return {m_text.data(), m_size}; }

private:
    std::array<char, 8> m_text{};
    std::size_t m_size = 0;
};

// Japanese time is UTC + 9 hours; the log keeps Japanese stations in it.
constexpr int kJstOffsetMinutes = 9 * 60;

// ---- Callsigns --------------------------------------------------------------------------

struct CallParts
{
    std::string callsign;
    std::string area; // "-" when none
    std::string form; // "-" when none
};
// Splits a callsign with designators (as toRadioCall writes it) back into the log's three
// fields: the longest part is the callsign; a digit is the portable area; a prefix (letters
// with a digit, like KH6) with no digit part is operation abroad ("A"); what remains is the
// form. Upper case.
CallParts splitRadioCall(std::string_view radioCall);

// The callsign with every designator the record holds, as ADIF carries it: a country prefix
// (portable area "A" with a form) before the callsign ("DL/JA1ABC"), a portable area digit and
// a form after it ("JA1ABC/1/P", "ON4RO/P"). Area "A" without a form gives the callsign alone.
std::string adifCallOf(std::string_view call, std::string_view area, std::string_view form);

struct AdifCall
{
    CallParts parts;
    bool prefixMoved = false;           // a country prefix written after the callsign
    std::optional<std::string> refusal; // designators the record cannot hold
};
// Splits an ADIF CALL into the log's three fields. The longest part is the callsign. A part
// before it is a country prefix: area "A", form the prefix. After it, one digit is the portable
// area when the callsign is Japanese (areas 0-9); a part of letters and digits is a country
// prefix written after the callsign (area "A", noted in prefixMoved); any other part is the
// form. More than one form, a form over 3 bytes, or a prefix beside an area digit is refused.
AdifCall splitAdifCall(std::string_view call, const log::PrefixTable &table);

// The prefecture of a JCC/JCG code (ADIF's STATE for Japan): its first two digits, 01 to 47.
std::optional<std::string_view> prefectureOf(std::string_view jcc);

// Appends one ADI field, "<NAME:n>value " with n in bytes; nothing for an empty value.
void addField(std::string &out, std::string_view name, std::string_view value);

// ---- Text -------------------------------------------------------------------------------

bool isAscii(std::string_view text);
// Where the first byte of 0x80 or above lies at or after `from`; the size of `text` when none.
std::size_t nextNonAscii(std::string_view text, std::size_t from);
// True when `text` is well-formed UTF-8.
bool isUtf8(std::string_view text);
// Equal but for the letter case of ASCII letters. Inline: band and mode tables are searched
// with it for every contact read or written.
inline bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}
// Upper-cases ASCII letters.
std::string upperAscii(std::string_view text);
// Upper-cases the ASCII letters of a Shift_JIS text; the second byte of a double-byte
// character, which may fall among the letters, is left as it is.
std::string upperShiftJis(std::string_view text);

} // namespace vz::adif
