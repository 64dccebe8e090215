// SPDX-License-Identifier: GPL-3.0-or-later
// make_synthetic_log FILE [RECORDS] [DELETED_SHARE] [--master-places]: writes a realistic
// synthetic log; with --master-places its places come from the whole JCC master.
#include "synthetic_log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(
            stderr, "usage: make_synthetic_log FILE [RECORDS] [DELETED_SHARE] [--master-places]\n");
        return 2;
    }
    vz::bench::SyntheticLogOptions options;
    if (std::strcmp(argv[argc - 1], "--master-places") == 0) {
        options.masterPlaces = true;
        --argc;
    }
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
