// SPDX-License-Identifier: GPL-3.0-or-later
#include "adif/adif_reader.h"

#include "adif/adif_fields.h"
#include "common/progress.h"
#include "common/sjis.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <system_error>
#include <thread>

namespace vz::adif {

namespace {

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// True when `text` at `at` holds `word` in any letter case.
bool holdsNoCase(std::string_view text, std::size_t at, std::string_view word)
{
    if (at > text.size() || text.size() - at < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (upper(text[at + i]) != upper(word[i]))
            return false;
    return true;
}

std::size_t findNoCase(std::string_view text, std::string_view word, std::size_t from = 0)
{
    // Every word looked for starts with "<", which a plain search finds fast.
    for (std::size_t i = text.find(word[0], from); i != std::string_view::npos;
         i = text.find(word[0], i + 1))
        if (holdsNoCase(text, i, word))
            return i;
    return std::string_view::npos;
}

bool isNameChar(char c)
{
    // A table: every character of every field name in a file is looked at.
    static constexpr std::array<bool, 256> kNameChars = [] {
        std::array<bool, 256> a{};
        for (std::size_t ch = 0; ch < 256; ++ch)
            a[ch] = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') ||
                    (ch >= '0' && ch <= '9') || ch == '_';
        return a;
    }();
    return kNameChars[static_cast<unsigned char>(c)];
}

// A blank, '/' or '>': what ends an element's name in a tag.
bool endsElementName(char c)
{
    static constexpr std::array<bool, 256> kEnds = [] {
        std::array<bool, 256> a{};
        a[' '] = a['\t'] = a['\r'] = a['\n'] = a['/'] = a['>'] = true;
        return a;
    }();
    return kEnds[static_cast<unsigned char>(c)];
}

bool isSpace(char c)
{
    static constexpr std::array<bool, 256> kSpaces = [] {
        std::array<bool, 256> a{};
        a[' '] = a['\t'] = a['\r'] = a['\n'] = true;
        return a;
    }();
    return kSpaces[static_cast<unsigned char>(c)];
}

// Bytes of the character starting at `at` in the given encoding.
std::size_t characterBytes(std::string_view text, std::size_t at, Charset charset)
{
    const auto c = static_cast<unsigned char>(text[at]);
    if (charset == Charset::ShiftJis)
        return sjis::isLeadByte(c) ? 2 : 1;
    if (charset == Charset::Utf8)
        return c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    return 1;
}

// Bytes of `count` characters from `at`; past the end of `text` when they do not fit.
std::size_t bytesOfCharacters(std::string_view text, std::size_t at, std::size_t count,
                              Charset charset)
{
    std::size_t i = at;
    for (std::size_t n = 0; n < count && i < text.size(); ++n)
        i += characterBytes(text, i, charset);
    return i < text.size() || count == 0 ? i - at : text.size() + 1 - at;
}

bool isAsciiLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A letter of Latin-1 (À to ÿ, less × and ÷).
bool isLatinLetter(unsigned char c)
{
    return c >= 0xC0 && c != 0xD7 && c != 0xF7;
}

struct ShiftJisCounts
{
    std::size_t latin = 0;    // non-ASCII letters that read as Latin-1 between letters
    std::size_t japanese = 0; // every other non-ASCII character
};

// The counts readsAsShiftJis decides by, over [from, to) of `text`; nullopt when a byte there
// is no character of Shift_JIS.
std::optional<ShiftJisCounts> countShiftJis(std::string_view text, std::size_t from, std::size_t to)
{
    ShiftJisCounts n;
    const auto at = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    for (std::size_t i = nextNonAscii(text, from); i < to; i = nextNonAscii(text, i + 1)) {
        const auto c = at(i);
        if (isLatinLetter(c) && i > 0 && i + 1 < text.size() && isAsciiLetter(at(i - 1)) &&
            (isAsciiLetter(at(i + 1)) || isLatinLetter(at(i + 1))))
            ++n.latin;
        else
            ++n.japanese;
        if (c >= 0xA1 && c <= 0xDF)
            continue;
        if (!sjis::isLeadByte(c) || i + 1 == text.size())
            return std::nullopt;
        const auto trail = at(++i);
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC)
            return std::nullopt;
    }
    return n;
}

// True when every byte is a character of Shift_JIS (code page 932) — single bytes below 0x80
// and half-width katakana, else a lead byte and a trail byte — and its non-ASCII characters do
// not read better as Western European. An accented letter between letters ("Dürenberg",
// "Großer") is Latin-1 in most files; a Shift_JIS character (a kanji lead byte, half-width
// katakana) seldom follows a Latin letter directly: katakana names (ﾔﾏﾀﾞ) stand after a tag or
// a blank. The larger count decides.
bool readsAsShiftJis(std::string_view text)
{
    // A large file is counted in two halves at once, split at a "<": never a trail byte, so
    // that no character lies across the split.
    constexpr std::size_t kHalvesFrom = std::size_t{1} << 20;
    const std::size_t middle =
        text.size() >= kHalvesFrom ? text.find('<', text.size() / 2) : std::string_view::npos;
    if (middle == std::string_view::npos || std::thread::hardware_concurrency() < 2) {
        const auto n = countShiftJis(text, 0, text.size());
        return n && n->latin <= n->japanese;
    }
    std::optional<ShiftJisCounts> second;
    std::thread secondHalf([&] { second = countShiftJis(text, middle, text.size()); });
    const std::optional<ShiftJisCounts> first = countShiftJis(text, 0, middle);
    secondHalf.join();
    return first && second && first->latin + second->latin <= first->japanese + second->japanese;
}

Charset detectCharset(std::string_view bytes)
{
    if (isAscii(bytes))
        return Charset::Ascii;
    if (isUtf8(bytes))
        return Charset::Utf8;
    return readsAsShiftJis(bytes) ? Charset::ShiftJis : Charset::Windows1252;
}

// True when a value ending at `end` ends cleanly: past any blanks and line breaks comes the
// next "<" or the end of the file.
bool endsCleanly(std::string_view text, std::size_t end)
{
    while (end < text.size() && isSpace(text[end]))
        ++end;
    return end >= text.size() || text[end] == '<';
}

// True when after blanks at `end` the file ends or a field tag ("<NAME:n>", "<NAME:n:T>") or
// <EOR> / <EOH> starts: a stricter end than endsCleanly, for telling two readings apart.
bool endsBeforeTag(std::string_view text, std::size_t end)
{
    while (end < text.size() && isSpace(text[end]))
        ++end;
    if (end >= text.size())
        return true;
    if (text[end] != '<')
        return false;
    std::size_t i = end + 1;
    while (i < text.size() && isNameChar(text[i]))
        ++i;
    if (i == end + 1 || i >= text.size())
        return false;
    if (text[i] == '>')
        return i - end - 1 == 3 &&
               (holdsNoCase(text, end + 1, "EOR") || holdsNoCase(text, end + 1, "EOH"));
    if (text[i] != ':')
        return false;
    const std::size_t digits = ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    if (i == digits)
        return false;
    if (i < text.size() && text[i] == ':')
        while (++i < text.size() && isNameChar(text[i])) {
        }
    return i < text.size() && text[i] == '>';
}

// How reading a stretch of a file ended.
enum class StretchEnd {
    FileEnd, // at the end of the file
    Split,   // a record ended exactly at the split asked for
};

constexpr std::size_t kNoSplit = std::string_view::npos;

// The file ends inside the record starting at `at`: noted, and the record is not handed on.
void noteCutOff(ParsedFile &file, std::size_t at, const AdifRecord &record)
{
    file.cutOff = true;
    file.cutOffAt = at;
    file.cutOffCallsign = std::string(record.find("CALL").value_or(std::string_view()));
}

// Reads the fields of an ADI file from `from` (0: the start, header and all; otherwise just
// after an <EOR>). Reading stops when a record ends exactly at `splitAt`.
StretchEnd parseAdi(std::string_view text, std::size_t from, std::size_t splitAt, ParsedFile &file,
                    const RecordHandler &onRecord, ProgressSink &progress)
{
    // A file that does not start with "<" has a header, ended by <EOH>.
    std::size_t pos = from;
    if (from == 0 && !text.empty() && text[0] != '<') {
        const std::size_t eoh = findNoCase(text, "<EOH>");
        pos = eoh == std::string_view::npos ? 0 : eoh + 5;
    }
    // Only a file with characters of more than one byte can count them apart from bytes.
    const bool multiByte = file.charset == Charset::Utf8 || file.charset == Charset::ShiftJis;
    AdifRecord record;
    std::size_t recordAt = pos; // where the record's first field starts
    // The first byte of 0x80 or above from where it was last looked for: a value before it is
    // ASCII, told without reading it again.
    std::size_t highAt = 0;
    std::size_t reported = from;
    while ((pos = text.find('<', pos)) != std::string_view::npos) {
        std::size_t i = pos + 1;
        while (i < text.size() && isNameChar(text[i]))
            ++i;
        const std::string_view name = text.substr(pos + 1, i - pos - 1);
        if (name.empty() || i >= text.size()) {
            ++pos;
            continue;
        }
        if (text[i] == '>') {
            if (name.size() == 3 && holdsNoCase(name, 0, "EOR")) {
                if (!record.empty())
                    onRecord(record, file.charset);
                record.clear();
                if (i + 1 == splitAt)
                    return StretchEnd::Split;
            } else if (name.size() == 3 && holdsNoCase(name, 0, "EOH")) {
                record.clear();
            }
            pos = i + 1;
            continue;
        }
        if (text[i] != ':') {
            ++pos; // not a field: "<" in free text
            continue;
        }
        std::size_t length = 0;
        std::size_t j = i + 1;
        bool digits = false;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            // Past the file's size a length only tells that the file ends inside the value.
            if (length <= text.size())
                length = length * 10 + static_cast<std::size_t>(text[j] - '0');
            digits = true;
            ++j;
        }
        if (j < text.size() && text[j] == ':') { // type letter
            ++j;
            while (j < text.size() && isNameChar(text[j]))
                ++j;
        }
        if (!digits || j >= text.size() || text[j] != '>') {
            ++pos;
            continue;
        }
        const std::size_t start = j + 1;
        if (length > text.size() - start) {
            // A length past the end: the file was cut off inside this value, or the length is
            // wrong. Either way this record is lost; records after its <EOR> are read on.
            const std::size_t at = file.skipped + (record.empty() ? pos : recordAt);
            const std::size_t eor = findNoCase(text, "<EOR>", start);
            if (eor == std::string_view::npos) {
                noteCutOff(file, at, record);
                return StretchEnd::FileEnd;
            }
            record.noteLengthPastEnd(at);
            onRecord(record, file.charset);
            record.clear();
            pos = eor + 5;
            if (pos == splitAt)
                return StretchEnd::Split;
            continue;
        }
        // Lengths in bytes or in characters: the two readings differ only for a value with
        // characters of more than one byte. The bytes are taken unless the characters alone
        // end cleanly, or both do and only the characters end right before a field tag ("<"
        // in a value: <COMMENT:6>日本<ja>). Where that does not settle it for the bytes, the
        // field is listed (readings apart only by blanks agree).
        // A value of single bytes, or one ending right before a field tag, reads the same
        // either way: the usual case, settled without counting characters.
        const bool bytesClean = endsCleanly(text, start + length);
        if (multiByte && highAt < start)
            highAt = nextNonAscii(text, start);
        const bool ascii = highAt >= start + length;
        if (multiByte && (!bytesClean || (!ascii && !endsBeforeTag(text, start + length)))) {
            const std::size_t characters = bytesOfCharacters(text, start, length, file.charset);
            if (characters != length) {
                const bool charactersClean =
                    characters <= text.size() - start && endsCleanly(text, start + characters);
                bool takeCharacters = charactersClean && !bytesClean;
                bool unclear = !charactersClean && !bytesClean;
                if (charactersClean && bytesClean) {
                    const std::size_t from = start + std::min(length, characters);
                    const std::string_view apart =
                        text.substr(from, start + std::max(length, characters) - from);
                    // The longer reading (characters: never fewer bytes) may swallow a field.
                    bool swallowsField = false;
                    for (std::size_t at = 0; at < apart.size() && !swallowsField; ++at)
                        swallowsField = apart[at] == '<' && endsBeforeTag(text, from + at);
                    const bool bytesBeforeTag = endsBeforeTag(text, start + length);
                    const bool charactersBeforeTag = endsBeforeTag(text, start + characters);
                    takeCharacters = !swallowsField && charactersBeforeTag && !bytesBeforeTag;
                    unclear = !swallowsField && !std::all_of(apart.begin(), apart.end(), isSpace) &&
                              !(bytesBeforeTag && !charactersBeforeTag);
                }
                if (takeCharacters) {
                    length = characters;
                    file.lengthsInCharacters = true;
                }
                if (unclear)
                    record.noteUnclearLength(name, file.skipped + pos);
            }
        }
        if (record.empty())
            recordAt = pos;
        record.addBorrowed(name, text.substr(start, length));
        pos = start + length;
        if (pos - reported > (1u << 20)) {
            progress.advance(static_cast<std::int64_t>(std::min(pos, splitAt)));
            reported = pos;
        }
    }
    // A last record without <EOR> is still a record.
    if (!record.empty())
        onRecord(record, file.charset);
    return StretchEnd::FileEnd;
}

// ---- ADX: the small part of XML it uses --------------------------------------------------

// Where the comment, CDATA section or processing instruction starting at `at` ends (just past
// it); `at` itself when none starts there, npos when it never ends. By XML's rules none of them
// is markup, so a record or an end tag inside one is text.
std::size_t pastNonMarkup(std::string_view text, std::size_t at)
{
    std::string_view end;
    std::size_t open = 0;
    if (text.compare(at, 4, "<!--") == 0) {
        end = "-->";
        open = 4;
    } else if (text.compare(at, 9, "<![CDATA[") == 0) {
        end = "]]>";
        open = 9;
    } else if (text.compare(at, 2, "<?") == 0) {
        end = "?>";
        open = 2;
    } else {
        return at;
    }
    const std::size_t found = text.find(end, at + open);
    return found == std::string_view::npos ? found : found + end.size();
}

std::string decodeEntities(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '<' && text.compare(i, 9, "<![CDATA[") != 0) {
            // A comment or processing instruction in a value is no part of it.
            const std::size_t past = pastNonMarkup(text, i);
            if (past != i) {
                i = (past == std::string_view::npos ? text.size() : past) - 1;
                continue;
            }
        }
        if (text[i] == '<' && text.substr(i, 9) == "<![CDATA[") {
            const std::size_t end = text.find("]]>", i + 9);
            const std::size_t stop = end == std::string_view::npos ? text.size() : end;
            out += text.substr(i + 9, stop - i - 9);
            i = stop == text.size() ? stop : stop + 2;
            continue;
        }
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const std::size_t semi = text.find(';', i);
        if (semi == std::string_view::npos || semi - i > 10) {
            out += text[i];
            continue;
        }
        const std::string_view entity = text.substr(i + 1, semi - i - 1);
        if (entity == "amp")
            out += '&';
        else if (entity == "lt")
            out += '<';
        else if (entity == "gt")
            out += '>';
        else if (entity == "quot")
            out += '"';
        else if (entity == "apos")
            out += '\'';
        else if (!entity.empty() && entity[0] == '#') {
            const bool hex = entity.size() > 1 && (entity[1] == 'x' || entity[1] == 'X');
            const std::string digits(entity.substr(hex ? 2 : 1));
            // Numbers past Unicode stay past it, and fail as text like any of them.
            const unsigned long code = std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10);
            sjis::appendUtf8(out, static_cast<char32_t>(std::min(code, 0x110000UL)));
        } else {
            out += text.substr(i, semi - i + 1);
        }
        i = semi;
    }
    return out;
}

