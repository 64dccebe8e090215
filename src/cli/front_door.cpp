// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include "app/session.h"
#include "app/user_settings.h"
#include "common/callsign.h"
#include "common/data_dir.h"
#include "common/file_io.h"

#include <ostream>
#include <sys/stat.h>

namespace vz::cli {

int enterCommand(Needs needs, const std::string &dataDir, const std::string &call,
                 app::AppState &user, std::ostream &err)
{
    if (!isValidOwnCallsign(call)) {
        err << "vezolog: not a callsign (A-Z and 0-9, 1 to 10 characters): " << call << "\n";
        return 2;
    }
    struct stat st
    {
    };
    if (::stat(dataDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        err << "vezolog: no data directory: " << dataDir << "\n";
        return 1;
    }
    user.dataDir = DataDir(dataDir);
    user.prefixPath = user.dataDir.path("PreFix.CFG");
    user.currentCall = call;
    app::buildUserPaths(user);
    if (needs.log && !files::exists(user.logPath)) {
        err << "vezolog: no log for " << call << ": " << user.logPath << "\n";
        return 1;
    }
    if (needs.settings) {
        const app::LoadedSettings loaded = app::readUserSettings(user.settingsPath);
        if (!loaded.readable) {
            err << "vezolog: cannot read " << user.settingsPath << "\n";
            return 1;
        }
        user.settings = loaded.settings;
        // What the file held: a later save writes only what the command changed, and a print
        // run reserves its card numbers from the file as it then stands.
        user.settingsBaseline = {loaded.settings, loaded.reference};
    }
    return 0;
}

bool readPrefixTable(app::AppState &user, std::ostream &err)
{
    user.prefixTable.setPath(user.prefixPath);
    if (!user.prefixTable.unreadable())
        return true;
    err << "vezolog: cannot read " << user.prefixPath << "\n";
    return false;
}

} // namespace vz::cli
