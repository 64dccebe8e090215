// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/session.h"

#include "app/start_file.h"
#include "app/user_registry.h"
#include "common/file_io.h"
#include "common/progress.h"
#include "log/log_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace vz;
using namespace vz::app;
using vz::test::TempDir;

namespace {

struct Session
{
    TempDir dir;
    AppState state;
    NoProgress quiet;

    explicit Session(const std::string &call = "JA1ABC")
    {
        initDataDir(state, dir.path());
        state.currentCall = call;
        buildUserPaths(state);
    }
};

} // namespace

TEST(StartFile, TenCharacterCallsignFillsTheSlotWithoutNul)
{
    TempDir dir;
    ASSERT_TRUE(writeStartFile(dir.file("Start.DAT"), "JA1ABCDEFG"));
    EXPECT_EQ(dir.read("Start.DAT"), "JA1ABCDEFG");
    EXPECT_EQ(readStartFile(dir.file("Start.DAT")), "JA1ABCDEFG");
    ASSERT_TRUE(writeStartFile(dir.file("Start.DAT"), "JA1ABC"));
    EXPECT_EQ(dir.read("Start.DAT"), std::string("JA1ABC\0\0\0\0", 10));
    EXPECT_EQ(readStartFile(dir.file("Start.DAT")), "JA1ABC");
}

TEST(StartFile, EmptyOrInvalidContentIsAFirstRun)
{
    TempDir dir;
    EXPECT_EQ(readStartFile(dir.file("Start.DAT")), std::nullopt);
    dir.write("Start.DAT", std::string(10, '\0'));
    EXPECT_EQ(readStartFile(dir.file("Start.DAT")), std::nullopt);
    dir.write("Start.DAT", "../x");
    EXPECT_EQ(readStartFile(dir.file("Start.DAT")), std::nullopt);
    EXPECT_FALSE(writeStartFile(dir.file("Start.DAT"), ""));
    EXPECT_FALSE(writeStartFile(dir.file("Start.DAT"), "JA1/P"));
}

TEST(UserRegistry, AppendsSlotsAndIgnoresAPartialTail)
{
    TempDir dir;
    const std::string reg = dir.file("CallSign.DAT");
    EXPECT_TRUE(listUsers(reg).empty());
    ASSERT_TRUE(appendUser(reg, "JA1ABC"));
    dir.write("CallSign.DAT", dir.read("CallSign.DAT") + "JH");
    ASSERT_TRUE(appendUser(reg, "JA1ABCDEFG"));
    EXPECT_EQ(listUsers(reg), (std::vector<std::string>{"JA1ABC", "JA1ABCDEFG"}));
    EXPECT_TRUE(isRegistered(reg, "JA1ABC"));
    EXPECT_FALSE(isRegistered(reg, "JA1AB"));
    EXPECT_FALSE(appendUser(reg, ""));
}

TEST(OpenLog, MissingLogIsCreatedEmptyAndStartFileWritten)
{
    Session s;
    EXPECT_EQ(s.state.logPath, s.dir.file("JA1ABC.DAT"));
    const OpenOutcome out = openLog(s.state, s.quiet);
    EXPECT_EQ(out.result, OpenResult::Ok);
    EXPECT_TRUE(out.failedWrites.empty());
    EXPECT_TRUE(files::exists(s.state.logPath));
    EXPECT_EQ(s.state.nextRecordNo, 1);
    EXPECT_EQ(s.dir.read("Start.DAT"), std::string("JA1ABC\0\0\0\0", 10));
}

TEST(OpenLog, ThreeHundredByteLogHasOneRecordAndNextNumberTwo)
{
    Session s;
    s.dir.write("JA1ABC.DAT", std::string("JA1AAA") + std::string(294, '\0'));
    openLog(s.state, s.quiet);
    EXPECT_EQ(s.state.nextRecordNo, 2);
    EXPECT_EQ(s.state.ownIndex.list(1), std::vector<std::int32_t>{0});
}

TEST(OpenLog, FindsTheLogUnderAnyLetterCase)
{
    Session s("JA1ABC");
    s.dir.write("ja1abc.dat", std::string(254, '\0'));
    buildUserPaths(s.state);
    openLog(s.state, s.quiet);
    EXPECT_EQ(s.state.nextRecordNo, 2);
    EXPECT_FALSE(files::exists(s.dir.file("JA1ABC.DAT")));
}

TEST(OpenLog, ReportsALogThatCannotBeCreated)
{
    AppState state;
    initDataDir(state, "/nonexistent-working-dir");
    state.currentCall = "JA1ABC";
    buildUserPaths(state);
    NoProgress quiet;
    const OpenOutcome out = openLog(state, quiet);
    EXPECT_EQ(out.failedWrites.size(), 2u); // Start.DAT and the log
}

TEST(OpenReferenceLog, MissingReferenceLogIsAcceptedWithEmptyLists)
{
    Session s;
    s.state.referenceCall = "JA2XYZ";
    EXPECT_EQ(openReferenceLog(s.state, s.quiet), OpenResult::Ok);
    EXPECT_TRUE(s.state.referenceOn);
    EXPECT_EQ(s.state.referenceIndex.total(), 0);
    EXPECT_FALSE(files::exists(s.dir.file("JA2XYZ.DAT")));
}

TEST(Settings, DeletedFlagAndReferenceComeFromTheUsersFile)
{
    Session s;
    s.state.deletedFlag = true;
    s.state.referenceCall = "JA2XYZ";
    s.state.referenceOn = false;
    ASSERT_TRUE(saveSettings(s.state));
    s.state.deletedFlag = false;
    s.state.referenceCall.clear();
    ASSERT_TRUE(loadSettings(s.state));
    EXPECT_TRUE(s.state.deletedFlag);
    EXPECT_EQ(s.state.referenceCall, "JA2XYZ");
    EXPECT_FALSE(s.state.referenceOn);
}
