// SPDX-License-Identifier: GPL-3.0-or-later
#include "lotw/tqsl_command.h"

namespace vz::lotw {

std::vector<std::string> tqslArguments(const TqslCommand &c)
{
    std::vector<std::string> argv{c.program, "-d", "-q", "-a", "compliant", "-l", c.location};
    if (c.signedPath.empty()) {
        argv.emplace_back("-u");
    } else {
        argv.emplace_back("-o");
        argv.push_back(c.signedPath);
    }
    argv.push_back(c.adifPath);
    return argv;
}

} // namespace vz::lotw
