// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/version.h"

namespace vz {

const char *programVersion()
{
    return VEZO_VERSION;
}

} // namespace vz
