// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/print_run.h"

#include "app/app_state.h"
#include "common/data_dir.h"
#include "log/call_area.h"
#include "log/log_file.h"
#include "print/card_layouts.h"

#include <charconv>

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

// Ends a started job; its failure is reported unless an earlier one already is.
void finish(PrintJob &job, PrintOutcome &outcome)
{
    if (outcome.printed == 0)
        return; // the job never started
    if (!job.end() && outcome.result == PrintResult::Ok) {
        outcome.result = PrintResult::PrinterFailed;
        outcome.printerMessage = job.errorText();
    }
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
    state.prefixTable.refreshIfChanged();
    CardText card;
    for (std::int32_t i = range.first; i < range.end; ++i) {
        log::QsoRecord &record = state.recordBuffer;
        if (log::readRecord(state.logPath, i + 1, record) == log::IoResult::Failed) {
            outcome.result = PrintResult::ReadFailed;
            outcome.failedPath = state.logPath;
            break;
        }
        if (range.unissuedOnly && !record.qslPending())
            continue;
        const long long number = cardNumberOf(state.settings.cardNo);
        if (!nextPage(job, outcome.printed, outcome))
            break;
        ++outcome.printed;
        state.currentArea =
            log::classifyCallArea(record.field(log::Field::Callsign), state.prefixTable);
        composeCard(card, record, state.settings, state.currentCall, state.currentArea);
        draw(job.canvas(), job.scale(), card, number);
        state.cardNumber = number;
        // The card is on its page: it keeps its number even when its flag cannot be written.
        state.settings.cardNo = std::to_string(number + 1);
        if (record.qslPending()) {
            record.setQslFlag(false);
            if (log::rewriteRecord(state.logPath, i + 1, record) != log::IoResult::Ok) {
                outcome.result = PrintResult::FlagFailed;
                outcome.failedPath = state.logPath;
                break;
            }
        }
    }
    finish(job, outcome);
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