std::string attribute(std::string_view tag, std::string_view name)
{
    for (std::size_t at = 1; at < tag.size(); ++at) {
        if (!holdsNoCase(tag, at, name))
            continue;
        std::size_t i = at + name.size();
        const bool boundary = at > 0 && isSpace(tag[at - 1]);
        while (i < tag.size() && isSpace(tag[i]))
            ++i;
        if (boundary && i < tag.size() && tag[i] == '=') {
            ++i;
            while (i < tag.size() && isSpace(tag[i]))
                ++i;
            if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
                const std::size_t end = tag.find(tag[i], i + 1);
                if (end != std::string_view::npos)
                    return decodeEntities(tag.substr(i + 1, end - i - 1));
            }
        }
    }
    return {};
}

// Skips blanks, comments and processing instructions.
std::size_t skipMisc(std::string_view text, std::size_t i)
{
    for (;;) {
        while (i < text.size() && isSpace(text[i]))
            ++i;
        if (text.substr(i, 4) == "<!--") {
            const std::size_t end = text.find("-->", i + 4);
            i = end == std::string_view::npos ? text.size() : end + 3;
        } else if (text.substr(i, 2) == "<?") {
            const std::size_t end = text.find("?>", i + 2);
            i = end == std::string_view::npos ? text.size() : end + 2;
        } else {
            return i;
        }
    }
}

