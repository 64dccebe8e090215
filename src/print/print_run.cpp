// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/print_run.h"

#include "app/app_state.h"
#include "app/user_settings.h"
#include "common/data_dir.h"
#include "common/file_io.h"
#include "common/file_lock.h"
#include "common/whole_number.h"
#include "log/call_area.h"
#include "log/log_file.h"
#include "print/card_layouts.h"

#include <charconv>
#include <optional>
#include <unistd.h>
#include <vector>

namespace vz::print {

namespace {

// Starts the job for the first page, a new page for every later one.
bool nextPage(PrintJob &job, int printedSoFar, PrintOutcome &outcome)
{
    if (printedSoFar == 0 ? job.begin() : job.newPage())
        return true;
    outcome.result = PrintResult::PrinterFailed;
    outcome.printerMessage = job.errorText();
    return false;
}

// Hands a started job over; a job that was not accepted printed nothing.
void finish(PrintJob &job, PrintOutcome &outcome)
{
    if (outcome.printed == 0)
        return; // the job never started
    if (outcome.result != PrintResult::Ok) {
        job.abandon();
        outcome.printed = 0;
        return;
    }
    if (!job.end()) {
        outcome.result = PrintResult::PrinterFailed;
        outcome.printerMessage = job.errorText();
        outcome.printed = 0;
        return;
    }
    outcome.printerNote = job.noteText();
}

} // namespace

long long cardNumberOf(const std::string &setting)
{
    return parseWholeNumber(setting).value_or(1);
}

namespace {

struct DrawnRecord
{
    std::int32_t index;
    log::QsoRecord record;
};

// The settings file around a reservation: as it was, and as the reservation left it.
struct Reservation
{
    long long first = -1;
    bool fileWasThere = false;
    std::string fileBefore;
    std::string fileAfter;
    std::string stateBefore;    // the number the state held before the run
    std::string baselineBefore; // and the number it had last read from the file
};

// Takes `count` card numbers under the settings file's lock: read, advance, write back, so two
// runs (two windows, vezolog) never draw the same numbers. The first is the file's number, or
// the operator's when they changed the field in this program and have not saved it.
Reservation reserveNumbers(app::AppState &state, long long count, PrintOutcome &outcome)
{
    Reservation reservation;
    reservation.stateBefore = state.settings.cardNo;
    reservation.baselineBefore = state.settingsBaseline.settings.cardNo;
    const bool operatorsNumber = state.settings.cardNo != state.settingsBaseline.settings.cardNo;
    const auto outOfRange = [&](long long first) {
        return first < 0 || first > kMaxCardNumber || first + count - 1 > kMaxCardNumber;
    };
    if (operatorsNumber && outOfRange(cardNumberOf(state.settings.cardNo))) {
        outcome.result = PrintResult::CardNumberOutOfRange;
        return reservation; // refused before anything is touched
    }
    reservation.fileWasThere = files::exists(state.settingsPath);
    FileLock lock;
    const LockResult locked =
        lock.acquire(state.settingsPath, LockMode::Exclusive, kRecordLockWait, true);
    const std::optional<std::string> before =
        locked == LockResult::Ok ? files::readAll(state.settingsPath) : std::nullopt;
    const app::LoadedSettings loaded = app::readUserSettings(state.settingsPath);
    if (!before || !loaded.readable) {
        outcome.result =
            locked == LockResult::Busy ? PrintResult::Busy : PrintResult::SettingsFailed;
        outcome.failedPath = state.settingsPath;
        return reservation;
    }
    const std::string &number = operatorsNumber ? state.settings.cardNo : loaded.settings.cardNo;
    const long long first = cardNumberOf(number);
    if (outOfRange(first)) {
        state.settings.cardNo = number;
        outcome.result = PrintResult::CardNumberOutOfRange;
        if (!reservation.fileWasThere && before->empty())
            ::unlink(state.settingsPath.c_str()); // made only to be locked
        return reservation;
    }
    const std::string next = std::to_string(first + count);
    if (!app::writeCardNumberLocked(state.settingsPath, next)) {
        outcome.result = PrintResult::SettingsFailed;
        outcome.failedPath = state.settingsPath;
        return reservation;
    }
    // The number now in the file is not the operator's change: a later save leaves it.
    state.settings.cardNo = next;
    state.settingsBaseline.settings.cardNo = next;
    reservation.first = first;
    reservation.fileBefore = *before;
    reservation.fileAfter = files::readAll(state.settingsPath).value_or(std::string());
    return reservation;
}

// A job that printed nothing gives its numbers back, but only when no other run took numbers
// after them (the file is then put back byte for byte when nothing else changed it either);
// else they stay unused, as a gap.
void returnNumbers(app::AppState &state, const Reservation &reservation, long long count,
                   PrintOutcome &outcome)
{
    const long long first = reservation.first;
    FileLock lock;
    bool returned = false;
    if (lock.acquire(state.settingsPath, LockMode::Exclusive, kRecordLockWait) == LockResult::Ok) {
        const std::optional<std::string> now = files::readAll(state.settingsPath);
        if (now && *now == reservation.fileAfter)
            returned = reservation.fileWasThere
                           ? files::replaceAtomically(state.settingsPath, reservation.fileBefore)
                           : ::unlink(state.settingsPath.c_str()) == 0;
        else if (app::readUserSettings(state.settingsPath).settings.cardNo ==
                 std::to_string(first + count))
            returned = app::writeCardNumberLocked(state.settingsPath, std::to_string(first));
    }
    if (returned) {
        state.settings.cardNo = reservation.stateBefore;
        state.settingsBaseline.settings.cardNo = reservation.baselineBefore;
        return;
    }
    outcome.numbersSkipped = {first, first + count - 1};
}

} // namespace

PrintOutcome runPrint(app::AppState &state, const PrintRange &range, const CardDrawing &draw,
                      PrintJob &job)
{
    PrintOutcome outcome;
    if (!files::exists(state.logPath)) {
        outcome.result = PrintResult::NoLog;
        return outcome;
    }
    // The card number is written after the job; a file that cannot be read would take it.
    if (!app::readUserSettings(state.settingsPath).readable) {
        outcome.result = PrintResult::SettingsFailed;
        outcome.failedPath = state.settingsPath;
        return outcome;
    }
    state.prefixTable.refreshIfChanged();
    // The cards to print, read under the log's lock: a reorganization running now is waited
    // for (at most the usual while) or the run is refused, never printed from half a log.
    std::vector<DrawnRecord> cards;
    {
        FileLock logLock;
        const LockResult locked = logLock.acquire(state.logPath, LockMode::Shared, kRecordLockWait);
        if (locked != LockResult::Ok) {
            outcome.result =
                locked == LockResult::Busy ? PrintResult::Busy : PrintResult::ReadFailed;
            outcome.failedPath = state.logPath;
            return outcome;
        }
        for (std::int32_t i = range.first; i < range.end; ++i) {
            log::QsoRecord &record = state.recordBuffer;
            if (log::readRecord(state.logPath, i + 1, record) == log::IoResult::Failed) {
                outcome.result = PrintResult::ReadFailed;
                outcome.failedPath = state.logPath;
                break;
            }
            if (range.unissuedOnly && !record.qslPending())
                continue;
            if (record.isDeleted()) {
                ++outcome.skippedDeleted;
                continue;
            }
            cards.push_back({i, record});
        }
    }
    if (cards.empty())
        return outcome;
    const auto count = static_cast<long long>(cards.size());
    const Reservation reservation = reserveNumbers(state, count, outcome);
    const long long first = reservation.first;
    if (first < 0)
        return outcome;

    CardText card;
    int drawn = 0;
    for (const DrawnRecord &printed : cards) {
        if (!nextPage(job, drawn, outcome)) {
            if (drawn > 0)
                job.abandon();
            returnNumbers(state, reservation, count, outcome);
            return outcome;
        }
        ++drawn;
        state.recordBuffer = printed.record;
        state.currentArea =
            log::classifyCallArea(printed.record.field(log::Field::Callsign), state.prefixTable);
        composeCard(card, printed.record, state.settings, state.currentCall, state.currentArea);
        draw(job.canvas(), job.scale(), card, first + drawn - 1);
    }
    if (!job.end()) {
        outcome.result = PrintResult::PrinterFailed;
        outcome.printerMessage = job.errorText();
        returnNumbers(state, reservation, count, outcome);
        return outcome;
    }
    outcome.printed = drawn;
    outcome.printerNote = job.noteText();
    state.cardNumber = first + drawn - 1;
    // A card leaves pending only when the record is still the one printed: a reorganization
    // or another program's modify in between must not clear another record's flag.
    for (const DrawnRecord &printed : cards) {
        if (!printed.record.qslPending())
            continue;
        log::QsoRecord cleared = printed.record;
        cleared.setQslFlag(false);
        const log::IoResult wrote = log::rewriteRecordIfUnchanged(state.logPath, printed.index + 1,
                                                                  printed.record, cleared);
        if (wrote == log::IoResult::Changed) {
            ++outcome.flagsLeft;
            continue;
        }
        if (wrote != log::IoResult::Ok) {
            outcome.result = PrintResult::FlagFailed;
            outcome.failedPath = state.logPath;
            break;
        }
    }
    return outcome;
}

PrintOutcome runTestPrint(long long cardNumber, const CardDrawing &draw, PrintJob &job)
{
    PrintOutcome outcome;
    CardText card;
    loadTestCard(card);
    if (!nextPage(job, 0, outcome))
        return outcome;
    outcome.printed = 1;
    draw(job.canvas(), job.scale(), card, cardNumber);
    finish(job, outcome);
    return outcome;
}

PrintOutcome printBlankCards(int count, PrintJob &job)
{
    PrintOutcome outcome;
    for (int i = 0; i < count; ++i) {
        if (!nextPage(job, outcome.printed, outcome))
            break;
        ++outcome.printed;
        drawBlankCard(job.canvas(), job.scale());
    }
    finish(job, outcome);
    return outcome;
}

} // namespace vz::print
