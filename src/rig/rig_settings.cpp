// SPDX-License-Identifier: GPL-3.0-or-later
#include "rig/rig_settings.h"

#include "common/profile_file.h"
#include "common/sjis.h"

#include <algorithm>

namespace vz::rig {

namespace {

std::string sj(std::string_view utf8)
{
    return sjis::fromUtf8(utf8).value_or(std::string());
}

struct Names
{
    std::string section = sj("リグ接続");
    std::string link = sj("接続");
    std::string model = sj("機種");
    std::string serialPort = sj("ポート");
    std::string speed = sj("速度");
    std::string rigctld = "rigctld";
    std::string dataMode = sj("データモード");
};

const Names &names()
{
    static const Names n;
    return n;
}

RigLink linkOf(int stored)
{
    switch (stored) {
    case 1:
        return RigLink::Radio;
    case 2:
        return RigLink::Rigctld;
    default:
        return RigLink::None;
    }
}

int storedLink(RigLink link)
{
    switch (link) {
    case RigLink::Radio:
        return 1;
    case RigLink::Rigctld:
        return 2;
    case RigLink::None:
        break;
    }
    return 0;
}

} // namespace

RigSettings readRigSettings(const std::string &settingsPath)
{
    RigSettings s;
    const auto file = ProfileFile::load(settingsPath);
    if (!file)
        return s;
    const Names &n = names();
    s.link = linkOf(file->integer(n.section, n.link, 0));
    s.model = file->integer(n.section, n.model, 0);
    s.serialPort = file->text(n.section, n.serialPort, "");
    s.speed = std::max(0, file->integer(n.section, n.speed, 0));
    s.rigctldAddress = file->text(n.section, n.rigctld, kDefaultRigctldAddress);
    s.dataMode = std::string(
        sjis::cutToWidth(file->text(n.section, n.dataMode, kDefaultDataMode), kDataModeBytes));
    // An emptied data mode would leave the packet modes without a name.
    if (s.dataMode.empty())
        s.dataMode = kDefaultDataMode;
    if (s.link == RigLink::Radio && s.model <= 0)
        s.link = RigLink::None;
    return s;
}

bool writeRigSettings(const std::string &settingsPath, const RigSettings &settings)
{
    auto file = ProfileFile::load(settingsPath);
    if (!file)
        return false; // never replace a file that could not be read
    const Names &n = names();
    file->setInteger(n.section, n.link, storedLink(settings.link));
    file->setInteger(n.section, n.model, settings.model);
    file->set(n.section, n.serialPort, settings.serialPort);
    file->setInteger(n.section, n.speed, settings.speed);
    file->set(n.section, n.rigctld, settings.rigctldAddress);
    file->set(n.section, n.dataMode, settings.dataMode);
    return file->save(settingsPath);
}

std::optional<RigTarget> targetOf(const RigSettings &settings)
{
    switch (settings.link) {
    case RigLink::Radio:
        if (settings.model <= 0)
            return std::nullopt;
        return RigTarget{settings.model, settings.serialPort, settings.speed};
    case RigLink::Rigctld:
        return RigTarget{kRigctldModel,
                         settings.rigctldAddress.empty() ? std::string(kDefaultRigctldAddress)
                                                         : settings.rigctldAddress,
                         0};
    case RigLink::None:
        break;
    }
    return std::nullopt;
}

} // namespace vz::rig
