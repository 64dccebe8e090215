// SPDX-License-Identifier: GPL-3.0-or-later
// The one state of the running program: paths, the current user and the reference station,
// the loaded log's numbering and area indexes, the settings, and the mode of every open
// dialog. `main` creates it and hands it by reference to the main window and its dialogs;
// tests build their own over a temporary data directory.
#pragma once

#include "app/user_settings.h"
#include "calendar/clock.h"
#include "common/data_dir.h"
#include "log/area_index.h"
#include "log/log_file.h"
#include "log/prefix_table.h"
#include "log/qso_record.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vz::app {

// 0 while a dialog is closed, else its mode. Dialogs read these to know each other's state.
struct DialogModes
{
    int entry = 0;   // registration: 1 first run, 2 new user, 3 blank-card count
    int log = 0;     // contact edit: 1 input, 2 modify, 3 delete, 4 record search
    int list = 0;    // search: 9 item, 10 area (and its own values while open)
    int master = 0;  // JCC master editor
    int event = 0;   // event schedule
    int prin = 0;    // commercial card: 2 horizontal, 3 vertical
    int post = 0;    // postcard
    int call = 0;    // user switch: 1 switch, 2 reference station
    int environ = 0; // personal information
    int awards = 0;  // award progress: its places open contacts by record number

    // The dialogs that carry the hint bar under them.
    bool anyHintCarrierOpen() const
    {
        return log || list || master || event || prin || post || environ || awards;
    }
};

struct AppState
{
    DataDir dataDir;
    std::string callSignPath; // CallSign.DAT: the registered users
    std::string prefixPath;   // PreFix.CFG: the special-prefix table
    std::string startPath;    // Start.DAT: the user of the previous run

    std::string currentCall;
    std::string logPath;
    std::string settingsPath;
    std::string layoutPath;
    std::string eventPath;
    std::string backupPath;

    std::string referenceCall;
    std::string referenceLogPath;
    bool referenceOn = false;
    bool deletedFlag = false;

    std::int32_t nextRecordNo = 1;
    // The log file the own index was built from: another program may replace it (reorganize).
    log::FileIdentity logIdentity;
    log::AreaIndex ownIndex;
    log::AreaIndex referenceIndex;
    log::PrefixTable prefixTable;

    UserSettings settings;
    // The settings file as last read or written: saves write only what changed since.
    SettingsBaseline settingsBaseline;
    SpotCoordinates ownLocation{};

    // Replaced by a fixed clock in tests.
    std::unique_ptr<calendar::Clock> clock = std::make_unique<calendar::SystemClock>();

    float printerDotsPerMmX = 0;
    float printerDotsPerMmY = 0;
    bool printerAvailable = false;
    // The default printer as last found: named when it has gone by the time a card is printed.
    std::string printerName;
    bool startAborted = false;
    DialogModes dialogModes;

    // Shared by the edit dialog, the history lookup, the searches and card printing.
    log::QsoRecord recordBuffer;
    int currentArea = 0;
    bool portableEntry = false;
    std::string searchKey;
    std::int32_t currentRecordNo = 0;
    SpotCoordinates workedPosition{};
    bool cityChosen = false;
    bool resultsShown = false;

    // Card printing: the number on the last card a print run printed (0 before the first
    // run), and whether a commercial card item was dragged during this run of the program.
    long long cardNumber = 0;
    bool layoutModified = false;
};

} // namespace vz::app
