// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/sjis.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

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

} // namespace

bool isLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::string toUtf8(std::string_view sjis)
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
        out += "\xEF\xBF\xBD";
        sjis.remove_prefix(std::min(sjis.size(), consumed + skip));
    }
    return out;
}

std::optional<std::string> fromUtf8(std::string_view utf8)
{
    std::string out;
    std::size_t consumed = 0;
    Converter &c = fromUtf8Converter();
    if (!c.valid() || !c.convert(utf8, out, consumed))
        return std::nullopt;
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

std::string_view trimBlanks(std::string_view sjis)
{
    auto isBlank = [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c <= 0x20 || c == 0x7F;
    };
    while (!sjis.empty() && isBlank(sjis.front()))
        sjis.remove_prefix(1);
    while (!sjis.empty() && isBlank(sjis.back()))
        sjis.remove_suffix(1);
    return sjis;
}

} // namespace vz::sjis