// The start of the next record element ("<RECORD>" or "<RECORD ...>", not "<RECORDS>") at or
// after `from`.
std::size_t findAdxRecord(std::string_view text, std::size_t from)
{
    for (std::size_t pos = from; (pos = text.find('<', pos)) != std::string_view::npos;) {
        const std::size_t past = pastNonMarkup(text, pos);
        if (past != pos) {
            pos = past;
            continue;
        }
        if (holdsNoCase(text, pos + 1, "RECORD") && pos + 7 < text.size() &&
            (text[pos + 7] == '>' || isSpace(text[pos + 7])))
            return pos;
        ++pos;
    }
    return std::string_view::npos;
}

// Reads the records of an ADX file from `from` (the start, or where a record element starts),
// stopping when the next record starts exactly at `splitAt`. Values without entities are
// handed on as views of the file's bytes.
StretchEnd parseAdx(std::string_view text, std::size_t from, std::size_t splitAt, ParsedFile &file,
                    const RecordHandler &onRecord, ProgressSink &progress)
{
    AdifRecord record;
    std::string appName;
    std::size_t pos = from;
    std::size_t reported = from;
    while ((pos = findAdxRecord(text, pos)) != std::string_view::npos) {
        if (pos == splitAt)
            return StretchEnd::Split;
        std::size_t i = text.find('>', pos + 7);
        record.clear();
        // The file ends inside this record (an element never closed): it is not handed on.
        bool cut = i == std::string_view::npos;
        i = cut ? text.size() : i + 1;
        while (!cut) {
            i = skipMisc(text, i);
            if (i >= text.size()) {
                cut = true;
                break;
            }
            if (text[i] != '<') {
                file.wellFormed = false;
                break;
            }
            if (i + 1 < text.size() && text[i + 1] == '/') { // </RECORD>
                i = text.find('>', i);
                i = i == std::string_view::npos ? text.size() : i + 1;
                break;
            }
            // The element's name, then the tag's end: mostly right after the name.
            std::size_t n = i + 1;
            while (n < text.size() && !endsElementName(text[n]))
                ++n;
            const std::size_t tagEnd = n < text.size() && text[n] == '>' ? n : text.find('>', n);
            if (tagEnd == std::string_view::npos) {
                cut = true;
                break;
            }
            const std::string_view element = text.substr(i + 1, n - i - 1);
            const std::string_view tag = text.substr(i, tagEnd - i);
            std::string_view name = element;
            if (element.size() == 3 && holdsNoCase(element, 0, "APP")) {
                appName = "APP_" + upperAscii(attribute(tag, "PROGRAMID")) + "_" +
                          upperAscii(attribute(tag, "FIELDNAME"));
                name = appName;
            } else if (element.size() == 7 && holdsNoCase(element, 0, "USERDEF")) {
                appName = "USERDEF_" + upperAscii(attribute(tag, "FIELDNAME"));
                name = appName;
            }
            if (text[tagEnd - 1] == '/') { // <NAME/>: empty
                record.add(name, {});
                i = tagEnd + 1;
                continue;
            }
            // The end tag: "</" and the element's name, usually as the start tag spells it,
            // else in any letter case.
            const auto closes = [&](std::size_t at) {
                return text.compare(at + 2, element.size(), element) == 0 ||
                       holdsNoCase(text, at + 2, element);
            };
            // Mostly the next '<' begins it, and the content between holds no markup.
            std::size_t close = text.find('<', tagEnd + 1);
            const bool noMarkup = close != std::string_view::npos && close + 1 < text.size() &&
                                  text[close + 1] == '/' && closes(close);
            if (!noMarkup) {
                close = tagEnd + 1;
                while ((close = text.find('<', close)) != std::string_view::npos) {
                    const std::size_t past = pastNonMarkup(text, close);
                    if (past != close)
                        close = past;
                    else if (close + 1 < text.size() && text[close + 1] == '/' && closes(close))
                        break;
                    else
                        ++close;
                }
            }
            if (close == std::string_view::npos) {
                cut = true;
                break;
            }
            const std::string_view content = text.substr(tagEnd + 1, close - tagEnd - 1);
            if (content.find('&') == std::string_view::npos &&
                (noMarkup || content.find('<') == std::string_view::npos))
                record.addBorrowed(name, content);
            else
                record.add(name, decodeEntities(content));
            // The end tag's '>', mostly right after its name.
            const std::size_t afterName = close + 2 + element.size();
            i = afterName < text.size() && text[afterName] == '>' ? afterName
                                                                  : text.find('>', close);
            i = i == std::string_view::npos ? text.size() : i + 1;
        }
        if (cut) {
            file.wellFormed = false;
            noteCutOff(file, file.skipped + pos, record);
            return StretchEnd::FileEnd;
        }
        if (!record.empty())
            onRecord(record, file.charset);
        pos = i;
        if (pos - reported > (1u << 20)) {
            progress.advance(static_cast<std::int64_t>(std::min(pos, splitAt)));
            reported = pos;
        }
    }
    return StretchEnd::FileEnd;
}

