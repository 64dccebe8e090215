// SPDX-License-Identifier: GPL-3.0-or-later
// Every writer of the program against the permissions of the files it writes: a rewrite keeps
// the old file's mode and group, a new file gets what the umask leaves of 0666.
#include "adif/adif_export.h"
#include "app/log_maintenance.h"
#include "app/session.h"
#include "app/start_file.h"
#include "app/user_registry.h"
#include "app/user_settings.h"
#include "calendar/event_file.h"
#include "common/file_io.h"
#include "common/profile_file.h"
#include "common/progress.h"
#include "log/log_file.h"
#include "log/prefix_table.h"
#include "places/master_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vz;
using vz::test::sj;
using vz::test::TempDir;

namespace {

std::string liveRecord()
{
    log::FieldTexts t;
    t[0] = "JA1XYZ";
    const log::QsoRecord r = log::buildRecord(t, false, true);
    return std::string(r.bytes.data(), r.bytes.size());
}

// The user JA1ABC's state over `dir`, its log opened as the window opens it.
app::AppState openedState(const TempDir &dir)
{
    app::AppState state;
    app::initDataDir(state, dir.path());
    state.currentCall = "JA1ABC";
    app::buildUserPaths(state);
    NoProgress quiet;
    app::openLog(state, quiet);
    return state;
}

places::MasterRow masterRow()
{
    places::MasterRow r;
    r.cell(places::kJccColumn) = "1001";
    r.cell(places::kCityColumn) = sj("東京都");
    r.cell(places::kShortCodeColumn) = sj("ち");
    r.cell(places::kAreaMarkColumn) = "10";
    r.cell(places::kLatHemisphereColumn) = "N";
    r.cell(places::kLonHemisphereColumn) = "E";
    for (const int column : {6, 7, 8, 10, 11, 12})
        r.cell(column) = "10";
    return r;
}

struct Writer
{
    const char *name;
    const char *target;  // the file whose mode is checked
    std::string initial; // its bytes when it exists before the write
    bool rewritesOnly;   // writes only over an existing file
    std::function<void(const TempDir &)> prepare;
    std::function<bool(const TempDir &)> write;
};

std::vector<Writer> writers()
{
    const auto nothing = [](const TempDir &) {};
    const auto withLog = [](const TempDir &dir) { dir.write("JA1ABC.DAT", liveRecord()); };
    return {
        {"settings", "JA1ABC.ini", "[x]\r\n", false, nothing,
         [](const TempDir &dir) { return app::writeUserSettings(dir.file("JA1ABC.ini"), {}, {}); }},
        {"layout", "JA1ABC.prn", "[x]\r\n", false, nothing,
         [](const TempDir &dir) {
             ProfileFile layout;
             layout.set("Layout", "01Top", "10");
             return layout.save(dir.file("JA1ABC.prn"));
         }},
        {"Start.DAT", "Start.DAT", "JA9OLD", false, nothing,
         [](const TempDir &dir) { return app::writeStartFile(dir.file("Start.DAT"), "JA1ABC"); }},
        {"master file", "Master01.cty", "", false, nothing,
         [](const TempDir &dir) {
             return places::saveMasterFile(dir.file("Master01.cty"), {masterRow()}).result ==
                    places::MasterSave::Ok;
         }},
        {"backup before delete", "JA1ABC.BAK", "old copy", false, withLog,
         [](const TempDir &dir) {
             return log::backupBeforeDelete(dir.file("JA1ABC.DAT"), dir.file("JA1ABC.BAK")) ==
                    log::IoResult::Ok;
         }},
        {"log on reorganize", "JA1ABC.DAT", liveRecord() + liveRecord(), true, nothing,
         [](const TempDir &dir) {
             app::AppState state = openedState(dir);
             NoProgress quiet;
             return app::reorganizeLog(state, quiet).result == app::ReorganizeResult::Ok;
         }},
        {"log on restore", "JA1ABC.DAT", liveRecord(), true,
         [](const TempDir &dir) { dir.write("JA1ABC.BAK", liveRecord() + liveRecord()); },
         [](const TempDir &dir) {
             app::AppState state = openedState(dir);
             NoProgress quiet;
             return app::restoreLog(state, quiet).result == app::RestoreResult::Ok;
         }},
        {"log's first contact", "JA1ABC.DAT", "", false, nothing,
         [](const TempDir &dir) {
             log::QsoRecord r;
             return log::appendRecord(dir.file("JA1ABC.DAT"), 1, r) == log::IoResult::Ok;
         }},
        {"registry", "CallSign.DAT", "", false, nothing,
         [](const TempDir &dir) { return app::appendUser(dir.file("CallSign.DAT"), "JA1ABC"); }},
        {"events", "JA1ABC.pln", "", false, nothing,
         [](const TempDir &dir) {
             return calendar::appendEvent(dir.file("JA1ABC.pln"), "20260101", "x") ==
                    calendar::EventIo::Ok;
         }},
        {"ADIF export", "out.adi", "old export", false,
         [](const TempDir &dir) {
             dir.installPrefixTable();
             dir.write("JA1ABC.DAT", liveRecord());
         },
         [](const TempDir &dir) {
             log::PrefixTable table(dir.file("PreFix.CFG"));
             table.refreshIfChanged();
             NoProgress quiet;
             return adif::exportAdif(dir.file("JA1ABC.DAT"), dir.file("out.adi"), table, {}, quiet)
                        .result == adif::ExportResult::Ok;
         }},
    };
}

// Runs `write` in a child process under `mask`: the umask belongs to the whole process.
bool writeUnderUmask(mode_t mask, const std::function<bool()> &write)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::umask(mask);
        ::_exit(write() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace

TEST(FileModes, RewritesKeepModeAndGroupNewFilesFollowTheUmask)
{
    const bool root = ::geteuid() == 0; // only root may give a file any group
    const gid_t otherGroup = 4242;
    struct Case
    {
        bool exists;
        mode_t mode; // of the file before; for a new file, the umask
        mode_t expected;
    };
    const Case cases[] = {
        {true, 0600, 0600}, {true, 0640, 0640}, {true, 0664, 0664},
        {false, 022, 0644}, {false, 077, 0600},
    };
    for (const Writer &w : writers()) {
        for (const Case &c : cases) {
            if (!c.exists && w.rewritesOnly)
                continue;
            SCOPED_TRACE(std::string(w.name) +
                         (c.exists ? " over a file of mode 0" : " under umask 0") +
                         std::to_string(c.mode / 64) + std::to_string(c.mode / 8 % 8) +
                         std::to_string(c.mode % 8));
            TempDir dir;
            w.prepare(dir);
            const std::string target = dir.file(w.target);
            if (c.exists) {
                dir.write(w.target, w.initial);
                ASSERT_EQ(::chmod(target.c_str(), c.mode), 0);
                if (root) {
                    ASSERT_EQ(::chown(target.c_str(), static_cast<uid_t>(-1), otherGroup), 0);
                }
            }
            // A rewrite runs under the strictest umask: the old mode wins all the same.
            ASSERT_TRUE(writeUnderUmask(c.exists ? 077 : c.mode, [&] { return w.write(dir); }));
            struct stat st
            {
            };
            ASSERT_EQ(::stat(target.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, c.expected);
            if (c.exists && root) {
                EXPECT_EQ(st.st_gid, otherGroup);
            }
        }
    }
}

// A new backup is no more open than the log it copies.
TEST(FileModes, ANewBackupTakesTheLogsMode)
{
    TempDir dir;
    dir.write("JA1ABC.DAT", liveRecord());
    ASSERT_EQ(::chmod(dir.file("JA1ABC.DAT").c_str(), 0600), 0);
    ASSERT_TRUE(writeUnderUmask(022, [&] {
        return log::backupBeforeDelete(dir.file("JA1ABC.DAT"), dir.file("JA1ABC.BAK")) ==
               log::IoResult::Ok;
    }));
    struct stat st
    {
    };
    ASSERT_EQ(::stat(dir.file("JA1ABC.BAK").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

// Every writer that replaces a file whole, stopped by the file-size limit as by a full disk:
// it reports the failure, the file is as it was byte for byte and no temporary is left.
TEST(FileWriters, AFullDiskLeavesEveryReplacedFileAsItWas)
{
    for (const Writer &w : writers()) {
        const std::string name = w.name;
        if (name == "log's first contact" || name == "registry" || name == "events")
            continue; // appends in place, tested with their files
        SCOPED_TRACE(name);
        TempDir dir;
        w.prepare(dir);
        dir.write(w.target, w.initial.empty() ? std::string("x") : w.initial);
        const std::string before = dir.read(w.target);
        const pid_t child = ::fork();
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit cap{3, 3}; // less than any file written
            ::setrlimit(RLIMIT_FSIZE, &cap);
            ::_exit(w.write(dir) ? 1 : 0);
        }
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "claimed success";
        EXPECT_TRUE(dir.read(w.target) == before);
        for (const auto &entry : std::filesystem::directory_iterator(dir.dataDir()))
            EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos)
                << entry.path();
    }
}
