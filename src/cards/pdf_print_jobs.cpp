// SPDX-License-Identifier: GPL-3.0-or-later
#include "cards/pdf_print_jobs.h"

#include "common/file_io.h"

#include <QDir>
#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryFile>

#include <cmath>

namespace vz::print {

namespace {

constexpr double kPostcardWidthMm = 100;
constexpr double kPostcardHeightMm = 148;
// Paper this much smaller than a card still takes it: drivers round their sizes.
constexpr double kPaperSlackMm = 1;

// A write-only device over an atomic file writer, buffering the PDF writer's many small writes.
class AtomicFileDevice : public QIODevice
{
public:
    explicit AtomicFileDevice(const std::string &path) : m_file(path) {}
    bool isSequential() const override { return true; }
    bool created() const { return m_file.isOpen(); }
    // Writes what is buffered and puts the file in place; false when any write failed.
    bool commit() { return flushBuffer() && !m_failed && m_file.commit(); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        m_buffer.append(data, static_cast<std::size_t>(size));
        if (m_buffer.size() >= kBufferSize && !flushBuffer())
            return -1;
        return size;
    }

private:
    static constexpr std::size_t kBufferSize = 1 << 16;
    bool flushBuffer()
    {
        if (!m_buffer.empty() && !m_file.write(m_buffer))
            m_failed = true;
        m_buffer.clear();
        return !m_failed;
    }

    files::AtomicFileWriter m_file;
    std::string m_buffer;
    bool m_failed = false;
};

int dotsPerInchOf(float dotsPerMm)
{
    return static_cast<int>(std::lround(dotsPerMm * 25.4));
}

class PdfFileJob : public PdfPagesJob
{
public:
    PdfFileJob(std::string path, int dotsPerInch, bool lying)
        : PdfPagesJob({dotsPerMm(dotsPerInch), dotsPerMm(dotsPerInch)}), m_path(std::move(path)),
          m_lying(lying)
    {
    }

protected:
    bool open() override
    {
        auto device = std::make_unique<AtomicFileDevice>(m_path);
        if (!device->created() || !device->open(QIODevice::WriteOnly)) {
            fail(QStringLiteral("%1\nファイルを作成できませんでした")
                     .arg(QString::fromStdString(m_path)));
            return false;
        }
        m_device = device.get();
        if (m_lying)
            pagesOn(std::move(device), kPostcardHeightMm, kPostcardWidthMm);
        else
            pagesOn(std::move(device), kPostcardWidthMm, kPostcardHeightMm);
        return true;
    }
    bool deliver() override
    {
        if (m_device->commit())
            return true;
        fail(QStringLiteral("%1\nファイルを書けませんでした").arg(QString::fromStdString(m_path)));
        return false;
    }

private:
    std::string m_path;
    bool m_lying;
    AtomicFileDevice *m_device = nullptr; // owned by the job while the pages are drawn
};

class PrinterJob : public PdfPagesJob
{
public:
    PrinterJob(std::string queue, DotScale scale, bool lying, std::string lastDefault)
        : PdfPagesJob(scale), m_queueName(std::move(queue)), m_lastDefault(std::move(lastDefault)),
          m_lying(lying)
    {
    }

protected:
    bool open() override
    {
        std::string why;
        const std::optional<PrintQueue> queue = findPrintQueue(m_queueName, why);
        if (!queue) {
            fail(m_queueName.empty() && !m_lastDefault.empty()
                     ? QStringLiteral("通常使うプリンタ %1 がありません\n%2")
                           .arg(QString::fromStdString(m_lastDefault), QString::fromStdString(why))
                 : m_queueName.empty()
                     ? QStringLiteral("通常使うプリンタがありません\n%1")
                           .arg(QString::fromStdString(why))
                     : QStringLiteral("プリンタ %1 がありません\n%2")
                           .arg(QString::fromStdString(m_queueName), QString::fromStdString(why)));
            return false;
        }
        m_queue = *queue;
        auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                     QStringLiteral("/vezodovi-cards-XXXXXX.pdf"));
        if (!file->open()) {
            fail(QStringLiteral("%1\n印刷データを作成できませんでした：%2")
                     .arg(QString::fromStdString(m_queue.name), file->errorString()));
            return false;
        }
        m_file = file.get();
        // The queue's own paper: operators set postcards on their printer. A queue that names
        // none gets pages of the card's own size.
        const double cardWidth = m_lying ? kPostcardHeightMm : kPostcardWidthMm;
        const double cardHeight = m_lying ? kPostcardWidthMm : kPostcardHeightMm;
        const bool known = m_queue.paperWidthMm > 0 && m_queue.paperHeightMm > 0;
        const double paperWidth = known ? m_queue.paperWidthMm : cardWidth;
        const double paperHeight = known ? m_queue.paperHeightMm : cardHeight;
        const auto holds = [](double paper, double card) { return paper + kPaperSlackMm >= card; };
        const bool asDrawn = holds(paperWidth, cardWidth) && holds(paperHeight, cardHeight);
        const bool turned =
            !asDrawn && holds(paperWidth, cardHeight) && holds(paperHeight, cardWidth);
        if (!asDrawn && !turned) {
            fail(QStringLiteral("カード（%1 × %2 mm）はプリンタ %3 の用紙（%4 × %5 mm）に"
                                "収まらないので印刷しません。\n"
                                "プリンタの用紙をはがき（100 × 148 mm）にしてください。")
                     .arg(cardWidth)
                     .arg(cardHeight)
                     .arg(QString::fromStdString(m_queue.name))
                     .arg(paperWidth, 0, 'f', 0)
                     .arg(paperHeight, 0, 'f', 0));
            m_file = nullptr;
            return false;
        }
        pagesOn(std::move(file), paperWidth, paperHeight);
        setOrigin(m_queue.marginLeftMm, m_queue.marginTopMm);
        if (turned)
            turnCards(cardWidth);
        return true;
    }
    bool deliver() override
    {
        const QString name = QString::fromStdString(m_queue.name);
        if (!m_file->flush() || m_file->error() != QFileDevice::NoError) {
            fail(QStringLiteral("%1\n印刷データを書けませんでした：%2")
                     .arg(name, m_file->errorString()));
            return false;
        }
        const Submission sent =
            submitPdf(m_queue.name, m_file->fileName().toStdString(), "VEZODovi QSL");
        if (sent.accepted) {
            if (sent.queueStopped)
                note(QStringLiteral(
                         "プリンタ %1 は停止中です。印刷はプリンタが再開されると行われます")
                         .arg(name));
            return true;
        }
        fail(QStringLiteral("プリンタ %1 が印刷を受け付けませんでした\n%2")
                 .arg(name, QString::fromStdString(sent.message)));
        return false;
    }

private:
    std::string m_queueName;
    std::string m_lastDefault;
    bool m_lying;
    PrintQueue m_queue;
    QTemporaryFile *m_file = nullptr; // owned by the job while the pages are drawn
};

} // namespace

