// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/user_registry.h"

#include "common/callsign.h"
#include "common/data_dir.h"
#include "common/file_io.h"
#include "common/file_lock.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
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

RegistryResult registerUser(const std::string &path, const std::string &call)
{
    if (!isValidOwnCallsign(call))
        return RegistryResult::Failed;
    // Two registrations at once: each looks and appends under the lock, so neither writes over
    // the other's slot and a callsign is never listed twice.
    FileLock lock;
    switch (lock.acquire(path, LockMode::Exclusive, kRecordLockWait, true)) {
    case LockResult::Ok:
        break;
    case LockResult::Busy:
        return RegistryResult::Busy;
    case LockResult::Failed:
        return RegistryResult::Failed;
    }
    if (isRegistered(path, call))
        return RegistryResult::AlreadyRegistered;
    struct stat st
    {
    };
    if (::fstat(lock.fd(), &st) != 0)
        return RegistryResult::Failed;
    // After the last whole slot, so a damaged tail never shifts the slots that follow.
    const auto at = static_cast<off_t>(st.st_size / static_cast<off_t>(kCallSlotSize) *
                                       static_cast<off_t>(kCallSlotSize));
    const CallSlot slot = toCallSlot(call);
    const bool ok =
        files::writeAllAt(lock.fd(), {slot.data(), slot.size()}, static_cast<std::uint64_t>(at)) &&
        ::fsync(lock.fd()) == 0;
    return ok ? RegistryResult::Ok : RegistryResult::Failed;
}

bool appendUser(const std::string &path, const std::string &call)
{
    return registerUser(path, call) == RegistryResult::Ok;
}

} // namespace vz::app
