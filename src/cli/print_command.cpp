// SPDX-License-Identifier: GPL-3.0-or-later
// vezolog print: QSL cards to a PDF file, for machines without a printer, or to a CUPS queue.
// The same print run, layouts, layout file and printer job as the card dialogs, so the QSL
// flags and the card number change exactly as they do when the window prints: only once the
// file is complete or the print system accepted the job. The notices the dialogs would show
// go to standard error.
#include "cli/commands.h"

#include "adif/adif_export.h"
#include "adif/adif_import.h"
#include "app/app_state.h"
#include "app/session.h"
#include "app/user_settings.h"
#include "cards/font_setup.h"
#include "cards/pdf_print_jobs.h"
#include "common/callsign.h"
#include "common/file_io.h"
#include "common/file_lock.h"
#include "common/whole_number.h"
#include "log/log_file.h"
#include "print/card_layouts.h"
#include "print/layout_file.h"
#include "print/print_queue.h"
#include "print/print_run.h"

#include <QGuiApplication>

#include <memory>
#include <optional>
#include <ostream>

namespace vz::cli {

namespace {

constexpr const char *kUsage =
    "usage: vezolog print postcard|horizontal|vertical DATADIR CALLSIGN"
    " (--from N --to M | --unissued) (--pdf FILE [--dpi N] | --printer NAME)\n"
    "       vezolog print blank DATADIR CALLSIGN --count N (--pdf FILE [--dpi N] | --printer "
    "NAME)\n"
    "       vezolog print test DATADIR CALLSIGN [--vertical] (--pdf FILE [--dpi N] | --printer "
    "NAME)\n";

enum class Kind { Postcard, Horizontal, Vertical, Blank, Test };

struct Request
{
    Kind kind = Kind::Postcard;
    std::optional<long long> from;
    std::optional<long long> to;
    std::optional<long long> count;
    bool unissued = false;
    bool vertical = false;
    std::string pdf;
    std::string printer;
    std::optional<long long> dpi;
};

std::optional<Kind> kindOf(const std::string &name)
{
    if (name == "postcard")
        return Kind::Postcard;
    if (name == "horizontal")
        return Kind::Horizontal;
    if (name == "vertical")
        return Kind::Vertical;
    if (name == "blank")
        return Kind::Blank;
    if (name == "test")
        return Kind::Test;
    return std::nullopt;
}

bool parseRequest(const Args &args, Request &r)
{
    if (args.size() < 3)
        return false;
    const std::optional<Kind> kind = kindOf(args[0]);
    if (!kind)
        return false;
    r.kind = *kind;
    for (std::size_t i = 3; i < args.size(); ++i) {
        const std::string &a = args[i];
        const bool hasValue = i + 1 < args.size();
        std::optional<long long> *number = nullptr;
        if (a == "--from")
            number = &r.from;
        else if (a == "--to")
            number = &r.to;
        else if (a == "--count")
            number = &r.count;
        if (number && hasValue && !*number) {
            *number = parseWholeNumber(args[++i]);
            if (!*number)
                return false;
        } else if (a == "--dpi" && hasValue) {
            const std::optional<long long> dpi = parseWholeNumber(args[++i], 72, 2400);
            if (!dpi)
                return false;
            r.dpi = *dpi;
        } else if (a == "--pdf" && hasValue && r.pdf.empty()) {
            r.pdf = args[++i];
        } else if (a == "--printer" && hasValue && r.printer.empty() && !args[i + 1].empty()) {
            r.printer = args[++i];
        } else if (a == "--unissued" && !r.unissued) {
            r.unissued = true;
        } else if (a == "--vertical" && r.kind == Kind::Test) {
            r.vertical = true;
        } else {
            return false;
        }
    }
    // One destination: a file, at a resolution of its own, or a printer at the queue's.
    if (r.pdf.empty() == r.printer.empty() || (r.dpi && !r.printer.empty()))
        return false;
    const bool range = r.from || r.to;
    switch (r.kind) {
    case Kind::Postcard:
    case Kind::Horizontal:
    case Kind::Vertical:
        return !r.count && (range ? (r.from && r.to && !r.unissued) : r.unissued);
    case Kind::Blank:
        return r.count && *r.count >= 1 && !range && !r.unissued;
    case Kind::Test:
        return !r.count && !range && !r.unissued;
    }
    return false;
}

// Fonts and the PDF writer need a GUI application; it never opens a window.
void ensureGuiApplication()
{
    if (QGuiApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vezolog";
    static char *argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    ui::installFontSubstitutions();
}

// The draw operation of a card kind with the user's stored options and layout.
print::CardDrawing drawingFor(Kind kind, const ProfileFile &layoutFile)
{
    using namespace print;
    if (kind == Kind::Postcard) {
        const PostcardOptions options = readPostcardOptions(layoutFile, PostcardOptions{});
        return [options](CardCanvas &c, const DotScale &s, const CardText &card, long long n) {
            drawPostcard(c, s, card, n, options);
        };
    }
    const CommercialOptions options = readCommercialOptions(layoutFile, CommercialOptions{});
    const CardKind cardKind = kind == Kind::Vertical ? CardKind::Vertical : CardKind::Horizontal;
    const CardLayout layout = readLayout(layoutFile, cardKind, defaultLayout(cardKind));
    if (cardKind == CardKind::Vertical)
        return [options, layout](CardCanvas &c, const DotScale &s, const CardText &card,
                                 long long n) { drawVerticalCard(c, s, card, n, options, layout); };
    return [options, layout](CardCanvas &c, const DotScale &s, const CardText &card, long long n) {
        drawHorizontalCard(c, s, card, n, options, layout);
    };
}

} // namespace

const char *printUsage()
{
    return kUsage;
}

int runPrintCommand(const Args &args, std::ostream &out, std::ostream &err)
{
    (void)out;
    Request request;
    if (!parseRequest(args, request)) {
        err << kUsage;
        return 2;
    }
    // Blank and test cards read no log.
    const bool fromLog = request.kind != Kind::Blank && request.kind != Kind::Test;
    Needs needs = needsOf("print");
    needs.log = fromLog;
    app::AppState state;
    if (const int status = enterCommand(needs, args[1], args[2], state, err))
        return status;
    if (!request.pdf.empty()) {
        adif::ExportSummary refused;
        refused.result = adif::checkExportOutput(state.logPath, request.pdf);
        if (refused.result != adif::ExportResult::Ok) {
            err << "vezolog: " << request.pdf << ": " << adif::summaryText(refused);
            return 1;
        }
    }
    if (!readPrefixTable(state, err))
        return 1;
    const std::optional<ProfileFile> layoutFile = ProfileFile::load(state.layoutPath);
    if (!layoutFile) {
        err << "vezolog: cannot read " << state.layoutPath << "\n";
        return 1;
    }

    print::PrintRange range;
    if (fromLog) {
        const std::int32_t last = log::recordCount(state.logPath);
        if (request.unissued) {
            range = {0, last, true};
        } else {
            if (!checkRecordRange(*request.from, *request.to, last, err))
                return 2;
            range = {static_cast<std::int32_t>(*request.from - 1),
                     static_cast<std::int32_t>(*request.to), false};
        }
    }

    ensureGuiApplication();
    const bool lying =
        request.kind == Kind::Horizontal || (request.kind == Kind::Test && !request.vertical);
    std::unique_ptr<print::PrintJob> destination;
    if (request.printer.empty()) {
        destination =
            print::makePdfFileJob(request.pdf, static_cast<int>(request.dpi.value_or(600)), lying);
    } else {
        // The queue's own resolution, measured once as the window measures it at start-up.
        std::string why;
        const std::optional<print::PrintQueue> queue = print::findPrintQueue(request.printer, why);
        if (!queue) {
            err << "vezolog: " << request.printer << ": " << why << "\n";
            return 1;
        }
        destination = print::makePrinterJob(
            queue->name,
            {print::dotsPerMm(queue->dotsPerInchX), print::dotsPerMm(queue->dotsPerInchY)}, lying);
    }
    print::PrintJob &job = *destination;

    print::PrintOutcome outcome;
    switch (request.kind) {
    case Kind::Blank:
        outcome = print::printBlankCards(
            static_cast<int>(std::min<long long>(*request.count, 1'000'000)), job);
        break;
    case Kind::Test:
        outcome = print::runTestPrint(
            state.cardNumber,
            drawingFor(request.vertical ? Kind::Vertical : Kind::Horizontal, *layoutFile), job);
        break;
    default:
        outcome = print::runPrint(state, range, drawingFor(request.kind, *layoutFile), job);
        break;
    }

    int status = 0;
    switch (outcome.result) {
    case print::PrintResult::Ok:
    case print::PrintResult::NoLog:
        break;
    case print::PrintResult::ReadFailed:
        err << "vezolog: cannot read " << outcome.failedPath << "\n";
        status = 1;
        break;
    case print::PrintResult::FlagFailed:
        err << "vezolog: cannot write " << outcome.failedPath << "\n";
        status = 1;
        break;
    case print::PrintResult::SettingsFailed:
        err << "vezolog: cannot " << (outcome.printed > 0 ? "write " : "read ")
            << outcome.failedPath << "\n";
        status = 1;
        break;
    case print::PrintResult::CardNumberOutOfRange:
        err << "vezolog: the card number " << state.settings.cardNo << " is outside 0 to "
            << print::kMaxCardNumber << "; nothing printed\n";
        status = 1;
        break;
    case print::PrintResult::PrinterFailed:
        err << "vezolog: " << outcome.printerMessage << "\n";
        status = 1;
        break;
    case print::PrintResult::Busy:
        err << "vezolog: " << kLogBusyText << "\n";
        status = 1;
        break;
    }
    if (outcome.numbersSkipped.first > 0)
        err << "vezolog: card numbers " << outcome.numbersSkipped.first << " to "
            << outcome.numbersSkipped.second
            << " stay unused: another run took later numbers meanwhile\n";
    if (outcome.flagsLeft > 0)
        err << "vezolog: " << outcome.flagsLeft
            << " printed records were changed meanwhile; their cards stay pending\n";
    if (!outcome.printerNote.empty())
        err << "vezolog: " << outcome.printerNote << "\n";
    if (outcome.skippedDeleted > 0)
        err << "vezolog: " << outcome.skippedDeleted << " deleted record"
            << (outcome.skippedDeleted == 1 ? "" : "s") << " left out\n";
    if (outcome.printed == 0 && status == 0)
        err << "vezolog: no card to print\n";
    return status;
}

} // namespace vz::cli
