// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/session.h"

#include "app/start_file.h"
#include "app/user_registry.h"
#include "common/file_io.h"
#include "common/progress.h"
#include "log/log_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>

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

// Another program wrote the log: an append extends the index from the old count, a shrink or a
// replacement (reorganize) builds it again; NextRecordNo follows the file.
TEST(FollowLog, GrowthExtendsTheIndexAndAReplacementRebuildsIt)
{
    Session s;
    s.dir.installPrefixTable();
    s.state.prefixTable.setPath(s.dir.file("PreFix.CFG"));
    const auto contact = [](const char *call) {
        log::FieldTexts t;
        t[0] = call;
        return log::buildRecord(t, false, true);
    };
    const log::QsoRecord one = contact("JA1AAA"), two = contact("JA2BBB"),
                         three = contact("JA3CCC");
    log::appendAtEnd(s.state.logPath, {std::span(&one, 1)});
    ASSERT_EQ(openLog(s.state, s.quiet).result, OpenResult::Ok);
    EXPECT_EQ(followLog(s.state, s.quiet).change, LogChange::None);

    const std::array<log::QsoRecord, 2> appended{two, three};
    log::appendAtEnd(s.state.logPath, {std::span<const log::QsoRecord>(appended)});
    EXPECT_EQ(followLog(s.state, s.quiet).change, LogChange::Grew);
    EXPECT_EQ(s.state.nextRecordNo, 4);
    EXPECT_EQ(s.state.ownIndex.list(2), (std::vector<std::int32_t>{1}));
    EXPECT_EQ(s.state.ownIndex.list(3), (std::vector<std::int32_t>{2}));

    // Replaced by a shorter file holding other contacts, as a reorganization leaves it.
    s.dir.write("new", std::string(three.bytes.data(), log::kRecordSize));
    ASSERT_EQ(::rename(s.dir.file("new").c_str(), s.state.logPath.c_str()), 0);
    EXPECT_EQ(followLog(s.state, s.quiet).change, LogChange::Rebuilt);
    EXPECT_EQ(s.state.nextRecordNo, 2);
    EXPECT_EQ(s.state.ownIndex.total(), 1);
    EXPECT_EQ(s.state.ownIndex.list(3), (std::vector<std::int32_t>{0}));
}

// A save writes what this program changed and keeps what another program wrote since it read
// the file (the card number after a print run); a new user's file still gets every key.
TEST(SaveSettings, MergesIntoTheFileAsItIsNow)
{
    Session s;
    ASSERT_TRUE(loadSettings(s.state));
    ASSERT_TRUE(saveSettings(s.state));
    const std::string fresh = s.dir.read("JA1ABC.ini");
    EXPECT_NE(fresh.find(test::sj("カードＮｏ")), std::string::npos);
    EXPECT_NE(fresh.find(test::sj("削除フラグ")), std::string::npos);

    ASSERT_TRUE(writeCardNumber(s.state.settingsPath, "57"));
    s.state.settings.rig = "FT-991";
    s.state.deletedFlag = true;
    ASSERT_TRUE(saveSettings(s.state));
    LoadedSettings now = readUserSettings(s.state.settingsPath);
    EXPECT_EQ(now.settings.cardNo, "57");
    EXPECT_EQ(now.settings.rig, "FT-991");
    EXPECT_TRUE(now.reference.deletedFlag);

    // The personal information shows the file's number until the operator types another.
    followCardNumber(s.state);
    EXPECT_EQ(s.state.settings.cardNo, "57");
    ASSERT_TRUE(writeCardNumber(s.state.settingsPath, "60"));
    s.state.settings.cardNo = "10";
    followCardNumber(s.state);
    EXPECT_EQ(s.state.settings.cardNo, "10");
    ASSERT_TRUE(saveSettings(s.state));
    EXPECT_EQ(readUserSettings(s.state.settingsPath).settings.cardNo, "10");
}
