// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/start_file.h"

#include "common/callsign.h"
#include "common/file_io.h"

namespace vz::app {

std::optional<std::string> readStartFile(const std::string &path)
{
    const auto bytes = files::readAll(path);
    if (!bytes)
        return std::nullopt;
    std::string call = fromCallSlot(*bytes);
    if (!isValidOwnCallsign(call))
        return std::nullopt;
    return call;
}

bool writeStartFile(const std::string &path, const std::string &call)
{
    if (!isValidOwnCallsign(call))
        return false;
    const CallSlot slot = toCallSlot(call);
    return files::replaceAtomically(path, std::string_view(slot.data(), slot.size()));
}

} // namespace vz::app
