// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/user_registry.h"

#include "common/callsign.h"
#include "common/file_io.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace vz::app {

std::vector<std::string> listUsers(const std::string &path)
{
    std::vector<std::string> users;
    const auto bytes = files::readAll(path);
    if (!bytes)
        return users;
    const std::string_view all(*bytes);
    for (std::size_t at = 0; at + kCallSlotSize <= all.size(); at += kCallSlotSize)
        users.push_back(fromCallSlot(all.substr(at, kCallSlotSize)));
    return users;
}

bool isRegistered(const std::string &path, const std::string &call)
{
    const auto users = listUsers(path);
    return std::find(users.begin(), users.end(), call) != users.end();
}

bool appendUser(const std::string &path, const std::string &call)
{
    if (!isValidOwnCallsign(call))
        return false;
    const auto size = files::size(path).value_or(0);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, files::kNewFileMode);
    if (fd < 0)
        return false;
    // After the last whole slot, so a damaged tail never shifts the slots that follow.
    const auto at = static_cast<off_t>(size / kCallSlotSize * kCallSlotSize);
    const CallSlot slot = toCallSlot(call);
    bool ok = ::pwrite(fd, slot.data(), slot.size(), at) == static_cast<ssize_t>(slot.size());
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    return ok;
}

} // namespace vz::app
