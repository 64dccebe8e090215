// SPDX-License-Identifier: GPL-3.0-or-later
// make_synthetic_log FILE [RECORDS] [DELETED_SHARE]: writes a realistic synthetic log.
#include "synthetic_log.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_synthetic_log FILE [RECORDS] [DELETED_SHARE]\n");
        return 2;
    }
    vz::bench::SyntheticLogOptions options;
    if (argc > 2)
        options.records = std::atoi(argv[2]);
    if (argc > 3)
        options.deletedShare = std::atof(argv[3]);
    if (!vz::bench::writeSyntheticLog(argv[1], options)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
