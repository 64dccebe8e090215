// SPDX-License-Identifier: GPL-3.0-or-later
// The program's version as the build sets it: written into ADIF files and shown by vezolog.
#pragma once

namespace vz {

const char *programVersion();

} // namespace vz
