// SPDX-License-Identifier: GPL-3.0-or-later
// Print jobs whose pages are drawn into a PDF document first and handed over whole at the
// end: into a file (vezolog print --pdf) or to the print system (the printer). Until end()
// nothing reaches the file or the printer, so a run can still be abandoned without a trace.
#pragma once

#include "cards/qt_card_canvas.h"
#include "print/print_queue.h"
#include "print/print_run.h"

#include <QIODevice>
#include <QPainter>
#include <QPdfWriter>
#include <QString>

#include <memory>
#include <string>

namespace vz::print {

// The drawing half: a PDF writer on the job's own device, the painter and the canvas. The
// job owns the device and declares it before the writer and the painter, so the painter always
// ends before the writer goes and the writer before the device, whatever path the job ends by.
class PdfPagesJob : public PrintJob
{
public:
    ~PdfPagesJob() override;

    bool begin() override;
    bool newPage() override;
    bool end() override;
    void abandon() override;
    CardCanvas &canvas() override { return m_canvas; }
    DotScale scale() const override { return m_scale; }
    std::string errorText() const override { return m_error.toStdString(); }
    std::string noteText() const override { return m_note.toStdString(); }

protected:
    explicit PdfPagesJob(DotScale scale) : m_scale(scale) {}
    // Opens the device the pages go to, hands it over with pagesOn() and sets the origin;
    // false with the error set when it cannot.
    virtual bool open() = 0;
    // Hands the complete document over (the device still open); false with the error set.
    virtual bool deliver() = 0;
    // The job takes `device` and puts a writer on it at the job's resolution, with pages of
    // the given size in millimetres and no margins of its own.
    void pagesOn(std::unique_ptr<QIODevice> device, double widthMm, double heightMm);
    // Where millimetre 0 lies on the page, in dots.
    void setOrigin(double leftMm, double topMm);
    // Draws every card turned a quarter to the left onto upright pages: a lying card of
    // `lyingWidthMm` across lands with its top along the page's left edge.
    void turnCards(double lyingWidthMm) { m_turnedWidthMm = lyingWidthMm; }
    void fail(const QString &text) { m_error = text; }
    void note(const QString &text) { m_note = text; }

private:
    void applyOrigin();
    // Ends the painter, then drops the writer and the device, in that order.
    void close();

    DotScale m_scale;
    std::unique_ptr<QIODevice> m_device;
    std::unique_ptr<QPdfWriter> m_writer;
    QPainter m_painter;
    QtCardCanvas m_canvas{m_painter};
    double m_originXDots = 0;
    double m_originYDots = 0;
    double m_turnedWidthMm = 0; // 0: drawn as the page stands
    QString m_error;
    QString m_note;
};

// The cards as a PDF file at `path`: pages of a postcard, upright or lying, at the given
// resolution. The document is written to a temporary file beside the target and renamed into
// place only when complete, so a full disk or a kill leaves the old file (or none) untouched.
std::unique_ptr<PrintJob> makePdfFileJob(const std::string &path, int dotsPerInch, bool lying);

// The cards on a CUPS queue (the default destination when `queue` is empty): pages of the
// queue's own default paper at the resolution of `scale`, each card drawn from the top-left
// corner of the printable area the driver declares. end() is true only when the print system
// accepted the job; otherwise the error names the printer and gives the print system's words.
// A `lying` card (a horizontal commercial card, 148 x 100 mm) on upright paper is turned to
// fit it; on paper it fits neither way the job does not start and says so. A job accepted by
// a stopped queue waits there: noteText() says so.
// `lastDefault`: the default printer's name as last found, named if it has gone since.
std::unique_ptr<PrintJob> makePrinterJob(const std::string &queue, DotScale scale,
                                         bool lying = false, const std::string &lastDefault = {});

} // namespace vz::print
