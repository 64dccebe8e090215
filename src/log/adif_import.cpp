// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/adif_import.h"

#include "common/data_dir.h"
#include "common/progress.h"
#include "common/sjis.h"
#include "log/adif_fields.h"
#include "log/call_area.h"
#include "log/entry_assist.h"
#include "log/log_file.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace vz::log::adif {

namespace {

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool startsWithNoCase(std::string_view text, std::size_t at, std::string_view word)
{
    if (at > text.size() || text.size() - at < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (upper(text[at + i]) != word[i])
            return false;
    return true;
}

std::size_t findNoCase(std::string_view text, std::string_view word, std::size_t from = 0)
{
    // Every word looked for starts with "<", which a plain search finds fast.
    for (std::size_t i = text.find(word[0], from); i != std::string_view::npos;
         i = text.find(word[0], i + 1))
        if (startsWithNoCase(text, i, word))
            return i;
    return std::string_view::npos;
}

bool isNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
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

std::size_t bytesOfCharacters(std::string_view text, std::size_t at, std::size_t count,
                              Charset charset)
{
    std::size_t i = at;
    for (std::size_t n = 0; n < count && i < text.size(); ++n)
        i += characterBytes(text, i, charset);
    return std::min(i, text.size()) - at;
}

Charset detectCharset(std::string_view bytes)
{
    if (isAscii(bytes))
        return Charset::Ascii;
    return isUtf8(bytes) ? Charset::Utf8 : Charset::ShiftJis;
}

// True when some character of `value` runs past its end: the length that cut it counted
// characters, not bytes.
bool endsInsideCharacter(std::string_view value, Charset charset)
{
    if (isAscii(value))
        return false;
    std::size_t i = 0;
    while (i < value.size())
        i += characterBytes(value, i, charset);
    return i != value.size();
}

// Reads the fields of an ADI file, lengths taken as characters when `file` says so. With
// `watchLengths` set, reading stops (returning false) at the first byte length that ends inside
// a character, the sign of a file whose lengths count characters.
bool parseAdi(std::string_view text, const ParsedFile &file, const RecordHandler &onRecord,
              ProgressSink &progress, bool watchLengths)
{
    // A file that does not start with "<" has a header, ended by <EOH>.
    std::size_t pos = 0;
    if (!text.empty() && text[0] != '<') {
        const std::size_t eoh = findNoCase(text, "<EOH>");
        pos = eoh == std::string_view::npos ? 0 : eoh + 5;
    }
    AdifRecord record;
    std::size_t reported = 0;
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
            if (name.size() == 3 && startsWithNoCase(name, 0, "EOR")) {
                if (!record.empty())
                    onRecord(record, file.charset);
                record.clear();
            } else if (name.size() == 3 && startsWithNoCase(name, 0, "EOH")) {
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
            length = length * 10 + static_cast<std::size_t>(text[j] - '0');
            digits = true;
            ++j;
            if (length > text.size())
                break;
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
        length = std::min(length, text.size() - start);
        if (file.lengthsInCharacters)
            length = bytesOfCharacters(text, start, length, file.charset);
        const std::string_view value = text.substr(start, length);
        if (watchLengths && endsInsideCharacter(value, file.charset))
            return false;
        record.addBorrowed(name, value);
        pos = start + length;
        if (pos - reported > (1u << 20)) {
            progress.advance(static_cast<std::int64_t>(pos));
            reported = pos;
        }
    }
    // A last record without <EOR> is still a record.
    if (!record.empty())
        onRecord(record, file.charset);
    return true;
}

// ---- ADX: the small part of XML it uses --------------------------------------------------

void appendUtf8(std::string &out, unsigned long cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string decodeEntities(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
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
            appendUtf8(out, std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10));
        } else {
            out += text.substr(i, semi - i + 1);
        }
        i = semi;
    }
    return out;
}

