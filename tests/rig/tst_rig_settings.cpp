// SPDX-License-Identifier: GPL-3.0-or-later
// The radio's section of the settings file, and the field texts made from a reading.
#include "rig/rig_fields.h"
#include "rig/rig_settings.h"

#include "app/user_settings.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vz;
using vz::test::sj;

namespace {

// The radio's section: from its header to the next section.
std::string radioSection(const std::string &file)
{
    const std::size_t start = file.find("[" + sj("リグ接続") + "]");
    if (start == std::string::npos)
        return {};
    const std::size_t end = file.find("\r\n[", start);
    return file.substr(start, end == std::string::npos ? std::string::npos : end + 2 - start);
}

} // namespace

TEST(RigFields, FrequencyInMegahertzToTheNearestKilohertzWithinEightBytes)
{
    const struct
    {
        double hertz;
        const char *text;
    } cases[] = {
        {7050000, "7.050"},
        {14074000, "14.074"},
        {430100000, "430.100"},
        {7074499.9, "7.074"},      // to the nearest kHz
        {7074500, "7.075"},        // a half rounds up
        {136000, "0.136"},         // the 2200 m band
        {10368100000, "10368.10"}, // nine characters would not fit: one decimal fewer
        {10368105000, "10368.11"}, // and that decimal is rounded, not cut
        {24048199000, "24048.20"},
        {122250000000, "122250.0"},
        {99999999999, "100000.0"},
        {12345678900000, "12345679"},
        {0, ""},
        {-7050000, ""},
        {400, ""},  // less than half a kHz is no frequency
        {1e18, ""}, // beyond the field
    };
    for (const auto &c : cases)
        EXPECT_EQ(rig::frequencyFieldText(c.hertz), c.text) << c.hertz;
    EXPECT_EQ(rig::frequencyFieldText(std::nan("")), "");
}