// The file's format and, for an ADI file, how its texts are encoded; `bytes` loses a UTF-8
// byte-order mark.
ParsedFile recognise(std::string_view &bytes)
{
    ParsedFile file;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
        file.skipped = 3;
        file.charset = Charset::Utf8;
    }
    std::size_t first = 0;
    while (first < bytes.size() && isSpace(bytes[first]))
        ++first;
    if (holdsNoCase(bytes, first, "<?XML") || holdsNoCase(bytes, first, "<ADX")) {
        file.format = Format::Adx;
        const std::size_t declEnd = bytes.find("?>");
        const std::string encoding =
            declEnd == std::string_view::npos
                ? std::string()
                : upperAscii(attribute(bytes.substr(first, declEnd - first), "encoding"));
        if (encoding == "SHIFT_JIS" || encoding == "SHIFT-JIS" || encoding == "CP932" ||
            encoding == "WINDOWS-31J")
            file.charset = Charset::ShiftJis;
        else if (encoding == "ISO-8859-1" || encoding == "ISO-8859-15" || encoding == "LATIN1" ||
                 encoding == "WINDOWS-1252" || encoding == "CP1252")
            file.charset = Charset::Windows1252;
        else // XML's own default; character references give UTF-8 even in an ASCII file
            file.charset = Charset::Utf8;
    } else if (file.charset != Charset::Utf8) {
        // The records decide: a header in one encoding (often the program's own) does not
        // decide the texts of the contacts.
        std::size_t body = 0;
        if (first < bytes.size() && bytes[first] != '<') {
            const std::size_t eoh = findNoCase(bytes, "<EOH>");
            body = eoh == std::string_view::npos ? 0 : eoh + 5;
        }
        file.charset = detectCharset(bytes.substr(body));
    }
    return file;
}

} // namespace

