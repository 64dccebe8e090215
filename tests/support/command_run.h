// SPDX-License-Identifier: GPL-3.0-or-later
// One vezolog command run in the test's own process, with what it printed.
#pragma once

#include "cli/commands.h"

#include <sstream>
#include <string>

namespace vz::test {

struct CommandRun
{
    int status;
    std::string out;
    std::string err;
};

inline CommandRun runCommand(int (*command)(const cli::Args &, std::ostream &, std::ostream &),
                             const cli::Args &args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = command(args, out, err);
    return {status, out.str(), err.str()};
}

} // namespace vz::test
