// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/radio_call.h"

namespace vz::log {

std::string toRadioCall(std::string_view call, std::string_view area, std::string_view form)
{
    std::string result(call);
    // A form left empty (the modify mode stores such records) means no form, as "-" does.
    const bool hasForm = !form.empty() && form != "-";
    // Appended piece by piece: GCC 12 at -O3 reports a false overlap for "/" + std::string.
    if (area == "A" && hasForm)
        return result.append(1, '/').append(form);
    if (area.size() == 1 && area[0] >= '0' && area[0] <= '9') {
        result.append(1, '/').append(area);
        if (hasForm)
            result.append(1, '/').append(form);
    }
    return result;
}

} // namespace vz::log