std::optional<std::string> utf8FromUtf16(std::string_view bytes)
{
    bool little = true;
    std::size_t at = 0;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        at = 2;
    } else if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
        little = false;
        at = 2;
    } else {
        // Without a byte-order mark: ASCII text (tags, field names) has a zero byte in every
        // other place, and a UTF-8 or Shift_JIS file has none.
        const std::size_t probe = std::min<std::size_t>(bytes.size() & ~std::size_t{1}, 256);
        std::size_t evenZeros = 0;
        std::size_t oddZeros = 0;
        for (std::size_t i = 0; i < probe; ++i)
            if (bytes[i] == '\0')
                ++(i % 2 == 0 ? evenZeros : oddZeros);
        if (probe < 4 || std::max(evenZeros, oddZeros) * 4 < probe)
            return std::nullopt;
        little = oddZeros > evenZeros;
    }
    std::string out;
    out.reserve(bytes.size() / 2 + 16);
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(little ? a | b << 8 : a << 8 | b);
    };
    for (std::size_t i = at; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        sjis::appendUtf8(out, c);
    }
    return out;
}

ParsedFile parseAdif(std::string_view bytes, const RecordHandler &onRecord, ProgressSink &progress,
                     const std::function<void()> &)
{
    ParsedFile file = recognise(bytes);
    progress.begin(static_cast<std::int64_t>(bytes.size()));
    if (file.format == Format::Adx)
        parseAdx(bytes, 0, kNoSplit, file, onRecord, progress);
    else
        parseAdi(bytes, 0, kNoSplit, file, onRecord, progress);
    progress.end();
    return file;
}

