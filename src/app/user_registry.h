// SPDX-License-Identifier: GPL-3.0-or-later
// CallSign.DAT: the registered users as 10-byte callsign slots in registration order.
#pragma once

#include <string>
#include <vector>

namespace vz::app {

// Every slot's text in file order; a missing file is an empty list and a partial last slot is
// ignored.
std::vector<std::string> listUsers(const std::string &path);
bool isRegistered(const std::string &path, const std::string &call);
// Appends one slot, creating the file when missing; false when it could not be written.
bool appendUser(const std::string &path, const std::string &call);

} // namespace vz::app
