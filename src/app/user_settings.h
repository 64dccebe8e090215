// SPDX-License-Identifier: GPL-3.0-or-later
// A user's settings file (callsign + ".ini"): fixed strings, the data printed on the cards,
// the fixed and mobile locations, input options, and the reference and deleted-record flags.
// Texts are kept as Shift_JIS bytes, as in the file.
#pragma once

#include "log/confirmation_mark.h"

#include <array>
#include <string>
#include <vector>

namespace vz::app {

using SpotCoordinates = std::array<double, 6>; // lat d m s, lon d m s

struct UserSettings
{
    std::array<std::string, 10> fixedStrings;
    std::string fixedJcc;
    std::string kanjiName;
    std::string latinName;
    std::string kanjiAddress;
    std::string latinAddress;
    std::string mobileJcc;
    std::string cardNo = "1";
    std::string rig;
    std::string antenna;
    std::string domesticRemark;
    std::string foreignRemark = "Today I able to meet and good";
    std::string extraInfo;
    std::string fixedCity;
    std::string fixedLatLon;
    std::string mobileCity;
    std::string mobileLatLon;
    bool mobileOperation = false;
    SpotCoordinates fixedSpot{};
    SpotCoordinates mobileSpot{};
    bool historyFill = false;
    bool autoDateTime = false;
    bool keyClick = false;
    bool flatWindow = false;
    bool reserve1 = false;
    bool reserve2 = false;
    // Typed into a contact's user mark when its card has arrived (Shift_JIS); kept in a section
    // of its own, written only once it differs from the default or the file has it.
    std::string confirmationMark{log::kDefaultConfirmationMark};
    // The same for confirmations through LoTW and eQSL, kept the same way.
    std::string lotwMark{log::kDefaultLotwMark};
    std::string eqslMark{log::kDefaultEqslMark};
    // Whether the file held the two keys when it was read: a mark not yet in the file has never
    // been set or used, and its first use is checked against the marks the log holds already.
    bool lotwMarkInFile = false;
    bool eqslMarkInFile = false;
};

// The "同時参照" section: state the application keeps beside the settings.
struct ReferenceState
{
    std::string referenceCall; // empty when none, or when the stored text is not a callsign
    bool referenceOn = false;
    bool deletedFlag = false;
};

struct LoadedSettings
{
    UserSettings settings;
    ReferenceState reference;
    bool readable = true; // false when the file exists but could not be read (defaults used)
};

// Every key with its default when missing; a missing file is a new user.
LoadedSettings readUserSettings(const std::string &path);

// The settings as this program last read or wrote them: a save writes only the keys that
// differ from these, so a key another program changed meanwhile (the card number after
// `vezolog print`) keeps its new value.
struct SettingsBaseline
{
    UserSettings settings;
    ReferenceState reference;
};

// Writes every key in its order (with a baseline: only the keys that differ from it), keeping
// lines the program does not know, under the file's lock and re-read under it. Whole-file
// replacement: false when the file could not be written, and the old file is then intact.
bool writeUserSettings(const std::string &path, const UserSettings &settings,
                       const ReferenceState &reference, const SettingsBaseline *baseline = nullptr);

// Writes the card number key alone, keeping every other line of the file as it is, so a print
// run can keep the number it used without saving settings the operator has not applied.
// False when the file could not be read or written; the old file is then intact.
bool writeCardNumber(const std::string &path, const std::string &cardNo);
// The same for a caller that holds the settings file's lock (a card number reservation).
bool writeCardNumberLocked(const std::string &path, const std::string &cardNo);

// Writes the LoTW mark (with `lotw`) and the eQSL mark (with `eqsl`) into the file where it
// does not hold them yet, keeping every other line: once the log holds a mark, the file says
// which text it is. False when the file could not be read or written.
bool keepElectronicMarks(const std::string &path, const UserSettings &settings, bool lotw,
                         bool eqsl);

// The marks of the confirmations `by` names (the card's, LoTW's, eQSL's), for the award tally.
std::vector<std::string> confirmationMarks(const UserSettings &settings, log::ConfirmedBy by);

// The own station's position for distance and bearing.
SpotCoordinates chooseOwnLocation(const UserSettings &settings);

} // namespace vz::app