std::string attribute(std::string_view tag, std::string_view name)
{
    const std::string upperTag = upperAscii(tag);
    const std::string upperName = upperAscii(name);
    std::size_t at = 0;
    while ((at = upperTag.find(upperName, at)) != std::string::npos) {
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
        at += name.size();
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

void parseAdx(std::string_view text, ParsedFile &file, const RecordHandler &onRecord,
              ProgressSink &progress)
{
    AdifRecord record;
    std::size_t pos = 0;
    while ((pos = findNoCase(text, "<RECORD", pos)) != std::string_view::npos) {
        std::size_t i = pos + 7;
        if (i >= text.size() || (text[i] != '>' && !isSpace(text[i]))) {
            pos = i; // <RECORDS>
            continue;
        }
        i = text.find('>', i);
        if (i == std::string_view::npos)
            break;
        ++i;
        record.clear();
        for (;;) {
            i = skipMisc(text, i);
            if (i >= text.size() || text[i] != '<') {
                file.wellFormed = false;
                break;
            }
            if (i + 1 < text.size() && text[i + 1] == '/') { // </RECORD>
                i = text.find('>', i);
                i = i == std::string_view::npos ? text.size() : i + 1;
                break;
            }
            const std::size_t tagEnd = text.find('>', i);
            if (tagEnd == std::string_view::npos) {
                file.wellFormed = false;
                i = text.size();
                break;
            }
            std::size_t n = i + 1;
            while (n < tagEnd && !isSpace(text[n]) && text[n] != '/')
                ++n;
            const std::string element = upperAscii(text.substr(i + 1, n - i - 1));
            const std::string_view tag = text.substr(i, tagEnd - i);
            std::string name = element;
            if (element == "APP") {
                name = "APP_" + upperAscii(attribute(tag, "PROGRAMID")) + "_" +
                       upperAscii(attribute(tag, "FIELDNAME"));
            } else if (element == "USERDEF") {
                name = "USERDEF_" + upperAscii(attribute(tag, "FIELDNAME"));
            }
            if (text[tagEnd - 1] == '/') { // <NAME/>: empty
                record.add(name, {});
                i = tagEnd + 1;
                continue;
            }
            // The end tag: "</" and the element's name in any letter case.
            std::size_t close = text.find("</", tagEnd + 1);
            while (close != std::string_view::npos && !startsWithNoCase(text, close + 2, element))
                close = text.find("</", close + 2);
            if (close == std::string_view::npos) {
                file.wellFormed = false;
                i = text.size();
                break;
            }
            const std::string_view content = text.substr(tagEnd + 1, close - tagEnd - 1);
            record.add(std::move(name), content.find_first_of("&<") == std::string_view::npos
                                            ? std::string(content)
                                            : decodeEntities(content));
            i = text.find('>', close);
            i = i == std::string_view::npos ? text.size() : i + 1;
        }
        if (!record.empty())
            onRecord(record, file.charset);
        pos = i;
        progress.advance(static_cast<std::int64_t>(pos));
    }
}

// A UTF-8 text in Shift_JIS, characters without a Shift_JIS form replaced by "?".
std::string toShiftJis(std::string_view utf8, bool &replaced)
{
    if (auto whole = sjis::fromUtf8(utf8))
        return std::move(*whole);
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t n = std::min(characterBytes(utf8, i, Charset::Utf8), utf8.size() - i);
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

// The contacts of a log by callsign, date and start time: an open-addressed table of the
// three texts side by side, since every imported contact is looked up in it.
class ContactKeys
{
public:
    explicit ContactKeys(std::size_t expected) { grow(expected * 2 + 16); }

    // False when the contact was there already.
    bool insert(const QsoRecord &record)
    {
        Key key{};
        std::size_t at = 0;
        for (const Field f : {Field::Callsign, Field::QsoDate, Field::StartTime}) {
            const std::string_view text = record.field(f);
            std::copy(text.begin(), text.end(), key.begin() + static_cast<std::ptrdiff_t>(at));
            at += fieldSpec(f).width;
        }
        if ((m_count + 1) * 2 > m_keys.size())
            grow(m_keys.size() * 2);
        if (!place(key))
            return false;
        ++m_count;
        return true;
    }

    void clear()
    {
        std::fill(m_used.begin(), m_used.end(), false);
        m_count = 0;
    }

private:
    using Key = std::array<char, 24>; // callsign 7, date 9, start time 6, zero-filled

    static std::size_t hash(const Key &key)
    {
        std::array<std::uint64_t, 3> words{};
        std::memcpy(words.data(), key.data(), key.size());
        std::uint64_t h = words[0] * 0x9E3779B97F4A7C15ULL;
        h = (h ^ (h >> 31) ^ words[1]) * 0xC2B2AE3D27D4EB4FULL;
        h = (h ^ (h >> 29) ^ words[2]) * 0x165667B19E3779F9ULL;
        return static_cast<std::size_t>(h ^ (h >> 32));
    }

    bool place(const Key &key)
    {
        const std::size_t mask = m_keys.size() - 1;
        for (std::size_t i = hash(key) & mask;; i = (i + 1) & mask) {
            if (!m_used[i]) {
                m_used[i] = true;
                m_keys[i] = key;
                return true;
            }
            if (m_keys[i] == key)
                return false;
        }
    }

    void grow(std::size_t atLeast)
    {
        std::size_t size = 64;
        while (size < atLeast)
            size *= 2;
        std::vector<Key> keys = std::move(m_keys);
        std::vector<char> used = std::move(m_used);
        m_keys.assign(size, Key{});
        m_used.assign(size, false);
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (used[i])
                place(keys[i]);
    }

    std::vector<Key> m_keys;
    std::vector<char> m_used;
    std::size_t m_count = 0;
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

std::string callsignForReport(const AdifRecord &record, Charset charset)
{
    const auto call = record.find("CALL");
    if (!call)
        return {};
    return charset == Charset::ShiftJis ? sjis::toUtf8(*call) : std::string(*call);
}

} // namespace

ParsedFile parseAdif(std::string_view bytes, const RecordHandler &onRecord, ProgressSink &progress,
                     const std::function<void()> &startOver)
{
    ParsedFile file;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
        file.charset = Charset::Utf8;
    }
    std::size_t first = 0;
    while (first < bytes.size() && isSpace(bytes[first]))
        ++first;
    progress.begin(static_cast<std::int64_t>(bytes.size()));
    if (startsWithNoCase(bytes, first, "<?XML") || startsWithNoCase(bytes, first, "<ADX")) {
        file.format = Format::Adx;
        const std::size_t declEnd = bytes.find("?>");
        const std::string encoding =
            declEnd == std::string_view::npos
                ? std::string()
                : upperAscii(attribute(bytes.substr(first, declEnd - first), "encoding"));
        if (encoding == "SHIFT_JIS" || encoding == "SHIFT-JIS" || encoding == "CP932" ||
            encoding == "WINDOWS-31J")
            file.charset = Charset::ShiftJis;
        else // XML's own default; character references give UTF-8 even in an ASCII file
            file.charset = Charset::Utf8;
        parseAdx(bytes, file, onRecord, progress);
    } else {
        if (file.charset != Charset::Utf8)
            file.charset = detectCharset(bytes);
        // Some programs count characters, not bytes; which one is decided for the whole file.
        // Bytes are tried first; a length that ends inside a character means characters, and
        // the file is read again from the start (after a dry pass when nobody can start over).
        const bool watch = file.charset != Charset::Ascii;
        if (watch && !startOver) {
            NoProgress quiet;
            file.lengthsInCharacters = !parseAdi(
                bytes, file, [](AdifRecord &, Charset) {}, quiet, true);
            parseAdi(bytes, file, onRecord, progress, false);
        } else if (!parseAdi(bytes, file, onRecord, progress, watch)) {
            startOver();
            file.lengthsInCharacters = true;
            parseAdi(bytes, file, onRecord, progress, false);
        }
    }
    progress.end();
    return file;
}

ImportSummary importAdif(const std::string &adifPath, const std::string &logPath,
                         std::int32_t nextRecordNo, const PrefixTable &table,
                         const ImportOptions &options, ProgressSink &progress)
{
    ImportSummary summary;
    const std::optional<std::string> bytes = files::readAll(adifPath);
    if (!bytes) {
        summary.result = ImportResult::FileUnreadable;
        return summary;
    }

    // The contacts already in the log, by callsign, date and start time. A contact takes a few
    // hundred bytes of ADIF.
    const std::size_t expected = bytes->size() / 256;
    const std::uint64_t logBytes = files::size(logPath).value_or(0);
    ContactKeys known(expected + logBytes / kRecordSize);
    const auto loadKnown = [&] {
        known.clear();
        if (!files::exists(logPath))
            return true;
        const std::optional<std::string> log = files::readAll(logPath);
        if (!log)
            return false;
        QsoRecord record;
        for (std::size_t at = 0; at + kRecordSize <= log->size(); at += kRecordSize) {
            std::copy_n(log->data() + at, kRecordSize, record.bytes.data());
            if (!record.isDeleted())
                known.insert(record);
        }
        return true;
    };
    if (!loadKnown()) {
        summary.result = ImportResult::LogUnreadable;
        return summary;
    }

    std::vector<QsoRecord> accepted;
    accepted.reserve(expected);
    Charset charset = Charset::Ascii;
    std::vector<std::string> replacedIn;
    std::vector<ImportIssue> changes;
    auto take = [&](AdifRecord &raw) {
        const std::int64_t position = ++summary.read;
        replacedIn.clear();
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (charset == Charset::Utf8 && !isAscii(raw.value(i))) {
                bool replaced = false;
                raw.setValue(i, toShiftJis(raw.value(i), replaced));
                if (replaced)
                    replacedIn.emplace_back(raw.name(i));
            }
            if (!raw.isKnown(i))
                ++summary.ignoredFields[std::string(raw.name(i))];
        }
        const Conversion c = toLogRecord(raw, table);
        const auto call = [&] { return callsignForReport(raw, charset); };
        if (c.refusal) {
            summary.refused.push_back({position, call(), *c.refusal});
            return;
        }
        changes.clear();
        for (const Field f : c.cuts)
            changes.push_back({position, call(),
                               std::string(fieldLabel(f)) + "を欄の幅（" +
                                   std::to_string(maxTextBytes(f)) + "バイト）で切りました"});
        for (const std::string &name : replacedIn)
            changes.push_back({position, call(), name + " の Shift_JIS にない文字を ? にしました"});
        if (options.strict && !changes.empty()) {
            summary.refused.push_back(
                {position, call(), "取り込むと変わります: " + changes[0].what});
            return;
        }
        if (!known.insert(c.record)) {
            ++summary.duplicates;
            return;
        }
        summary.changed.insert(summary.changed.end(), changes.begin(), changes.end());
        accepted.push_back(c.record);
        // Indexed as opening the log files it: under its callsign's area (the conversion's
        // area is that one unless the contact was portable).
        const bool portable = portableAreaOf(c.record.field(Field::PortableArea)).has_value();
        summary.areas.push_back(portable ? classifyCallArea(c.record.field(Field::Callsign), table)
                                         : c.area);
    };
    // A file read again from the start (its lengths counted characters) forgets the first try.
    auto startOver = [&] {
        summary = ImportSummary();
        accepted.clear();
        loadKnown();
    };

    // The charset is decided for the whole file before any value is read.
    summary.file = parseAdif(
        *bytes,
        [&](AdifRecord &raw, Charset fileCharset) {
            charset = fileCharset;
            take(raw);
        },
        progress, startOver);
    summary.imported = static_cast<std::int64_t>(accepted.size());
    if (!accepted.empty()) {
        summary.firstRecordNo = nextRecordNo;
        summary.lastRecordNo = nextRecordNo + static_cast<std::int32_t>(accepted.size()) - 1;
    }
    if (!options.dryRun && appendRecords(logPath, nextRecordNo, accepted) != IoResult::Ok) {
        summary.result = ImportResult::WriteFailed;
        summary.imported = 0;
        summary.firstRecordNo = summary.lastRecordNo = 0;
        summary.areas.clear();
    }
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

std::string issueLine(const ImportIssue &issue)
{
    return std::to_string(issue.adifRecord) + " 件目 " +
           (issue.callsign.empty() ? std::string("(コールなし)") : issue.callsign) + ": " +
           issue.what;
}

} // namespace

std::string summaryText(const ImportSummary &summary, bool dryRun)
{
    std::string out;
    switch (summary.result) {
    case ImportResult::FileUnreadable:
        return "ADIFファイルが読めません\n";
    case ImportResult::LogUnreadable:
        return "ログファイルが読めません\n";
    case ImportResult::WriteFailed:
        out += "ログファイルに書き込めませんでした。ログは取込前のままです\n";
        break;
    case ImportResult::Ok:
        break;
    }
    out += summary.file.format == Format::Adx ? "形式 ADX" : "形式 ADI";
    out += ", 文字コード ";
    out += charsetName(summary.file.charset);
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
    if (!summary.refused.empty()) {
        out += "取込不可:\n";
        listLines(out, summary.refused, issueLine);
    }
    if (!summary.changed.empty()) {
        out += "変更して取込:\n";
        listLines(out, summary.changed, issueLine);
    }
    if (!summary.ignoredFields.empty()) {
        out += "置き場所のない項目 (読み飛ばし):";
        for (const auto &[name, count] : summary.ignoredFields)
            out += " " + name + " " + std::to_string(count) + " 件";
        out += "\n";
    }
    return out;
}

std::string summaryText(const ExportSummary &summary)
{
    std::string out;
    if (summary.result == ExportResult::LogUnreadable)
        return "ログファイルが読めません\n";
    if (summary.result == ExportResult::WriteFailed)
        out += "ADIFファイルに書き込めませんでした\n";
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
    return out;
}

} // namespace vz::log::adif
