// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog rig: one reading of the radio, printed as the contact dialog's two field texts.
#include "cli/commands.h"
#include "common/data_dir.h"
#include "rig/rig_settings.h"

#include "support/rigctld.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <sys/wait.h>

using namespace vz;

namespace {

struct CommandRun
{
    int status;
    std::string out;
    std::string err;
};

CommandRun rigOf(const cli::Args &args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::runRig(args, out, err);
    return {status, out.str(), err.str()};
}

} // namespace

TEST(RigCommand, PrintsTheFieldTextsOfTheConfiguredOrTheNamedRadio)
{
    test::TempDir dir;
    test::Rigctld daemon;
    ASSERT_TRUE(daemon.running());
    ASSERT_TRUE(daemon.tune(7050000, "CW"));

    // Named by the options.
    CommandRun r = rigOf({dir.dataDir(), "JA1ABC", "--model", "2", "--port", daemon.address()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "7.050\tCW\n");

    // Configured, with the user's data mode for the packet modes.
    rig::RigSettings settings;
    settings.link = rig::RigLink::Rigctld;
    settings.rigctldAddress = daemon.address();
    settings.dataMode = "FT4";
    ASSERT_TRUE(rig::writeRigSettings(dir.file("JA1ABC.ini"), settings));
    ASSERT_TRUE(daemon.tune(14080000, "PKTUSB"));
    r = rigOf({dir.dataDir(), "JA1ABC"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "14.080\tFT4\n");

    // A mode the log has no name for prints an empty text: the dialog would leave the field.
    ASSERT_TRUE(daemon.tune(3500000, "DSB"));
    EXPECT_EQ(rigOf({dir.dataDir(), "JA1ABC"}).out, "3.500\t\n");

    // The in-process dummy.
    EXPECT_EQ(rigOf({dir.dataDir(), "JA1ABC", "--model", "1"}).out, "145.000\tFM\n");

    // Not answering: exit 1 and the reason.
    daemon.kill();
    r = rigOf({dir.dataDir(), "JA1ABC"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("does not answer"), std::string::npos) << r.err;
}

TEST(RigCommand, NoRadioIsAFailureAndBadArgumentsAreUsageErrors)
{
    test::TempDir dir;
    CommandRun r = rigOf({dir.dataDir(), "JA1ABC"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no radio"), std::string::npos) << r.err;
    EXPECT_EQ(rigOf({dir.path() + "/missing", "JA1ABC", "--model", "1"}).status, 1);

    const cli::Args bad[] = {
        {},
        {dir.dataDir()},
        {dir.dataDir(), "JA1ABC", "--model", "99999999999"},
        {dir.dataDir(), "JA1ABC", "--model"},
        {dir.dataDir(), "JA1ABC", "--model", "0"},
        {dir.dataDir(), "JA1ABC", "--model", "x1"},
        {dir.dataDir(), "JA1ABC", "--port", "/dev/ttyUSB0"}, // a port without a model
        {dir.dataDir(), "JA1ABC", "--model", "1", "--speed", "fast"},
        {dir.dataDir(), "JA1ABC", "--model", "1", "--model", "2"},
        {dir.dataDir(), "JA1ABC", "--baud", "9600"},
    };
    for (const cli::Args &args : bad) {
        r = rigOf(args);
        EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage: vezolog rig"), std::string::npos);
    }
    r = rigOf({dir.dataDir(), "JA1-ABC"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("not a callsign"), std::string::npos) << r.err;
}

TEST(RigCommand, TheProgramSaysOnlyItsOwnWordsWithHamlibsDebugOutputOff)
{
    test::TempDir dir;
    test::Rigctld daemon;
    ASSERT_TRUE(daemon.running());
    const std::string address = daemon.address();
    daemon.kill(); // nobody listens there now
    const std::string out = dir.path() + "/out.txt";
    const std::string err = dir.path() + "/err.txt";
    const std::string command = std::string("'") + VEZOLOG + "' rig '" + dir.dataDir() +
                                "' JA1ABC --model 2 --port " + address + " >'" + out + "' 2>'" +
                                err + "'";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_EQ(files::readAll(out).value_or("?"), "");
    EXPECT_EQ(files::readAll(err).value_or(""), "vezolog: the radio does not answer: IO error\n");
}