PdfPagesJob::~PdfPagesJob()
{
    close();
}

void PdfPagesJob::close()
{
    if (m_painter.isActive())
        m_painter.end();
    m_writer.reset();
    m_device.reset();
}

void PdfPagesJob::pagesOn(std::unique_ptr<QIODevice> device, double widthMm, double heightMm)
{
    m_device = std::move(device);
    m_writer = std::make_unique<QPdfWriter>(m_device.get());
    m_writer->setResolution(dotsPerInchOf(m_scale.x));
    m_writer->setCreator(QStringLiteral("VEZODovi"));
    const QPageSize paper(QSizeF(widthMm, heightMm), QPageSize::Millimeter, QString(),
                          QPageSize::ExactMatch);
    m_writer->setPageLayout(
        QPageLayout(paper, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

void PdfPagesJob::setOrigin(double leftMm, double topMm)
{
    m_originXDots = leftMm * m_scale.x;
    m_originYDots = topMm * m_scale.y;
}

void PdfPagesJob::applyOrigin()
{
    m_painter.resetTransform();
    // The writer counts dots across; a printer with another resolution down gets its own.
    if (m_scale.y > 0 && m_scale.y != m_scale.x)
        m_painter.scale(1.0, static_cast<double>(m_scale.x) / m_scale.y);
    m_painter.translate(m_originXDots, m_originYDots);
    if (m_turnedWidthMm > 0) {
        // A quarter turn to the left: the card's top-left corner goes to the bottom-left.
        m_painter.translate(0, m_turnedWidthMm * m_scale.x);
        m_painter.rotate(-90);
    }
}

bool PdfPagesJob::begin()
{
    if (!open()) {
        close();
        return false;
    }
    if (!m_writer || !m_painter.begin(m_writer.get())) {
        fail(QStringLiteral("印刷を開始できませんでした"));
        close();
        return false;
    }
    m_painter.setBackgroundMode(Qt::TransparentMode);
    applyOrigin();
    return true;
}

bool PdfPagesJob::newPage()
{
    if (!m_writer->newPage()) {
        fail(QStringLiteral("次のページを始められませんでした"));
        return false;
    }
    applyOrigin();
    return true;
}

bool PdfPagesJob::end()
{
    const bool drawn = m_painter.end();
    if (!drawn) {
        fail(QStringLiteral("印刷を終えられませんでした"));
        close();
        return false;
    }
    m_writer.reset(); // the writer has put the last of the document on the device
    const bool delivered = deliver();
    close();
    return delivered;
}

void PdfPagesJob::abandon()
{
    close();
}

std::unique_ptr<PrintJob> makePdfFileJob(const std::string &path, int dotsPerInch, bool lying)
{
    return std::make_unique<PdfFileJob>(path, dotsPerInch, lying);
}

std::unique_ptr<PrintJob> makePrinterJob(const std::string &queue, DotScale scale, bool lying,
                                         const std::string &lastDefault)
{
    return std::make_unique<PrinterJob>(queue, scale, lying, lastDefault);
}

} // namespace vz::print
