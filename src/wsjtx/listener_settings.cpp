// SPDX-License-Identifier: GPL-3.0-or-later
#include "wsjtx/listener_settings.h"

#include "common/whole_number.h"

#include "common/profile_file.h"

#include <arpa/inet.h>
#include <charconv>

namespace vz::wsjtx {

namespace {

constexpr const char *kSection = "WSJTX";

std::vector<std::string> splitList(const std::string &text)
{
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find(',', at), text.size());
        std::string item = text.substr(at, end - at);
        const auto first = item.find_first_not_of(' ');
        const auto last = item.find_last_not_of(' ');
        if (first != std::string::npos)
            out.push_back(item.substr(first, last - first + 1));
        at = end + 1;
    }
    return out;
}

} // namespace

ListenerSettings readListenerSettings(const std::string &settingsPath)
{
    ListenerSettings s;
    const auto file = ProfileFile::load(settingsPath);
    if (!file)
        return s;
    s.enabled = file->boolean(kSection, "Enabled", false);
    s.address = file->text(kSection, "Address", kDefaultAddress);
    if (s.address.empty())
        s.address = kDefaultAddress;
    s.port = file->integer(kSection, "Port", kDefaultPort);
    if (s.port < 1 || s.port > 65535)
        s.port = kDefaultPort;
    s.interfaceName = file->text(kSection, "Interface", "");
    s.qslCard = file->boolean(kSection, "QslCard", false);
    s.forwardTo = splitList(file->text(kSection, "ForwardTo", ""));
    return s;
}

bool writeListenerSettings(const std::string &settingsPath, const ListenerSettings &settings)
{
    auto file = ProfileFile::load(settingsPath);
    if (!file)
        return false; // never replace a file that could not be read
    file->setBoolean(kSection, "Enabled", settings.enabled);
    file->set(kSection, "Address", settings.address);
    file->setInteger(kSection, "Port", settings.port);
    file->set(kSection, "Interface", settings.interfaceName);
    file->setBoolean(kSection, "QslCard", settings.qslCard);
    std::string list;
    for (const auto &f : settings.forwardTo)
        list += (list.empty() ? "" : ",") + f;
    file->set(kSection, "ForwardTo", list);
    return file->save(settingsPath);
}

bool isMulticastGroup(const std::string &address)
{
    in_addr a{};
    if (::inet_pton(AF_INET, address.c_str(), &a) != 1)
        return false;
    return (ntohl(a.s_addr) >> 28) == 0xE;
}

bool parseEndpoint(const std::string &text, Endpoint &out)
{
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    const auto port = parseWholeNumber(std::string_view(text).substr(colon + 1), 1, 65535);
    if (!port)
        return false;
    out = {text.substr(0, colon), static_cast<int>(*port)};
    return true;
}

} // namespace vz::wsjtx
