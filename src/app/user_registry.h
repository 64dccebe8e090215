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
enum class RegistryResult {
    Ok,
    AlreadyRegistered, // another program registered the callsign meanwhile: nothing written
    Busy,              // another program held the registry's lock for the whole wait
    Failed,            // not a callsign, or the file could not be written
};

// Appends one slot under the registry's lock, after the last whole slot as the file stands
// then, creating the file when missing.
RegistryResult registerUser(const std::string &path, const std::string &call);
// The same, true only on Ok.
bool appendUser(const std::string &path, const std::string &call);

} // namespace vz::app
