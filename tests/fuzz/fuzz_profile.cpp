// SPDX-License-Identifier: GPL-3.0-or-later
// The profile reader over any bytes, and the user's settings file through it: a parsed file
// written out and parsed again is written out the same, and settings read from any file,
// written and read again are the settings that were read.
#include "app/user_settings.h"
#include "common/profile_file.h"
#include "fuzz/fuzz_file.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

using namespace vz;

namespace {

bool sameSettings(const app::UserSettings &a, const app::UserSettings &b)
{
    const auto sameSpot = [](const app::SpotCoordinates &x, const app::SpotCoordinates &y) {
        return std::memcmp(x.data(), y.data(), sizeof x) == 0;
    };
    return a.fixedStrings == b.fixedStrings && a.fixedJcc == b.fixedJcc &&
           a.kanjiName == b.kanjiName && a.latinName == b.latinName &&
           a.kanjiAddress == b.kanjiAddress && a.latinAddress == b.latinAddress &&
           a.mobileJcc == b.mobileJcc && a.cardNo == b.cardNo && a.rig == b.rig &&
           a.antenna == b.antenna && a.domesticRemark == b.domesticRemark &&
           a.foreignRemark == b.foreignRemark && a.extraInfo == b.extraInfo &&
           a.fixedCity == b.fixedCity && a.fixedLatLon == b.fixedLatLon &&
           a.mobileCity == b.mobileCity && a.mobileLatLon == b.mobileLatLon &&
           a.mobileOperation == b.mobileOperation && sameSpot(a.fixedSpot, b.fixedSpot) &&
           sameSpot(a.mobileSpot, b.mobileSpot) && a.historyFill == b.historyFill &&
           a.autoDateTime == b.autoDateTime && a.keyClick == b.keyClick &&
           a.flatWindow == b.flatWindow && a.reserve1 == b.reserve1 && a.reserve2 == b.reserve2;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);

    ProfileFile profile = ProfileFile::parse(bytes);
    const std::string once = profile.serialize();
    if (ProfileFile::parse(once).serialize() != once)
        std::abort();
    (void)profile.integer("A", "B", 7);
    profile.set("A", "B", "x");
    if (profile.value("a", "b") != "x")
        std::abort();

    const std::string path = fuzz::fileHolding("JA1ZZZ.ini", bytes);
    const app::LoadedSettings first = app::readUserSettings(path);
    if (!app::writeUserSettings(path, first.settings, first.reference))
        std::abort();
    const app::LoadedSettings again = app::readUserSettings(path);
    if (!sameSettings(first.settings, again.settings) ||
        first.reference.referenceCall != again.reference.referenceCall ||
        first.reference.referenceOn != again.reference.referenceOn ||
        first.reference.deletedFlag != again.reference.deletedFlag)
        std::abort();
    return 0;
}
