// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/geodesy.h"

#include "common/sjis.h"

#include <cmath>
#include <cstdio>

#include <gtest/gtest.h>

using namespace vz::log;

namespace {

DmsPosition at(double latDeg, double lonDeg, double latMin = 0, double lonMin = 0)
{
    return {latDeg, latMin, 0, lonDeg, lonMin, 0};
}

std::string utf8Line(const DmsPosition &own, const DmsPosition &other)
{
    return vz::sjis::toUtf8(distanceBearingText(own, other));
}

} // namespace

TEST(Geodesy, SamePlaceIsZeroDistanceAndBearing)
{
    const DistanceBearing r = distanceBearing({35, 41, 38, 139, 45, 12}, {35, 41, 38, 139, 45, 12});
    EXPECT_EQ(r.distanceKm, 0);
    EXPECT_EQ(r.bearingDeg, 0);
    EXPECT_EQ(r.compassDegrees, 0);
    EXPECT_EQ(utf8Line({35, 41, 38, 139, 45, 12}, {35, 41, 38, 139, 45, 12}),
              " 距離     0.0Km   方位（アンテナ角度）     0度");
}

TEST(Geodesy, TheFourCompassDirections)
{
    struct Case
    {
        const char *name;
        DmsPosition own, other;
        double bearing;
    };
    const Case cases[] = {
        {"north", at(35, 139), at(36, 139), 0},
        {"east on the equator", at(0, 10), at(0, 11), 90},
        {"south", at(36, 139), at(35, 139), 180},
        {"west on the equator", at(0, 11), at(0, 10), 270},
    };
    for (const Case &c : cases) {
        const DistanceBearing r = distanceBearing(c.own, c.other);
        EXPECT_NEAR(r.bearingDeg, c.bearing, 1e-9) << c.name;
        EXPECT_EQ(r.compassDegrees, static_cast<int>(c.bearing)) << c.name;
    }
}

TEST(Geodesy, OneDegreeOfLatitudeIs111Point2Km)
{
    const DistanceBearing r = distanceBearing(at(35, 139), at(36, 139));
    EXPECT_NEAR(r.distanceKm, 111.177, 0.001);
    EXPECT_EQ(utf8Line(at(35, 139), at(36, 139)), " 距離   111.2Km   方位（アンテナ角度）     0度");
}

TEST(Geodesy, RoundForDisplayRoundsHalfUpOnTheDroppedDigit)
{
    // n = 2 for the distance, shown with one decimal; n = 1 for the bearing, shown with none.
    const struct
    {
        double x;
        int n;
        double rounded;
        const char *shown;
    } cases[] = {
        {123.45, 2, 123.5, "123.5"}, // second decimal exactly 5 after truncation: up
        {123.44, 2, 123.44, "123.4"},
        {111.177, 2, 111.2, "111.2"},
        {0.05, 2, 0.1, "0.1"},
        {0.0, 2, 0.0, "0.0"},
        {89.5, 1, 90, "90"},
        {89.49, 1, 89.4, "89"},
        {359.96, 1, 360, "360"}, // shown as 360, not 0
        {2.5, 1, 3, "3"},        // where printf alone would give the even 2
    };
    for (const auto &c : cases) {
        const double r = roundForDisplay(c.x, c.n);
        EXPECT_DOUBLE_EQ(r, c.rounded) << c.x << " n=" << c.n;
        char shown[32];
        std::snprintf(shown, sizeof shown, "%.*f", c.n - 1, r);
        EXPECT_STREQ(shown, c.shown) << c.x << " n=" << c.n;
    }
}

TEST(Geodesy, ABearingOf359Point96IsShownAs360)
{
    // Due north less a hair: a point slightly west of north.
    const DmsPosition own{35, 0, 0, 139, 0, 0};
    const DmsPosition other{36, 0, 0, 138, 59, 58};
    DistanceBearing r;
    const std::string line = vz::sjis::toUtf8(distanceBearingText(own, other, &r));
    ASSERT_GT(r.bearingDeg, 359.95);
    ASSERT_LT(r.bearingDeg, 360);
    EXPECT_EQ(r.compassDegrees, 360);
    EXPECT_NE(line.find("   360度"), std::string::npos) << line;
}

TEST(Geodesy, ClosePlacesNeverFailThroughRounding)
{
    // One second of longitude apart: the cosine of the angle rounds to 1 or a hair above it.
    for (int s = 0; s < 60; ++s) {
        const DistanceBearing r = distanceBearing({35, 41, 38, 139, 45, static_cast<double>(s)},
                                                  {35, 41, 38, 139, 45, s + 1.0});
        EXPECT_TRUE(std::isfinite(r.distanceKm));
        EXPECT_LT(r.distanceKm, 0.05);
        EXPECT_NEAR(r.bearingDeg, 90, 0.01);
    }
}
