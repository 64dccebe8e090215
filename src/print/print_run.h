// SPDX-License-Identifier: GPL-3.0-or-later
// The print run: walks a range of log records, or every record whose card is pending,
// composes each card, draws it as one page of one print job, marks the record issued and
// numbers the cards from the user's card number setting.
#pragma once

#include "print/card_canvas.h"
#include "print/card_text.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vz::app {
struct AppState;
}

namespace vz::print {

// One print job on the printer or in a file. The run begins it for the first card and asks
// for a new page for every later one, so a run that prints nothing starts no job.
class PrintJob
{
public:
    virtual ~PrintJob() = default;
    // Starts the job on its first page; false when the printer refused.
    virtual bool begin() = 0;
    virtual bool newPage() = 0;
    // Ends the job, handing it to the printer; false when that failed.
    virtual bool end() = 0;
    virtual CardCanvas &canvas() = 0;
    virtual DotScale scale() const = 0;
    // The printer's own words for the last failure (UTF-8).
    virtual std::string errorText() const = 0;
};

// Draws one composed card with its number.
using CardDrawing =
    std::function<void(CardCanvas &, const DotScale &, const CardText &, long long cardNumber)>;

struct PrintRange
{
    std::int32_t first = 0; // 0-based index of the first record
    std::int32_t end = 0;   // index after the last one
    bool unissuedOnly = false;
};

enum class PrintResult {
    Ok,
    NoLog,         // the log does not exist: nothing printed, no job started
    ReadFailed,    // a record could not be read; `failedPath` names the file
    FlagFailed,    // a record's QSL flag could not be written back; `failedPath`
    PrinterFailed, // the job could not be started, continued or ended; `printerMessage`
};

struct PrintOutcome
{
    PrintResult result = PrintResult::Ok;
    int printed = 0; // pages drawn; the card number advanced by as many
    std::string failedPath;
    std::string printerMessage;
};

// The card number setting as a whole number; any other text counts as 1.
long long cardNumberOf(const std::string &setting);

// Prints the cards of `range` from the log of the current user. Each printed record's QSL
// flag is cleared in the file, the card number setting advanced in memory and the last
// number used kept in `state.cardNumber`; the call area of the last card becomes
// `state.currentArea`. A failure stops the run: the cards already printed keep their
// cleared flags and their numbers, and the job is ended so they are not lost.
PrintOutcome runPrint(app::AppState &state, const PrintRange &range, const CardDrawing &draw,
                      PrintJob &job);

// One card with sample values, for trying a layout on a real card: no record is read and
// nothing changes.
PrintOutcome runTestPrint(long long cardNumber, const CardDrawing &draw, PrintJob &job);

// `count` blank cards as the pages of one job; a count below 1 prints nothing.
PrintOutcome printBlankCards(int count, PrintJob &job);

} // namespace vz::print
