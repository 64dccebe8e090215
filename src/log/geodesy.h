// SPDX-License-Identifier: GPL-3.0-or-later
// Distance and antenna bearing from the own station to the worked station's city, on a sphere
// of radius 6370 km. Positions are northern latitudes and eastern longitudes in degrees,
// minutes and seconds (lat d m s, lon d m s), as the personal information and the JCC master
// hold them; hemisphere letters are not applied.
#pragma once

#include <array>
#include <string>

namespace vz::log {

using DmsPosition = std::array<double, 6>; // lat d m s, lon d m s

struct DistanceBearing
{
    double distanceKm = 0;  // great-circle distance
    double bearingDeg = 0;  // initial course, clockwise from true north, 0..360
    int compassDegrees = 0; // the displayed bearing in whole degrees, for the compass needle
};

// Both values; a computation that cannot give a finite result gives 0 and 0. The arcsine takes
// its argument clamped to [-1, 1], so that rounding never turns two close places into a
// failure.
DistanceBearing distanceBearing(const DmsPosition &own, const DmsPosition &other);

// Rounds half up on the (n)th decimal and drops it: with n = 2, 123.45 becomes 123.5; with
// n = 1, 89.5 becomes 90. A relative nudge of 2^-52 keeps values such as 123.45, which binary
// holds as 123.4499.., from falling short.
double roundForDisplay(double x, int n);

// " 距離  %6.1lfKm   方位（アンテナ角度）%6.0lf度" with the distance and the bearing, each
// rounded for display; Shift_JIS. `result` receives the values the line shows.
std::string distanceBearingText(const DmsPosition &own, const DmsPosition &other,
                                DistanceBearing *result = nullptr);

} // namespace vz::log
