// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the radio through Hamlib: its dummy in the process, and a rigctld that a second
// client tunes from outside, that dies and that comes back.
#include "rig/rig_connection.h"

#include "support/rigctld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>

using namespace vz;

// First in this file: the program's locale is the user's until Hamlib is first used.
TEST(RigConnection, AUsersNumericLocaleDoesNotTripHamlibsNetworkClient)
{
    if (!std::setlocale(LC_NUMERIC, "C.UTF-8"))
        GTEST_SKIP() << "no C.UTF-8 locale";
    test::Rigctld daemon;
    ASSERT_TRUE(daemon.running());
    // Opening parses the daemon's state with LC_NUMERIC switched (under ASan: no use after
    // free).
    const rig::ReadOutcome r = rig::readOnce({rig::kRigctldModel, daemon.address(), 0});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.reading.frequencyHz, 145000000.0);
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
}

TEST(RigConnection, ReadsHamlibsDummyInTheProcess)
{
    const rig::ReadOutcome r = rig::readOnce({1, "", 0});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.reading.frequencyHz, 145000000.0);
    EXPECT_EQ(r.reading.mode, "FM");
}

TEST(RigConnection, FollowsARigctldTunedFromOutsideAndTellsWhenItIsGone)
{
    test::Rigctld daemon;
    ASSERT_TRUE(daemon.running());
    std::string error;
    auto radio = rig::RigConnection::open({rig::kRigctldModel, daemon.address(), 0}, error);
    ASSERT_TRUE(radio) << error;

    ASSERT_TRUE(daemon.tune(7050000, "CW"));
    rig::ReadOutcome r = radio->read();
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.reading.frequencyHz, 7050000.0);
    EXPECT_EQ(r.reading.mode, "CW");

    ASSERT_TRUE(daemon.tune(14074000, "PKTUSB"));
    r = radio->read();
    EXPECT_EQ(r.reading.frequencyHz, 14074000.0);
    EXPECT_EQ(r.reading.mode, "PKTUSB");

    // Gone: an error, never the last value read.
    daemon.kill();
    r = radio->read();
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_FALSE(rig::readOnce({rig::kRigctldModel, daemon.address(), 0}).ok);

    // Back: a new connection reads it (Hamlib's client does not reconnect by itself).
    ASSERT_TRUE(daemon.restart());
    radio = rig::RigConnection::open({rig::kRigctldModel, daemon.address(), 0}, error);
    ASSERT_TRUE(radio) << error;
    EXPECT_TRUE(radio->read().ok);
}

TEST(RigConnection, UnknownModelsAndPortsAreErrorsNotCrashes)
{
    std::string error;
    EXPECT_FALSE(rig::RigConnection::open({999999, "", 0}, error));
    EXPECT_NE(error, "");
    const rig::ReadOutcome r = rig::readOnce({1035, "/nonexistent/tty", 9600}); // an FT-991
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error, "");
}

TEST(RigConnection, ListsHamlibsModelsByManufacturer)
{
    const std::vector<rig::RigModel> models = rig::rigModels();
    ASSERT_GT(models.size(), 100u);
    EXPECT_TRUE(std::is_sorted(models.begin(), models.end(), [](const auto &a, const auto &b) {
        return a.manufacturer < b.manufacturer;
    }));
    const auto dummy = std::find_if(models.begin(), models.end(),
                                    [](const rig::RigModel &m) { return m.model == 1; });
    ASSERT_NE(dummy, models.end());
    EXPECT_EQ(dummy->manufacturer, "Hamlib");
    EXPECT_EQ(dummy->name, "Dummy");
}