ParsedFile parseAdifInTwo(std::string_view bytes, const StretchHandler &first,
                          const StretchHandler &second, ProgressSink &progress,
                          std::size_t splitFrom)
{
    std::string_view text = bytes;
    ParsedFile file = recognise(text);
    const bool adx = file.format == Format::Adx;
    // ADI: just after an <EOR>; ADX: where a record element starts.
    std::size_t splitAt = std::string_view::npos;
    if (text.size() >= splitFrom && first.startOver && second.startOver &&
        std::thread::hardware_concurrency() > 1) {
        splitAt =
            adx ? findAdxRecord(text, text.size() / 2) : findNoCase(text, "<EOR>", text.size() / 2);
        if (!adx && splitAt != std::string_view::npos)
            splitAt += 5;
    }
    if (splitAt == std::string_view::npos)
        return parseAdif(bytes, first.onRecord, progress, first.startOver);

    progress.begin(static_cast<std::int64_t>(splitAt));
    ParsedFile secondFile = file; // the second stretch notes what it finds apart
    const auto read = [&](std::size_t from, std::size_t until, ParsedFile &found,
                          const RecordHandler &onRecord, ProgressSink &sink) {
        return adx ? parseAdx(text, from, until, found, onRecord, sink)
                   : parseAdi(text, from, until, found, onRecord, sink);
    };
    const auto readSecond = [&] {
        NoProgress quiet;
        read(splitAt, kNoSplit, secondFile, second.onRecord, quiet);
    };
    std::thread thread;
    try {
        thread = std::thread(readSecond);
    } catch (const std::system_error &) {
        // No thread to be had: the second stretch is read after the first.
    }
    const StretchEnd firstEnd = read(0, splitAt, file, first.onRecord, progress);
    if (thread.joinable())
        thread.join();
    else if (firstEnd == StretchEnd::Split)
        readSecond();
    if (firstEnd == StretchEnd::Split) {
        file.wellFormed = file.wellFormed && secondFile.wellFormed;
        file.lengthsInCharacters = file.lengthsInCharacters || secondFile.lengthsInCharacters;
        if (secondFile.cutOff) {
            file.cutOff = true;
            file.cutOffAt = secondFile.cutOffAt;
            file.cutOffCallsign = std::move(secondFile.cutOffCallsign);
        }
    } else {
        // A split inside a record (an "<EOR>" in some text): the first stretch read the rest
        // of the file as well.
        second.startOver();
    }
    progress.end();
    return file;
}

} // namespace vz::adif
