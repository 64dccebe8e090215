// SPDX-License-Identifier: GPL-3.0-or-later
// A second program on the data folder for the tests of several writers at once: it does what
// the window does, through the same domain routines, in a process of its own.
//   writer_helper reorganize WORKDIR CALL     the log reorganized (exit 0, 3 when busy)
//   writer_helper register WORKDIR CALL       CALL registered (exit 0, 4 when listed already)
//   writer_helper append WORKDIR CALL PREFIX N  N contacts PREFIX0.. appended one at a time
#include "app/log_maintenance.h"
#include "app/session.h"
#include "app/user_registry.h"
#include "common/progress.h"
#include "log/log_file.h"

#include <cstdio>
#include <string>

using namespace vz;

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    const std::string what = argv[1];
    app::AppState state;
    app::initDataDir(state, argv[2]);
    state.currentCall = argv[3];
    app::buildUserPaths(state);
    NoProgress quiet;
    if (what == "reorganize") {
        app::openLog(state, quiet);
        switch (app::reorganizeLog(state, quiet).result) {
        case app::ReorganizeResult::Ok:
            return 0;
        case app::ReorganizeResult::Busy:
            return 3;
        case app::ReorganizeResult::Failed:
            return 1;
        }
    }
    if (what == "register") {
        switch (app::registerUser(state.callSignPath, state.currentCall)) {
        case app::RegistryResult::Ok:
            return 0;
        case app::RegistryResult::AlreadyRegistered:
            return 4;
        default:
            return 1;
        }
    }
    if (what == "append" && argc == 6) {
        const int count = std::stoi(argv[5]);
        for (int i = 0; i < count; ++i) {
            log::FieldTexts t;
            t[0] = std::string(argv[4]) + std::to_string(i);
            t[3] = "24/01/01";
            t[4] = "12:00";
            const log::QsoRecord record = log::buildRecord(t, true, true);
            if (log::appendAtEnd(state.logPath, {std::span<const log::QsoRecord>(&record, 1)})
                    .result != log::IoResult::Ok)
                return 1;
        }
        return 0;
    }
    return 2;
}
