// SPDX-License-Identifier: GPL-3.0-or-later
// Running tqsl: a small interface so that the command line runs it with posix_spawn and the
// window with its own process object, and the steps around the run stay the same.
#pragma once

#include "lotw/tqsl_exit.h"

#include <chrono>
#include <string>
#include <vector>

namespace vz::lotw {

class TqslRunner
{
public:
    virtual ~TqslRunner() = default;
    // Runs argv[0] (looked up in PATH when it has no slash) with the arguments after it, and
    // stops it at the time limit. Never throws.
    virtual TqslRun run(const std::vector<std::string> &argv, std::chrono::seconds limit) = 0;
};

// The environment TQSL runs in: the caller's, in the C locale, so that its lines are the same
// whatever language the desktop has (and a locale the system lacks cannot stop it with a
// dialog).
std::vector<std::string> tqslEnvironment();

// posix_spawn, standard output and error read through one pipe, SIGTERM at the time limit and
// SIGKILL two seconds later.
class SpawnRunner final : public TqslRunner
{
public:
    TqslRun run(const std::vector<std::string> &argv, std::chrono::seconds limit) override;
};

// The path of `program` found in PATH (or `program` itself when it holds a slash and is
// executable); empty when there is none.
std::string findProgram(const std::string &program);

} // namespace vz::lotw
