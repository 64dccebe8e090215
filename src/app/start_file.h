// SPDX-License-Identifier: GPL-3.0-or-later
// Start.DAT: one 10-byte callsign slot naming the user of the previous run.
#pragma once

#include <optional>
#include <string>

namespace vz::app {

// The callsign, or nullopt when the file is missing, empty or does not hold a valid callsign
// (any of which is a first run).
std::optional<std::string> readStartFile(const std::string &path);
bool writeStartFile(const std::string &path, const std::string &call);

} // namespace vz::app
