// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/print_queue.h"

#include <cups/cups.h>
#include <cups/ppd.h>

#include <unistd.h>

namespace vz::print {

namespace {

constexpr double kMmPerPoint = 25.4 / 72;
// Sizes in CUPS media records are hundredths of a millimetre.
constexpr double kMmPerMediaUnit = 0.01;
// A queue that reports no resolution of its own: the usual resolution of PostScript drivers.
constexpr int kUnreportedDotsPerInch = 300;

// The default resolution as the print system reports it for the queue.
void readResolution(cups_dest_t *dest, cups_dinfo_t *info, PrintQueue &queue)
{
    queue.dotsPerInchX = queue.dotsPerInchY = kUnreportedDotsPerInch;
    ipp_attribute_t *attr =
        info ? cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution") : nullptr;
    if (!attr || ippGetValueTag(attr) != IPP_TAG_RESOLUTION)
        return;
    int y = 0;
    ipp_res_t units = IPP_RES_PER_INCH;
    const int x = ippGetResolution(attr, 0, &y, &units);
    if (x <= 0 || y <= 0)
        return;
    if (units == IPP_RES_PER_CM) {
        queue.dotsPerInchX = static_cast<int>(x * 2.54 + 0.5);
        queue.dotsPerInchY = static_cast<int>(y * 2.54 + 0.5);
    } else {
        queue.dotsPerInchX = x;
        queue.dotsPerInchY = y;
    }
}

// The default paper and its printable area from the queue's driver description (PPD), which
// knows custom sizes such as the postcards operators set; false when the queue has none.
bool readPaperFromDriver(const char *name, PrintQueue &queue)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const char *file = cupsGetPPD2(CUPS_HTTP_DEFAULT, name);
    if (!file)
        return false;
    bool found = false;
    if (ppd_file_t *ppd = ppdOpenFile(file)) {
        ppdMarkDefaults(ppd);
        const ppd_option_t *option = ppdFindOption(ppd, "PageSize");
        const ppd_size_t *size = option ? ppdPageSize(ppd, option->defchoice) : nullptr;
        if (!size)
            size = ppdPageSize(ppd, nullptr);
        if (size && size->width > 0 && size->length > 0) {
            queue.paperWidthMm = size->width * kMmPerPoint;
            queue.paperHeightMm = size->length * kMmPerPoint;
            queue.marginLeftMm = size->left * kMmPerPoint;
            queue.marginTopMm = (size->length - size->top) * kMmPerPoint;
            found = true;
        }
        ppdClose(ppd);
    }
    ::unlink(file);
#pragma GCC diagnostic pop
    return found;
}

// The default paper from the queue's IPP attributes, for queues without a driver description.
void readPaperFromAttributes(cups_dest_t *dest, cups_dinfo_t *info, PrintQueue &queue)
{
    ipp_attribute_t *attr =
        info ? cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "media") : nullptr;
    const char *media = attr ? ippGetString(attr, 0, nullptr) : nullptr;
    cups_size_t size{};
    if (!media || std::string_view(media) == "unknown" ||
        !cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, dest, info, media, CUPS_MEDIA_FLAGS_DEFAULT,
                                &size))
        return;
    queue.paperWidthMm = size.width * kMmPerMediaUnit;
    queue.paperHeightMm = size.length * kMmPerMediaUnit;
    queue.marginLeftMm = size.left * kMmPerMediaUnit;
    queue.marginTopMm = size.top * kMmPerMediaUnit;
}

} // namespace

std::optional<PrintQueue> findPrintQueue(const std::string &name, std::string &error)
{
    cups_dest_t *dest =
        cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.empty() ? nullptr : name.c_str(), nullptr);
    if (!dest) {
        error = cupsLastErrorString();
        return std::nullopt;
    }
    PrintQueue queue;
    queue.name = dest->name;
    cups_dinfo_t *info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
    readResolution(dest, info, queue);
    if (!readPaperFromDriver(dest->name, queue))
        readPaperFromAttributes(dest, info, queue);
    if (info)
        cupsFreeDestInfo(info);
    cupsFreeDests(1, dest);
    return queue;
}

Submission submitPdf(const std::string &queue, const std::string &pdfPath, const std::string &title)
{
    cups_option_t *options = nullptr;
    int count = cupsAddOption("print-scaling", "none", 0, &options);
    count = cupsAddOption("document-format", "application/pdf", count, &options);
    Submission result;
    result.jobId = cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.c_str(), pdfPath.c_str(), title.c_str(),
                                  count, options);
    cupsFreeOptions(count, options);
    result.accepted = result.jobId > 0;
    if (!result.accepted) {
        result.message = cupsLastErrorString();
        return result;
    }
    // A stopped queue (cupsdisable) takes the job and keeps it until it is started again.
    if (cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.c_str(), nullptr)) {
        const char *state = cupsGetOption("printer-state", dest->num_options, dest->options);
        result.queueStopped = state && std::string_view(state) == "5";
        cupsFreeDests(1, dest);
    }
    return result;
}

} // namespace vz::print
