// SPDX-License-Identifier: GPL-3.0-or-later
// The Shift_JIS conversions over any bytes: the table-driven conversions must give what iconv
// gives, in both directions, and cutting and trimming must stay inside the text and never
// split a double-byte character.
#include "common/sjis.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);

    const std::string utf8 = sjis::toUtf8(bytes);
    if (utf8 != sjis::toUtf8ThroughIconv(bytes))
        std::abort();
    if (sjis::fromUtf8(bytes) != sjis::fromUtf8ThroughIconv(bytes))
        std::abort();
    // What was decoded encodes again, except the replacement marks of undecodable bytes.
    if (utf8.find("\xEF\xBF\xBD") == std::string::npos && !sjis::fromUtf8(utf8))
        std::abort();

    const std::size_t width = size == 0 ? 0 : data[0] % 32;
    const std::string_view cut = sjis::cutToWidth(bytes, width);
    if (cut.size() > width || cut.data() != bytes.data() || sjis::cutToWidth(cut, width) != cut)
        std::abort();

    const std::string_view trimmed = sjis::trimBlanks(bytes);
    if (!trimmed.empty() && (sjis::isBlank(trimmed.front()) || sjis::isBlank(trimmed.back())))
        std::abort();
    return 0;
}
