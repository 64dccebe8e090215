// SPDX-License-Identifier: GPL-3.0-or-later
// The radio connection of a user: a section of its own in the user's settings file, written
// only when the operator sets it, so the files of operators without a radio never change.
// A file without the section means no radio.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace vz::rig {

enum class RigLink {
    None,    // no radio: nothing is read
    Radio,   // a radio on a serial port, by Hamlib model number
    Rigctld, // a rigctld at host:port, which owns the radio
};

// The Hamlib model of Hamlib's network client, which talks to a rigctld.
inline constexpr int kRigctldModel = 2;
inline constexpr const char *kDefaultRigctldAddress = "localhost:4532";
inline constexpr const char *kDefaultDataMode = "FT8";
// The mode field of a contact holds six bytes.
inline constexpr std::size_t kDataModeBytes = 6;

struct RigSettings
{
    RigLink link = RigLink::None;
    int model = 0;          // Hamlib model number (Radio)
    std::string serialPort; // device path (Radio); empty: the model's default
    int speed = 0;          // serial speed in baud (Radio); 0: the model's default
    std::string rigctldAddress = kDefaultRigctldAddress; // host:port (Rigctld)
    std::string dataMode = kDefaultDataMode;             // what PKTUSB and PKTLSB stand for

    bool operator==(const RigSettings &) const = default;
};

// What a connection opens: a Hamlib model with its port and speed.
struct RigTarget
{
    int model = 0;
    std::string port; // empty: the model's default
    int speed = 0;    // 0: the model's default

    bool operator==(const RigTarget &) const = default;
};

// Defaults when the file or the section is missing, or the file cannot be read.
RigSettings readRigSettings(const std::string &settingsPath);
// Sets the keys of the radio section and nothing else; false when the file could not be
// written (or read first), and then the old file is intact.
bool writeRigSettings(const std::string &settingsPath, const RigSettings &settings);

// The connection the settings name; nullopt for no radio.
std::optional<RigTarget> targetOf(const RigSettings &settings);

} // namespace vz::rig
