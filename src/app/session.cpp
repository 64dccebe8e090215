// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/session.h"

#include "app/start_file.h"
#include "common/callsign.h"
#include "common/file_io.h"
#include "log/log_file.h"

#include <cstdio>

namespace vz::app {

namespace {

OpenResult openResultOf(log::IndexResult result)
{
    switch (result) {
    case log::IndexResult::Ok:
        return OpenResult::Ok;
    case log::IndexResult::NoMemory:
        return OpenResult::NoMemory;
    case log::IndexResult::ReadFailed:
        break;
    }
    return OpenResult::ReadFailed;
}

} // namespace

OpenResult rebuildOwnIndex(AppState &state, ProgressSink &progress)
{
    // Taken first: a log replaced during the pass is noticed by the next followLog.
    state.logIdentity = log::fileIdentity(state.logPath);
    return openResultOf(
        log::buildAreaIndex(state.logPath, state.prefixTable, progress, state.ownIndex));
}

FollowOutcome followLog(AppState &state, ProgressSink &progress)
{
    FollowOutcome outcome;
    const std::int32_t known = state.nextRecordNo - 1;
    const log::FileIdentity identity = log::fileIdentity(state.logPath);
    const std::int32_t count = log::recordCount(state.logPath);
    if (identity == state.logIdentity && count == known)
        return outcome;
    if (identity == state.logIdentity && count > known) {
        // Appended to: only the new records join the index.
        outcome.change = LogChange::Grew;
        outcome.result = openResultOf(
            log::extendAreaIndex(state.logPath, state.prefixTable, known, count, state.ownIndex));
        if (outcome.result == OpenResult::Ok) {
            state.nextRecordNo = count + 1;
            return outcome;
        }
    }
    // Shrunk or replaced (reorganized, restored): the old indexes mean nothing any more.
    outcome.change = LogChange::Rebuilt;
    state.nextRecordNo = count + 1;
    outcome.result = rebuildOwnIndex(state, progress);
    return outcome;
}

void initDataDir(AppState &state, std::string_view workingDirectory)
{
    state.dataDir = DataDir::forWorkingDirectory(workingDirectory);
    state.callSignPath = state.dataDir.path("CallSign.DAT");
    state.prefixPath = state.dataDir.path("PreFix.CFG");
    state.startPath = state.dataDir.path("Start.DAT");
    state.prefixTable.setPath(state.prefixPath);
}

std::string userFilePath(const AppState &state, const std::string &call, std::string_view suffix)
{
    return state.dataDir.path(call + std::string(suffix));
}

void buildUserPaths(AppState &state)
{
    const std::string &call = state.currentCall;
    state.logPath = userFilePath(state, call, ".DAT");
    state.settingsPath = userFilePath(state, call, ".ini");
    state.layoutPath = userFilePath(state, call, ".prn");
    state.eventPath = userFilePath(state, call, ".pln");
    state.backupPath = userFilePath(state, call, ".BAK");
}

bool loadSettings(AppState &state)
{
    const LoadedSettings loaded = readUserSettings(state.settingsPath);
    state.settings = loaded.settings;
    state.referenceCall = loaded.reference.referenceCall;
    state.referenceOn = loaded.reference.referenceOn;
    state.deletedFlag = loaded.reference.deletedFlag;
    state.settingsBaseline = {loaded.settings, loaded.reference};
    return loaded.readable;
}

bool reloadSettings(AppState &state)
{
    const LoadedSettings loaded = readUserSettings(state.settingsPath);
    state.settings = loaded.settings;
    state.settingsBaseline.settings = loaded.settings;
    return loaded.readable;
}

bool saveSettings(AppState &state)
{
    const ReferenceState reference{state.referenceCall, state.referenceOn, state.deletedFlag};
    if (!writeUserSettings(state.settingsPath, state.settings, reference, &state.settingsBaseline))
        return false;
    state.settingsBaseline = {state.settings, reference};
    return true;
}

void followCardNumber(AppState &state)
{
    if (state.settings.cardNo != state.settingsBaseline.settings.cardNo)
        return; // the operator's own change wins
    const LoadedSettings loaded = readUserSettings(state.settingsPath);
    if (!loaded.readable)
        return;
    state.settings.cardNo = loaded.settings.cardNo;
    state.settingsBaseline.settings.cardNo = loaded.settings.cardNo;
}

OpenOutcome openLog(AppState &state, ProgressSink &progress)
{
    OpenOutcome outcome;
    if (isValidOwnCallsign(state.currentCall) &&
        !writeStartFile(state.startPath, state.currentCall))
        outcome.failedWrites.push_back(state.startPath);
    state.ownLocation = chooseOwnLocation(state.settings);
    // A rewrite of the log killed before its rename (整理, 復元) leaves a copy as large as the
    // log beside it; no writer of this log may be running it now unless it holds its lock.
    files::removeStaleTemporaries(files::writeTarget(state.logPath));

    if (!files::exists(state.logPath)) {
        // A reorganization interrupted before it finished left the log under ".Old".
        const std::string old = userFilePath(state, state.currentCall, ".Old");
        if (files::exists(old))
            std::rename(old.c_str(), state.logPath.c_str());
    }
    if (!files::exists(state.logPath) && !files::createEmptyIfMissing(state.logPath))
        outcome.failedWrites.push_back(state.logPath);

    state.nextRecordNo = log::recordCount(state.logPath) + 1;
    outcome.result = rebuildOwnIndex(state, progress);
    return outcome;
}

OpenResult openReferenceLog(AppState &state, ProgressSink &progress)
{
    state.referenceOn = false;
    if (!isValidOwnCallsign(state.referenceCall))
        return OpenResult::ReadFailed;
    state.referenceLogPath = userFilePath(state, state.referenceCall, ".DAT");
    const OpenResult result = openResultOf(log::buildAreaIndex(
        state.referenceLogPath, state.prefixTable, progress, state.referenceIndex));
    state.referenceOn = result == OpenResult::Ok;
    return result;
}

void releaseOwnIndex(AppState &state)
{
    state.ownIndex.clear();
}

void releaseReferenceIndex(AppState &state)
{
    state.referenceIndex.clear();
}

} // namespace vz::app
