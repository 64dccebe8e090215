// SPDX-License-Identifier: GPL-3.0-or-later
// The printer as the print system (CUPS) describes it, and the hand-over of a finished job.
// Every lookup goes through the default server connection, so CUPS_SERVER, PRINTER and
// LPDEST are honoured as every CUPS client honours them.
#pragma once

#include <optional>
#include <string>

namespace vz::print {

struct PrintQueue
{
    std::string name;
    // The queue's default resolution.
    int dotsPerInchX = 0;
    int dotsPerInchY = 0;
    // The queue's default paper, portrait; 0 when the queue does not say.
    double paperWidthMm = 0;
    double paperHeightMm = 0;
    // The top-left corner of the printable area the driver declares (0 when none).
    double marginLeftMm = 0;
    double marginTopMm = 0;
};

// The named queue, or the default destination when `name` is empty. nullopt when there is
// none; `error` then holds the print system's words.
std::optional<PrintQueue> findPrintQueue(const std::string &name, std::string &error);

struct Submission
{
    bool accepted = false;
    int jobId = 0;
    std::string message;       // the print system's words when it did not accept the job
    bool queueStopped = false; // accepted by a stopped queue: the job waits for it
};

// Submits a finished PDF file to `queue` as one job, printed as drawn (no scaling). The answer
// says whether the print system accepted the job.
Submission submitPdf(const std::string &queue, const std::string &pdfPath,
                     const std::string &title);

} // namespace vz::print
