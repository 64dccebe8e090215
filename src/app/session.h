// SPDX-License-Identifier: GPL-3.0-or-later
// The steps that bring a user's log into the program: the fixed paths of the data directory,
// the user's own paths, opening the own log and the reference log with their area indexes,
// and releasing them again. The main window runs them at start-up and when the user changes.
#pragma once

#include "app/app_state.h"

#include <string>
#include <string_view>
#include <vector>

namespace vz {
class ProgressSink;
}

namespace vz::app {

// DataDir = working directory + "/Data/" and the three fixed paths in it.
void initDataDir(AppState &state, std::string_view workingDirectory);
// LogPath, SettingsPath, LayoutPath, EventPath and the delete backup for CurrentCall.
void buildUserPaths(AppState &state);

// Reads the settings file of CurrentCall into the state (settings, reference, deleted flag).
// False when the file exists but could not be read; the defaults are then in force.
bool loadSettings(AppState &state);
// Writes to SettingsPath the settings this program changed since it last read or wrote them,
// merged into the file as it is now (another program's keys stay).
bool saveSettings(AppState &state);
// The card number as the settings file has it now (another program may have printed), unless
// the operator changed it in this program and has not saved it yet.
void followCardNumber(AppState &state);
// Reads the settings file again while the program runs (the personal information dialog's
// cancel and end). ReferenceCall, ReferenceOn and DeletedFlag stay as the program holds them:
// the reference index is built for the reference in memory, which "参照設定" may have changed
// since the last write, and the deleted flag follows the log, not the file.
bool reloadSettings(AppState &state);

enum class OpenResult {
    Ok,
    NoMemory,   // the area index could not be allocated
    ReadFailed, // the log exists but could not be read
};

// Builds the own area index again from the log as it is now (after the log was rewritten).
OpenResult rebuildOwnIndex(AppState &state, ProgressSink &progress);

enum class LogChange {
    None,
    Grew,    // another program appended: the new records were added to the index
    Rebuilt, // the log shrank or was replaced: the index was built again
};

struct FollowOutcome
{
    LogChange change = LogChange::None;
    OpenResult result = OpenResult::Ok;
};

// Brings NextRecordNo and the own area index up to the log as it is now, after another program
// (or a locked append of this one) wrote it.
FollowOutcome followLog(AppState &state, ProgressSink &progress);

struct OpenOutcome
{
    OpenResult result = OpenResult::Ok;
    std::vector<std::string> failedWrites; // files that should have been written and were not
};

// Writes Start.DAT, chooses the own location, creates a missing log empty (putting a log
// left aside by an interrupted reorganization back first), sets NextRecordNo and builds
// the own area index.
OpenOutcome openLog(AppState &state, ProgressSink &progress);
// Builds the reference index for ReferenceCall and sets ReferenceOn; a missing reference log
// gives empty lists. On failure ReferenceOn is false.
OpenResult openReferenceLog(AppState &state, ProgressSink &progress);

void releaseOwnIndex(AppState &state);
void releaseReferenceIndex(AppState &state);

// The file name of a user's file: callsign + suffix, looked up without regard to case.
std::string userFilePath(const AppState &state, const std::string &call, std::string_view suffix);

} // namespace vz::app
