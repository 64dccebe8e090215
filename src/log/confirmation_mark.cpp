// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/confirmation_mark.h"

#include "common/sjis.h"

namespace vz::log {

bool holdsConfirmationMark(std::string_view userMark, std::string_view mark)
{
    if (mark.empty())
        return false;
    for (std::size_t pos = 0; pos + mark.size() <= userMark.size();) {
        if (userMark.compare(pos, mark.size(), mark) == 0)
            return true;
        pos += sjis::isLeadByte(static_cast<unsigned char>(userMark[pos])) ? 2 : 1;
    }
    return false;
}

} // namespace vz::log
