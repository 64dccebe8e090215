// SPDX-License-Identifier: GPL-3.0-or-later
#include "adif/adif_exchange.h"

#include "common/version.h"

#include <cstdio>

namespace vz::app {

namespace {

std::string ownJcc(const UserSettings &settings)
{
    return settings.mobileOperation ? settings.mobileJcc : settings.fixedJcc;
}

} // namespace

adif::ImportOptions adifImportOptions(const UserSettings &settings, const std::string &call)
{
    adif::ImportOptions options;
    options.confirmationMark = settings.confirmationMark;
    options.lotwMark = settings.lotwMark;
    options.eqslMark = settings.eqslMark;
    options.ownCallsign = call;
    options.ownJcc = ownJcc(settings);
    return options;
}

adif::ExportOptions adifExportOptions(const UserSettings &settings, const std::string &call,
                                      const calendar::ClockSnapshot &clock, adif::Format format,
                                      adif::Charset charset)
{
    adif::ExportOptions options;
    options.format = format;
    options.charset = charset;
    options.stationCallsign = call;
    options.ownJcc = ownJcc(settings);
    options.confirmationMark = settings.confirmationMark;
    options.lotwMark = settings.lotwMark;
    options.eqslMark = settings.eqslMark;
    options.currentYear = clock.local.year;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d %02d%02d%02d", clock.utc.year, clock.utc.month,
                  clock.utc.day, clock.utc.hour, clock.utc.minute, clock.utc.second);
    options.createdTimestamp = stamp;
    options.programVersion = vz::programVersion();
    return options;
}

} // namespace vz::app
