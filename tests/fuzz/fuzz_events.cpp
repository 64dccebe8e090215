// SPDX-License-Identifier: GPL-3.0-or-later
// The event file over any bytes (a torn last record included): the events of a few days are
// shown, then one event is added, and that day shows it last, whatever the file held.
#include "calendar/event_file.h"
#include "fuzz/fuzz_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vz;
using namespace vz::calendar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const std::string path = fuzz::fileHolding("JA1ZZZ.pln", bytes);

    const int day = size == 0 ? 1 : 1 + data[0] % 31;
    std::string line;
    for (const int month : {1, 2, 12})
        if (showDayEvents(path, 2026, month, day, line) != EventIo::Ok)
            std::abort();

    const std::string key = dayPatterns(2026, 12, day).oneTime;
    const EventRecordBytes built = buildEventRecord(key, "FUZZ");
    if (built[kEventKeyMax] != 0)
        std::abort();
    if (appendEvent(path, key, "FUZZ") != EventIo::Ok)
        std::abort();
    line.clear();
    if (showDayEvents(path, 2026, 12, day, line) != EventIo::Ok || !line.ends_with("FUZZ"))
        std::abort();
    return 0;
}
