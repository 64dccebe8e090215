// SPDX-License-Identifier: GPL-3.0-or-later
// The radio through Hamlib: one open connection that reads the frequency and mode, a single
// reading that opens and closes around itself, and the list of models Hamlib knows. Hamlib's
// own debug output is switched off before its first use.
//
// A read may wait for as long as the radio's timeouts allow (a serial radio that is switched
// off); callers keep it off the window's thread.
#pragma once

#include "rig/rig_settings.h"

#include <memory>
#include <string>
#include <vector>

struct s_rig;

namespace vz::rig {

// Switches Hamlib's debug output off, loads its backends and makes the process's numeric
// locale safe for it. Done by every call below when needed; call it on the main thread
// before the first radio work goes to another thread.
void prepareHamlib();

struct RigReading
{
    double frequencyHz = 0;
    std::string mode; // Hamlib's name ("USB", "PKTUSB"); empty when the radio gives none
};

struct ReadOutcome
{
    bool ok = false;
    RigReading reading;
    std::string error; // Hamlib's short description when !ok
};

class RigConnection
{
public:
    // Opens the radio; null and `error` set when it cannot be opened.
    static std::unique_ptr<RigConnection> open(const RigTarget &target, std::string &error);
    ~RigConnection();
    RigConnection(const RigConnection &) = delete;
    RigConnection &operator=(const RigConnection &) = delete;

    ReadOutcome read();

private:
    explicit RigConnection(s_rig *rig) : m_rig(rig) {}
    s_rig *m_rig;
};

// Opens, reads once and closes.
ReadOutcome readOnce(const RigTarget &target);

struct RigModel
{
    int model = 0;
    std::string manufacturer;
    std::string name;
};

// Every model Hamlib knows, by manufacturer and then model name.
std::vector<RigModel> rigModels();
// Whether Hamlib knows `model`.
bool isKnownModel(int model);

} // namespace vz::rig
