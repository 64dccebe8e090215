// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/geodesy.h"

#include "common/sjis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vz::log {

namespace {

constexpr double kEarthRadiusKm = 6370.0;

const double kPi = 4.0 * std::atan(1.0);
const double kHalfPi = 2.0 * std::atan(1.0);

double radians(double degrees, double minutes, double seconds)
{
    return (degrees + minutes / 60.0 + seconds / 3600.0) * kPi / 180.0;
}

DistanceBearing compute(const DmsPosition &own, const DmsPosition &other)
{
    const double phi1 = radians(own[0], own[1], own[2]);
    const double lambda1 = radians(own[3], own[4], own[5]);
    const double phi2 = radians(other[0], other[1], other[2]);
    const double lambda2 = radians(other[3], other[4], other[5]);
    DistanceBearing r;
    if (phi1 == phi2 && lambda1 == lambda2)
        return r;

    const double cp1 = std::cos(phi1), sp1 = std::sin(phi1);
    const double cp2 = std::cos(phi2), sp2 = std::sin(phi2);
    const double cl1 = std::cos(lambda1), sl1 = std::sin(lambda1);
    const double cl2 = std::cos(lambda2), sl2 = std::sin(lambda2);

    const double cosC = cp1 * cl1 * cp2 * cl2 + cp1 * sl1 * cp2 * sl2 + sp1 * sp2;
    const double c = kHalfPi - std::asin(std::clamp(cosC, -1.0, 1.0));
    r.distanceKm = c * kEarthRadiusKm;

    const double y = cl1 * cp2 * sl2 - sl1 * cp2 * cl2;
    // The negative of the usual northward component; the turn below accounts for it.
    const double x = sp1 * cl1 * cp2 * cl2 + sp1 * sl1 * cp2 * sl2 - cp1 * sp2;
    double t;
    if (x == 0)
        t = y > 0 ? kHalfPi : (y < 0 ? -kHalfPi : 0.0);
    else
        t = std::atan(y / x);
    double rr = t;
    if (x < 0)
        rr = t <= 0 ? t + kPi : t - kPi;
    r.bearingDeg = (kPi - rr) / kPi * 180.0;

    if (!std::isfinite(r.distanceKm) || !std::isfinite(r.bearingDeg))
        return DistanceBearing{};
    return r;
}

} // namespace

double roundForDisplay(double x, int n)
{
    const double k = std::pow(10.0, n);
    double b = std::trunc(k * (x + x * std::ldexp(1.0, -52)));
    const double digit = std::fmod(std::fabs(b), 10.0);
    if (digit >= 5)
        b = b - std::copysign(digit, b) + std::copysign(10.0, b);
    return b / k;
}

DistanceBearing distanceBearing(const DmsPosition &own, const DmsPosition &other)
{
    DistanceBearing r = compute(own, other);
    r.compassDegrees = static_cast<int>(roundForDisplay(r.bearingDeg, 1));
    return r;
}

std::string distanceBearingText(const DmsPosition &own, const DmsPosition &other,
                                DistanceBearing *result)
{
    const DistanceBearing r = distanceBearing(own, other);
    if (result)
        *result = r;
    char line[160];
    std::snprintf(line, sizeof line, " 距離  %6.1fKm   方位（アンテナ角度）%6.0f度",
                  roundForDisplay(r.distanceKm, 2), roundForDisplay(r.bearingDeg, 1));
    return sjis::fromUtf8(line).value_or(std::string());
}

} // namespace vz::log
