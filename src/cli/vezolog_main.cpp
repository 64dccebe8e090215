// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include <iostream>

int main(int argc, char **argv)
{
    const vz::cli::Args args(argv + 1, argv + argc);
    return vz::cli::runVezolog(args, std::cout, std::cerr);
}
