// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/own_location.h"

#include "common/data_dir.h"
#include "common/sjis.h"

#include <cstdio>

namespace vz::places {

namespace {

const char *wordOf(std::string_view hemisphere)
{
    if (hemisphere == "N")
        return "北緯";
    if (hemisphere == "S")
        return "南緯";
    if (hemisphere == "E")
        return "東経";
    if (hemisphere == "W")
        return "西経";
    return "";
}

} // namespace

std::string positionText(const JccMasterRecord &r)
{
    char line[160];
    std::snprintf(line, sizeof line, "  %s  %3d度 %2d分 %2d秒    %s  %3d度 %02d分 %02d秒",
                  wordOf(r.text(MasterText::LatHemisphere)), r.number(MasterNumber::LatDegrees),
                  r.number(MasterNumber::LatMinutes), r.number(MasterNumber::LatSeconds),
                  wordOf(r.text(MasterText::LonHemisphere)), r.number(MasterNumber::LonDegrees),
                  r.number(MasterNumber::LonMinutes), r.number(MasterNumber::LonSeconds));
    return sjis::fromUtf8(line).value_or(std::string());
}

OwnCity lookupOwnCity(const DataDir &dataDir, std::string_view jcc)
{
    OwnCity out;
    const MasterRecords found = findByJccNumber(dataDir, jcc);
    if (found.result != MasterRead::Ok || found.records.empty())
        return out;
    const JccMasterRecord &r = found.records.front();
    out.found = true;
    out.city = std::string(r.cityName());
    out.positionText = positionText(r);
    out.spot = r.position();
    return out;
}

} // namespace vz::places
