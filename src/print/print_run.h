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
#include <utility>

namespace vz::app {
struct AppState;
}

namespace vz::print {

// One print job on the printer or in a file. The run begins it for the first card and asks
// for a new page for every later one, so a run that prints nothing starts no job. Nothing
// reaches the printer or the file before end(): a job that is abandoned leaves no trace.
class PrintJob
{
public:
    virtual ~PrintJob() = default;
    // Starts the job on its first page; false when the printer refused.
    virtual bool begin() = 0;
    virtual bool newPage() = 0;
    // Hands the finished job over: true only when the print system accepted it, or the file
    // is complete in its place.
    virtual bool end() = 0;
    // Drops a started job without handing anything over.
    virtual void abandon() = 0;
    virtual CardCanvas &canvas() = 0;
    virtual DotScale scale() const = 0;
    // The printer's own words for the last failure (UTF-8).
    virtual std::string errorText() const = 0;
    // What the operator should know about a job that was accepted (UTF-8), or empty.
    virtual std::string noteText() const { return {}; }
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
    NoLog,                // the log does not exist: nothing printed, no job started
    ReadFailed,           // a record could not be read; `failedPath` names the file
    FlagFailed,           // a record's QSL flag could not be written back; `failedPath`
    PrinterFailed,        // the job could not be started or was not accepted; `printerMessage`
    SettingsFailed,       // the settings file could not be read (nothing printed) or the card
                          // number could not be written to it (cards printed); `failedPath`
    CardNumberOutOfRange, // the card number setting is outside 0..kMaxCardNumber: nothing printed
    Busy, // another program held the log (a reorganization) or the settings file for the whole
          // wait: nothing printed
};

struct PrintOutcome
{
    PrintResult result = PrintResult::Ok;
    int printed = 0;        // pages handed over; the card number advanced by as many
    int skippedDeleted = 0; // deleted records in the range: no card, no number, flag untouched
    std::string failedPath;
    std::string printerMessage;
    // A job that failed after its numbers were taken, while another run took later ones: these
    // numbers stay unused (first, last; 0 when none).
    std::pair<long long, long long> numbersSkipped{0, 0};
    // Printed records whose flag was left set because another program changed them meanwhile.
    int flagsLeft = 0;
    std::string printerNote; // the job's note once accepted (a queue that holds it)
};

// Card numbers stay within seven digits, far beyond any operator's cards.
inline constexpr long long kMaxCardNumber = 9'999'999;

// The card number setting as a whole number; any other text counts as 1.
long long cardNumberOf(const std::string &setting);

// Prints the cards of `range` from the log of the current user. The records are read first
// (under the log's lock), then as many card numbers are reserved under the settings file's
// lock (read, advance, written back at once), so runs of several programs never number two
// cards alike. Every card is drawn, then the job is handed over; a job that is refused gives
// its numbers back when no other run took numbers since, else leaves them as a gap
// (`numbersSkipped`). Once accepted, the QSL flags of the printed records are cleared, each only
// when the record is still the one printed. The last number used is kept in `state.cardNumber`,
// the next in `state.settings.cardNo`; the call area of the last card becomes
// `state.currentArea`. A record that cannot be read ends the list there: the cards before it
// are printed as above. A card number beyond kMaxCardNumber, or a settings file that cannot be
// read, prints nothing.
// Prints the cards of `range` from the log of the current user: every card is composed and
// drawn first, then the job is handed over; only when it was accepted is the card number
// written to the settings file (that key alone) and then the QSL flags of the printed records
// cleared, so a refused job changes nothing and a kill between the two steps may leave a flag
// set but never gives a number twice. The last number used is kept in `state.cardNumber`; the
// call area of the last card becomes `state.currentArea`. A record that cannot be read ends
// the run there: the cards drawn before it are handed over as above. A deleted record gets no
// card and keeps its flag; they are counted in `skippedDeleted`. A card number beyond
// kMaxCardNumber, or a settings file that cannot be read, prints nothing.
PrintOutcome runPrint(app::AppState &state, const PrintRange &range, const CardDrawing &draw,
                      PrintJob &job);

// One card with sample values, for trying a layout on a real card: no record is read and
// nothing changes.
PrintOutcome runTestPrint(long long cardNumber, const CardDrawing &draw, PrintJob &job);

// `count` blank cards as the pages of one job; a count below 1 prints nothing.
PrintOutcome printBlankCards(int count, PrintJob &job);

} // namespace vz::print
