// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include <ostream>

namespace vz::cli {

bool checkRecordRange(long long from, long long to, long long last, std::ostream &err)
{
    if (from < 1 || from > last || to < 1 || to > last) {
        err << "範囲外のナンバーです\n";
        return false;
    }
    if (from > to) {
        err << "vezolog: the range ends before it starts: --from " << from << " --to " << to
            << "\n";
        return false;
    }
    return true;
}

} // namespace vz::cli
