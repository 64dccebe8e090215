// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/print_run.h"

#include "app/app_state.h"
#include "app/user_settings.h"
#include "common/data_dir.h"
#include "log/call_area.h"
#include "log/log_file.h"
#include "print/card_layouts.h"

#include <charconv>
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
    long long value = 0;
    const char *first = setting.data();
    const char *last = first + setting.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (setting.empty() || ec != std::errc() || end != last)
        return 1;
    return value;
}

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
    const long long first = cardNumberOf(state.settings.cardNo);
    if (first < 0 || first > kMaxCardNumber) {
        outcome.result = PrintResult::CardNumberOutOfRange;
        return outcome;
    }
    state.prefixTable.refreshIfChanged();
    CardText card;
    std::vector<std::int32_t> pending; // drawn records whose flag is cleared once accepted
    int drawn = 0;
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
        if (first + drawn > kMaxCardNumber) {
            // Refused before anything reached the printer.
            job.abandon();
            outcome.result = PrintResult::CardNumberOutOfRange;
            return outcome;
        }
        if (!nextPage(job, drawn, outcome)) {
            if (drawn > 0)
                job.abandon();
            return outcome;
        }
        ++drawn;
        state.currentArea =
            log::classifyCallArea(record.field(log::Field::Callsign), state.prefixTable);
        composeCard(card, record, state.settings, state.currentCall, state.currentArea);
        draw(job.canvas(), job.scale(), card, first + drawn - 1);
        if (record.qslPending())
            pending.push_back(i);
    }
    if (drawn == 0)
        return outcome;
    if (!job.end()) {
        outcome.result = PrintResult::PrinterFailed;
        outcome.printerMessage = job.errorText();
        return outcome;
    }
    outcome.printed = drawn;
    outcome.printerNote = job.noteText();
    state.cardNumber = first + drawn - 1;
    state.settings.cardNo = std::to_string(first + drawn);
    // The number first: a kill before the flags may leave a card pending, never a number used
    // twice. Cards that printed are marked even when the number could not be written.
    if (!app::writeCardNumber(state.settingsPath, state.settings.cardNo) &&
        outcome.result == PrintResult::Ok) {
        outcome.result = PrintResult::SettingsFailed;
        outcome.failedPath = state.settingsPath;
    }
    for (const std::int32_t i : pending) {
        log::QsoRecord &record = state.recordBuffer;
        if (log::readRecord(state.logPath, i + 1, record) != log::IoResult::Ok) {
            outcome.result = PrintResult::FlagFailed;
            outcome.failedPath = state.logPath;
            break;
        }
        record.setQslFlag(false);
        if (log::rewriteRecord(state.logPath, i + 1, record) != log::IoResult::Ok) {
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
