// SPDX-License-Identifier: GPL-3.0-or-later
// The command line tqsl is run with. Every option that would otherwise open a dialog is given:
// -d (no date-range dialog), -a compliant (leave out duplicates without asking), -l (the
// station location), and -q to end when done; a certificate with a password still asks.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace vz::lotw {

inline constexpr const char *kDefaultTqslProgram = "tqsl";
// Long enough for a slow upload of a large log, short enough that a waiting dialog ends.
inline constexpr std::chrono::seconds kDefaultTimeLimit{600};

struct TqslCommand
{
    std::string program = kDefaultTqslProgram;
    std::string location;
    std::string adifPath;
    std::string signedPath; // when set, sign into this file (-o) instead of uploading (-u)
};

std::vector<std::string> tqslArguments(const TqslCommand &command);

} // namespace vz::lotw
