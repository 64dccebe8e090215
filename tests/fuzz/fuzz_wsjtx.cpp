// SPDX-License-Identifier: GPL-3.0-or-later
// The WSJT-X message decoder over any datagram, through the listener as it runs: a decoded
// heartbeat is answered with one that decodes, and contacts held for pairing all come out.
#include "wsjtx/listener_core.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vz::wsjtx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    ListenerCore core("0");
    // The same bytes twice: a 5 held by the first may be paired or expire with the second.
    for (const std::int64_t now : {0, 2000}) {
        const ListenerCore::Outcome out = core.datagram(bytes, now);
        if (out.reply && !decode(*out.reply).ok())
            std::abort();
    }
    (void)core.flush();
    if (core.nextDue() || core.log().size() > ListenerCore::kLogLines)
        std::abort();
    return 0;
}
