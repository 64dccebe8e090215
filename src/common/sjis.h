// SPDX-License-Identifier: GPL-3.0-or-later
// Shift_JIS (code page 932) text. Every stored text of the logbook is Shift_JIS and every
// width counts bytes; conversion to UTF-8 happens only where text meets a window or a terminal.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vz::sjis {

// True for the first byte of a double-byte character (0x81-0x9F, 0xE0-0xFC).
bool isLeadByte(unsigned char c);

// Shift_JIS bytes to UTF-8. Bytes that do not decode become U+FFFD, so damaged
// records still show what can be shown.
std::string toUtf8(std::string_view sjis);
// The same conversion made through iconv a run at a time, as toUtf8 does when it cannot build
// its table of characters; the tests compare the two.
std::string toUtf8ThroughIconv(std::string_view sjis);

// UTF-8 to Shift_JIS; nullopt when a character has no Shift_JIS form.
std::optional<std::string> fromUtf8(std::string_view utf8);
// The same through iconv a run at a time, as fromUtf8 does for what its table does not hold.
std::optional<std::string> fromUtf8ThroughIconv(std::string_view utf8);

// The longest prefix of at most `width` bytes that does not split a double-byte character.
std::string_view cutToWidth(std::string_view sjis, std::size_t width);

// Blanks and control characters as trimBlanks sees them: bytes <= 0x20 and 0x7F.
inline bool isBlank(char ch)
{
    const auto c = static_cast<unsigned char>(ch);
    return c <= 0x20 || c == 0x7F;
}

// Appends the UTF-8 form of code point `c`.
void appendUtf8(std::string &out, char32_t c);

// Text with leading and trailing blanks and control characters removed (bytes <= 0x20 and 0x7F;
// a trail byte is never taken for one because trail bytes are >= 0x40). Inline: every field of
// every record read passes through it.
inline std::string_view trimBlanks(std::string_view sjis)
{
    while (!sjis.empty() && isBlank(sjis.front()))
        sjis.remove_prefix(1);
    while (!sjis.empty() && isBlank(sjis.back()))
        sjis.remove_suffix(1);
    return sjis;
}

} // namespace vz::sjis
