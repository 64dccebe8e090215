// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include "common/file_io.h"
#include "common/printable.h"
#include "common/sjis.h"
#include "log/log_file.h"

#include <cstdio>
#include <ostream>
#include <unistd.h>
#include <vector>

namespace vz::cli {

const char *dumpUsage()
{
    return "usage: vezolog dump DATADIR CALLSIGN\n";
}

int runDump(const Args &args, std::ostream &out, std::ostream &err)
{
    if (args.size() != 2) {
        err << dumpUsage();
        return 2;
    }
    app::AppState user;
    if (const int status = enterCommand(needsOf("dump"), args[0], args[1], user, err))
        return status;
    const int fd = files::openRegularForReading(user.logPath);
    std::FILE *f = fd < 0 ? nullptr : ::fdopen(fd, "rb");
    if (!f && fd >= 0)
        ::close(fd);
    if (!f) {
        err << "vezolog: cannot read " << user.logPath << "\n";
        return 1;
    }
    log::QsoRecord record;
    std::int32_t number = 0;
    while (std::fread(record.bytes.data(), 1, log::kRecordSize, f) == log::kRecordSize) {
        ++number;
        out << number;
        for (std::size_t i = 0; i < log::kTextFieldCount; ++i)
            out << '\t' << printable(sjis::toUtf8(record.field(static_cast<log::Field>(i))));
        out << '\t' << static_cast<int>(record.qslFlag()) << '\n';
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        err << "vezolog: read error in " << user.logPath << "\n";
        return 1;
    }
    return 0;
}

} // namespace vz::cli
