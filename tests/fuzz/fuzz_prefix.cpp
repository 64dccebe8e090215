// SPDX-License-Identifier: GPL-3.0-or-later
// PreFix.CFG over any bytes: the table the classification reads (every area it gives is one
// of the eleven) and the list the personal information edits (written out and read again it
// is the same list).
#include "log/call_area.h"
#include "log/prefix_table.h"
#include "places/prefix_list.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);

    log::PrefixTable table;
    table.loadFromBytes(bytes);
    const auto lines = places::PrefixList::parse(bytes);
    for (const std::string &line : lines) {
        if (const auto parsed = log::PrefixTable::parseLine(line))
            if (parsed->second < 0 || parsed->second > 10)
                std::abort();
        // Each line's own text as a callsign, and its first characters.
        for (const std::string_view call :
             {std::string_view(line), std::string_view(line).substr(0, 3)}) {
            if (const auto area = table.lookup(call))
                if (*area < 0 || *area > 10)
                    std::abort();
            const int area = log::classifyCallArea(call, table);
            if (area < 0 || area > 10)
                std::abort();
        }
    }
    if (places::PrefixList::parse(places::PrefixList::serialize(lines)) != lines)
        std::abort();
    return 0;
}
