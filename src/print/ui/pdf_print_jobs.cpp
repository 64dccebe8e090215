// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/ui/pdf_print_jobs.h"

#include "common/data_dir.h"

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
    ~PdfFileJob() override { abandon(); }

protected:
    bool open() override
    {
        m_device = std::make_unique<AtomicFileDevice>(m_path);
        if (!m_device->created() || !m_device->open(QIODevice::WriteOnly)) {
            fail(QStringLiteral("%1\nファイルを作成できませんでした")
                     .arg(QString::fromStdString(m_path)));
            return false;
        }
        if (m_lying)
            makeWriter(*m_device, kPostcardHeightMm, kPostcardWidthMm);
        else
            makeWriter(*m_device, kPostcardWidthMm, kPostcardHeightMm);
        return true;
    }
    bool deliver() override
    {
        if (m_device->commit())
            return true;
        fail(QStringLiteral("%1\nファイルを書けませんでした").arg(QString::fromStdString(m_path)));
        return false;
    }
    void discard() override { m_device.reset(); }

private:
    std::string m_path;
    bool m_lying;
    std::unique_ptr<AtomicFileDevice> m_device;
};

class PrinterJob : public PdfPagesJob
{
public:
    PrinterJob(std::string queue, DotScale scale, bool lying)
        : PdfPagesJob(scale), m_queueName(std::move(queue)), m_lying(lying)
    {
    }
    ~PrinterJob() override { abandon(); }

protected:
    bool open() override
    {
        std::string why;
        const std::optional<PrintQueue> queue = findPrintQueue(m_queueName, why);
        if (!queue) {
            fail(m_queueName.empty()
                     ? QStringLiteral("通常使うプリンタがありません\n%1")
                           .arg(QString::fromStdString(why))
                     : QStringLiteral("プリンタ %1 がありません\n%2")
                           .arg(QString::fromStdString(m_queueName), QString::fromStdString(why)));
            return false;
        }
        m_queue = *queue;
        m_file = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                  QStringLiteral("/vezodovi-cards-XXXXXX.pdf"));
        if (!m_file->open()) {
            fail(QStringLiteral("%1\n印刷データを作成できませんでした：%2")
                     .arg(QString::fromStdString(m_queue.name), m_file->errorString()));
            return false;
        }
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
            m_file.reset();
            return false;
        }
        makeWriter(*m_file, paperWidth, paperHeight);
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
    void discard() override { m_file.reset(); }

private:
    std::string m_queueName;
    bool m_lying;
    PrintQueue m_queue;
    std::unique_ptr<QTemporaryFile> m_file;
};

} // namespace

// The painter is ended by the subclasses' destructors (abandon()), while their devices live.
PdfPagesJob::~PdfPagesJob() = default;

void PdfPagesJob::makeWriter(QIODevice &device, double widthMm, double heightMm)
{
    m_writer = std::make_unique<QPdfWriter>(&device);
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
    if (!open())
        return false;
    if (!m_painter.begin(m_writer.get())) {
        fail(QStringLiteral("印刷を開始できませんでした"));
        m_writer.reset();
        discard();
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
        m_writer.reset();
        discard();
        return false;
    }
    m_writer.reset();
    const bool delivered = deliver();
    discard();
    return delivered;
}

void PdfPagesJob::abandon()
{
    if (m_painter.isActive())
        m_painter.end();
    m_writer.reset();
    discard();
}

std::unique_ptr<PrintJob> makePdfFileJob(const std::string &path, int dotsPerInch, bool lying)
{
    return std::make_unique<PdfFileJob>(path, dotsPerInch, lying);
}

std::unique_ptr<PrintJob> makePrinterJob(const std::string &queue, DotScale scale, bool lying)
{
    return std::make_unique<PrinterJob>(queue, scale, lying);
}

} // namespace vz::print
