// SPDX-License-Identifier: GPL-3.0-or-later
// The LoTW upload settings of a user, in the [LoTW] section of the user's settings file
// (written only when the operator changes them), and the station locations TQSL knows.
#pragma once

#include "lotw/tqsl_command.h"

#include <string>
#include <vector>

namespace vz::lotw {

struct TqslSettings
{
    std::string location; // TQSL's station location to sign with
    std::string program = kDefaultTqslProgram;

    bool operator==(const TqslSettings &) const = default;
};

// Defaults when the file or the section is missing, or the file cannot be read.
TqslSettings readTqslSettings(const std::string &settingsPath);
// Sets the keys of the section and nothing else; false when the file could not be written.
bool writeTqslSettings(const std::string &settingsPath, const TqslSettings &settings);

// TQSL's station data file of the user running the program: ~/.tqsl/station_data.
std::string tqslStationDataPath();
// The names of the station locations in a station data file (an XML file of <StationData
// name="..."> elements), in file order; empty when it is missing or holds none.
std::vector<std::string> stationLocations(const std::string &stationDataPath);

} // namespace vz::lotw
