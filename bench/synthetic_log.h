// SPDX-License-Identifier: GPL-3.0-or-later
// Realistic synthetic logs for the benchmarks: mostly Japanese stations (area 1 the busiest),
// some special-prefix and 8J stations, about one contact in nine abroad, real city names and
// JCC numbers, the usual bands and modes, and a share of deleted records.
#pragma once

#include <cstdint>
#include <string>

namespace vz::bench {

struct SyntheticLogOptions
{
    std::int32_t records = 1000000;
    double deletedShare = 0.02;
    std::uint32_t seed = 1;
    // Places drawn from every city, ward and district of the shipped JCC master (some often,
    // many rarely, a few since merged), a share of them portable, and about a third of the
    // contacts marked as confirmed: a log to look at award progress on. Off, the log has the
    // few places the other benchmarks have always used.
    bool masterPlaces = false;
};

// Writes the log to `path`; false when it could not be written.
bool writeSyntheticLog(const std::string &path, const SyntheticLogOptions &options);

// A data directory (under the system's temporary folder) holding PreFix.CFG and a synthetic log
// "BENCH.DAT" of the given size, made once and reused by later runs. Returns the directory
// (ending in "/").
std::string benchDataDir(std::int32_t records, double deletedShare = 0.02);

// A callsign worked often in the synthetic logs (common area 1), and one of a rare area.
inline constexpr const char *kCommonCall = "JA1AAA";
inline constexpr const char *kRareCall = "JS0ZZZ";

// The seconds one plain sequential read of a file takes (the yardstick the passes are
// compared with), best of `runs`.
double plainReadSeconds(const std::string &path, int runs = 3);

} // namespace vz::bench
