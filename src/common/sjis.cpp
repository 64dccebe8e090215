// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/sjis.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <mutex>
#include <utility>

namespace vz::sjis {

namespace {

// iconv descriptors are cheap to reuse and expensive to open; one per direction per thread.
class Converter
{
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts one run; returns false at the first byte that cannot be converted,
    // leaving `consumed` at that byte.
    bool convert(std::string_view in, std::string &out, std::size_t &consumed)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char *src = const_cast<char *>(in.data());
        std::size_t srcLeft = in.size();
        char buffer[1024];
        while (srcLeft > 0) {
            char *dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            const std::size_t rc = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
                consumed = in.size() - srcLeft;
                return false;
            }
        }
        consumed = in.size();
        return true;
    }

private:
    iconv_t m_cd;
};

Converter &toUtf8Converter()
{
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter &fromUtf8Converter()
{
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// What iconv makes of one byte, or of a byte that does not decode alone and the byte after it.
struct DecodedChar
{
    // Other: anything the table does not hold (no character, or more than one), left to iconv.
    enum class Kind : std::uint8_t { Invalid, Char, Lead, Other };
    Kind kind = Kind::Invalid;
    std::uint8_t size = 0;
    std::array<char, 4> utf8{};
};

DecodedChar decodeThroughIconv(std::string_view bytes)
{
    DecodedChar c;
    std::string out;
    std::size_t consumed = 0;
    Converter &converter = toUtf8Converter();
    if (!converter.valid())
        return c;
    if (converter.convert(bytes, out, consumed)) {
        if (out.empty() || out.size() > c.utf8.size()) {
            c.kind = DecodedChar::Kind::Other;
            return c;
        }
        c.kind = DecodedChar::Kind::Char;
        c.size = static_cast<std::uint8_t>(out.size());
        std::copy(out.begin(), out.end(), c.utf8.begin());
    } else if (bytes.size() == 1) {
        // A character begun, or none at all: what iconv makes of the pair decides.
        c.kind = DecodedChar::Kind::Lead;
    }
    return c;
}

// Every character of code page 932 as iconv decodes it, taken from iconv once: converting a
// text is then a lookup per character instead of a call through iconv. The rows of two-byte
// characters are filled the first time one of their lead bytes is met.
class DecodeTable
{
public:
    DecodedChar single[256];

    const DecodedChar &pair(unsigned char lead, unsigned char second) const
    {
        std::call_once(m_rowFilled[lead], [this, lead] {
            for (std::size_t b = 0; b < 256; ++b) {
                const char bytes[2] = {static_cast<char>(lead), static_cast<char>(b)};
                m_pairs[lead][b] = decodeThroughIconv(std::string_view(bytes, 2));
            }
        });
        return m_pairs[lead][second];
    }

private:
    mutable std::once_flag m_rowFilled[256];
    mutable DecodedChar m_pairs[256][256];
};

// The table, or none when iconv cannot decode code page 932 here or does not keep ASCII as it
// is (then iconv is used throughout).
const DecodeTable *decodeTable()
{
    static const std::unique_ptr<DecodeTable> table = [] {
        auto t = std::make_unique<DecodeTable>();
        for (std::size_t b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            t->single[b] = decodeThroughIconv(std::string_view(&byte, 1));
            const bool ascii = b < 0x80;
            if (ascii && (t->single[b].kind != DecodedChar::Kind::Char || t->single[b].size != 1 ||
                          t->single[b].utf8[0] != byte))
                return std::unique_ptr<DecodeTable>(); // runs of ASCII are copied as they are
        }
        return t;
    }();
    return table.get();
}

// A character of the Basic Multilingual Plane in code page 932 as iconv encodes it; size 0 when
// it has no such form or the table does not hold it.
struct EncodedChar
{
    std::uint8_t size = 0;
    std::array<char, 2> bytes{};
};

// The other direction, also taken from iconv: a row of 256 code points at a time, filled the
// first time one of them is met.
class EncodeTable
{
public:
    const EncodedChar &of(char32_t c) const
    {
        if (c >= 0x10000)
            return m_none; // code page 932 has none of these
        const std::size_t row = c >> 8;
        std::call_once(m_rowFilled[row], [this, row] {
            for (std::size_t low = 0; low < 256; ++low)
                m_chars[row][low] = encodeThroughIconv(static_cast<char32_t>(row << 8 | low));
        });
        return m_chars[row][c & 0xFF];
    }

private:
    static EncodedChar encodeThroughIconv(char32_t c)
    {
        EncodedChar e;
        if (c >= 0xD800 && c <= 0xDFFF)
            return e; // surrogates are not characters
        std::string utf8;
        appendUtf8(utf8, c);
        std::string out;
        std::size_t consumed = 0;
        Converter &converter = fromUtf8Converter();
        if (converter.valid() && converter.convert(utf8, out, consumed) &&
            (out.size() == 1 || out.size() == 2)) {
            e.size = static_cast<std::uint8_t>(out.size());
            std::copy(out.begin(), out.end(), e.bytes.begin());
        }
        return e;
    }

    EncodedChar m_none;
    mutable std::once_flag m_rowFilled[256];
    mutable EncodedChar m_chars[256][256];
};

// The table, or none when iconv does not keep ASCII as it is here (then iconv is used
// throughout).
const EncodeTable *encodeTable()
{
    static const std::unique_ptr<EncodeTable> table = [] {
        std::string ascii(128, '\0');
        for (std::size_t c = 0; c < ascii.size(); ++c)
            ascii[c] = static_cast<char>(c);
        std::string out;
        std::size_t consumed = 0;
        Converter &converter = fromUtf8Converter();
        if (!converter.valid() || !converter.convert(ascii, out, consumed) || out != ascii)
            return std::unique_ptr<EncodeTable>();
        return std::make_unique<EncodeTable>();
    }();
    return table.get();
}

// The code point of a well-formed UTF-8 sequence of two or three bytes at the start of `text`,
// and its length; nullopt for anything else (left to iconv).
std::optional<std::pair<char32_t, std::size_t>> decodeUtf8(std::string_view text)
{
    const auto at = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const auto follows = [&](std::size_t i, unsigned char low, unsigned char high) {
        return i < text.size() && at(i) >= low && at(i) <= high;
    };
    const unsigned char first = at(0);
    if (first >= 0xC2 && first <= 0xDF && follows(1, 0x80, 0xBF))
        return std::pair{static_cast<char32_t>((first & 0x1F) << 6 | (at(1) & 0x3F)),
                         std::size_t{2}};
    if (first < 0xE0 || first > 0xEF)
        return std::nullopt;
    const unsigned char low = first == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
    const unsigned char high = first == 0xED ? 0x9F : 0xBF; // no surrogates
    if (!follows(1, low, high) || !follows(2, 0x80, 0xBF))
        return std::nullopt;
    return std::pair{
        static_cast<char32_t>((first & 0x0F) << 12 | (at(1) & 0x3F) << 6 | (at(2) & 0x3F)),
        std::size_t{3}};
}

} // namespace

bool isLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::string toUtf8ThroughIconv(std::string_view sjis)
{
    std::string out;
    out.reserve(sjis.size() * 3 / 2);
    Converter &c = toUtf8Converter();
    while (!sjis.empty()) {
        std::size_t consumed = 0;
        if (c.valid() && c.convert(sjis, out, consumed))
            break;
        // Skip one undecodable character (two bytes when it starts with a lead byte).
        std::size_t skip = 1;
        if (consumed < sjis.size() && isLeadByte(static_cast<unsigned char>(sjis[consumed])) &&
            consumed + 1 < sjis.size())
            skip = 2;
        out += kReplacement;
        sjis.remove_prefix(std::min(sjis.size(), consumed + skip));
    }
    return out;
}

std::string toUtf8(std::string_view sjis)
{
    const DecodeTable *table = decodeTable();
    if (!table)
        return toUtf8ThroughIconv(sjis);
    // No byte gives more than three: room is made once, and one spare byte lets every
    // character be copied as four.
    std::string out(sjis.size() * 3 + 1, '\0');
    char *to = out.data();
    std::size_t i = 0;
    while (i < sjis.size()) {
        const auto first = static_cast<unsigned char>(sjis[i]);
        if (first < 0x80) {
            *to++ = static_cast<char>(first);
            ++i;
            continue;
        }
        const DecodedChar *c = &table->single[first];
        std::size_t bytes = 1;
        if (c->kind == DecodedChar::Kind::Lead) {
            c = i + 1 < sjis.size() ? &table->pair(first, static_cast<unsigned char>(sjis[i + 1]))
                                    : nullptr;
            bytes = 2;
        }
        if (c && c->kind == DecodedChar::Kind::Char) {
            std::memcpy(to, c->utf8.data(), c->utf8.size());
            to += c->size;
            i += bytes;
            continue;
        }
        if (c && c->kind == DecodedChar::Kind::Other)
            return toUtf8ThroughIconv(sjis);
        // As through iconv: one undecodable character, two bytes when it starts with a lead
        // byte and a second byte follows.
        to = std::copy(kReplacement.begin(), kReplacement.end(), to);
        i += isLeadByte(first) && i + 1 < sjis.size() ? 2 : 1;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    return out;
}

std::optional<std::string> fromUtf8ThroughIconv(std::string_view utf8)
{
    std::string out;
    std::size_t consumed = 0;
    Converter &c = fromUtf8Converter();
    if (!c.valid() || !c.convert(utf8, out, consumed))
        return std::nullopt;
    return out;
}

std::optional<std::string> fromUtf8(std::string_view utf8)
{
    const EncodeTable *table = encodeTable();
    if (!table)
        return fromUtf8ThroughIconv(utf8);
    // No character gives more bytes than it takes.
    std::string out(utf8.size(), '\0');
    char *to = out.data();
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto first = static_cast<unsigned char>(utf8[i]);
        if (first < 0x80) {
            *to++ = static_cast<char>(first);
            ++i;
            continue;
        }
        const std::optional<std::pair<char32_t, std::size_t>> c = decodeUtf8(utf8.substr(i));
        const EncodedChar *e = c ? &table->of(c->first) : nullptr;
        if (!e || e->size == 0)
            return fromUtf8ThroughIconv(utf8); // what iconv makes of it, failure included
        *to++ = e->bytes[0];
        if (e->size == 2)
            *to++ = e->bytes[1];
        i += c->second;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    return out;
}

std::string_view cutToWidth(std::string_view sjis, std::size_t width)
{
    // Plain ASCII that fits, the usual case, has no character to keep whole.
    if (sjis.size() <= width && std::all_of(sjis.begin(), sjis.end(), [](char c) {
            return static_cast<signed char>(c) >= 0;
        }))
        return sjis;
    std::size_t i = 0;
    while (i < sjis.size()) {
        const std::size_t step = isLeadByte(static_cast<unsigned char>(sjis[i])) ? 2 : 1;
        if (i + step > width || i + step > sjis.size())
            break;
        i += step;
    }
    return sjis.substr(0, i);
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace vz::sjis