TEST(RigFields, ModesInTheLogsSpellingAndTheDataModeForPacket)
{
    const struct
    {
        const char *hamlib;
        const char *text;
    } cases[] = {
        {"USB", "SSB"},     {"LSB", "SSB"}, {"CW", "CW"},     {"CWR", "CW"},     {"AM", "AM"},
        {"FM", "FM"},       {"WFM", "FM"},  {"RTTY", "RTTY"}, {"RTTYR", "RTTY"}, {"PKTUSB", "JT65"},
        {"PKTLSB", "JT65"}, {"PKTFM", ""},  {"DSB", ""},      {"", ""},          {"usb", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(rig::modeFieldText(c.hamlib, "JT65"), c.text) << c.hamlib;
}

TEST(RigSettings, AFileWithoutTheSectionIsNoRadioAndDefaults)
{
    test::TempDir dir;
    const rig::RigSettings missing = rig::readRigSettings(dir.file("NONE.ini"));
    EXPECT_EQ(missing, rig::RigSettings{});
    EXPECT_EQ(missing.link, rig::RigLink::None);
    EXPECT_EQ(missing.dataMode, "FT8");
    EXPECT_FALSE(rig::targetOf(missing));

    dir.write("JA1ABC.ini", "[" + sj("個人情報") + "]\r\n" + sj("無線機") + "=IC-7300\r\n");
    EXPECT_EQ(rig::readRigSettings(dir.file("JA1ABC.ini")), rig::RigSettings{});
}

TEST(RigSettings, WritesOnlyItsOwnSectionAndReadsBackWhatItWrote)
{
    test::TempDir dir;
    const std::string path = dir.file("JA1ABC.ini");
    // What other parts of the program keep in the file, with lines they do not know.
    const std::string before = "; kept\r\n[" + sj("個人情報") + "]\r\n" + sj("無線機") +
                               " = IC-7300 \r\nunknown=1\r\n\r\n[Other]\r\nx=y\r\n";
    dir.write("JA1ABC.ini", before);

    rig::RigSettings radio;
    radio.link = rig::RigLink::Radio;
    radio.model = 3073;
    radio.serialPort = "/dev/ttyUSB0";
    radio.speed = 19200;
    radio.rigctldAddress = "shack:4532";
    radio.dataMode = "FT4";
    ASSERT_TRUE(rig::writeRigSettings(path, radio));
    const std::string after = dir.read("JA1ABC.ini");
    EXPECT_EQ(after.substr(0, before.size()), before); // untouched, the section added at the end
    EXPECT_EQ(rig::readRigSettings(path), radio);
    EXPECT_EQ(rig::targetOf(radio), (rig::RigTarget{3073, "/dev/ttyUSB0", 19200}));
    // The settings of the program read as before.
    EXPECT_EQ(app::readUserSettings(path).settings.rig, "IC-7300");

    rig::RigSettings daemon = radio;
    daemon.link = rig::RigLink::Rigctld;
    ASSERT_TRUE(rig::writeRigSettings(path, daemon));
    EXPECT_EQ(rig::readRigSettings(path), daemon);
    EXPECT_EQ(rig::targetOf(daemon), (rig::RigTarget{2, "shack:4532", 0}));
    rig::RigSettings noAddress = daemon;
    noAddress.rigctldAddress.clear();
    EXPECT_EQ(rig::targetOf(noAddress), (rig::RigTarget{2, "localhost:4532", 0}));

    // Writing the program's own settings keeps the radio's section as it is.
    const std::string withRadio = dir.read("JA1ABC.ini");
    const app::LoadedSettings loaded = app::readUserSettings(path);
    ASSERT_TRUE(app::writeUserSettings(path, loaded.settings, loaded.reference));
    const std::string rewritten = dir.read("JA1ABC.ini");
    ASSERT_NE(radioSection(withRadio), "");
    EXPECT_EQ(radioSection(rewritten), radioSection(withRadio));
    EXPECT_EQ(rig::readRigSettings(path), daemon);
}

TEST(RigSettings, DamagedValuesFallBackToNoRadioAndTheDefaultDataMode)
{
    test::TempDir dir;
    const std::string head = "[" + sj("リグ接続") + "]\r\n";
    const struct
    {
        std::string body;
        rig::RigLink link;
        std::string dataMode;
        int speed = 0; // 0: not set
    } cases[] = {
        {sj("接続") + "=1\r\n" + sj("機種") + "=0\r\n", rig::RigLink::None, "FT8"}, // no model
        {sj("接続") + "=7\r\n" + sj("機種") + "=1\r\n", rig::RigLink::None, "FT8"},
        {sj("接続") + "=x\r\n", rig::RigLink::None, "FT8"},
        {sj("接続") + "=2\r\n" + sj("データモード") + "=\r\n", rig::RigLink::Rigctld, "FT8"},
        {sj("データモード") + "=PSK31XYZ\r\n", rig::RigLink::None, "PSK31X"}, // six bytes
        {sj("速度") + "=4800\r\n", rig::RigLink::None, "FT8", 4800},
        {sj("速度") + "=-9600\r\n", rig::RigLink::None, "FT8"},
        {sj("速度") + "=fast\r\n", rig::RigLink::None, "FT8"},
    };
    for (const auto &c : cases) {
        dir.write("A.ini", head + c.body);
        const rig::RigSettings s = rig::readRigSettings(dir.file("A.ini"));
        EXPECT_EQ(s.link, c.link) << c.body;
        EXPECT_EQ(s.dataMode, c.dataMode) << c.body;
        EXPECT_EQ(s.speed, c.speed) << c.body;
    }

    // A radio link without a model, however it came about, connects to nothing.
    for (const int model : {0, -1}) {
        rig::RigSettings noModel;
        noModel.link = rig::RigLink::Radio;
        noModel.model = model;
        noModel.serialPort = "/dev/ttyUSB0";
        EXPECT_FALSE(rig::targetOf(noModel)) << model;
    }
}
