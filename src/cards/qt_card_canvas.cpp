// SPDX-License-Identifier: GPL-3.0-or-later
#include "cards/qt_card_canvas.h"

#include "common/sjis.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPen>

namespace vz::print {

namespace {

QString fromSjis(std::string_view sjisText)
{
    return QString::fromStdString(sjis::toUtf8(sjisText));
}

QColor toColour(Rgb c)
{
    return QColor(c.r, c.g, c.b);
}

} // namespace

void QtCardCanvas::setFont(const CardFont &font)
{
    if (m_fontSet && font == m_font)
        return;
    m_font = font;
    m_fontSet = true;
    QFont f(fromSjis(font.face));
    f.setBold(font.bold);
    if (font.heightDots > 0) {
        // A height in dots is the whole character cell, ascent and descent together.
        f.setPixelSize(font.heightDots);
        const int cell = QFontMetrics(f, m_painter.device()).height();
        if (cell > font.heightDots)
            f.setPixelSize(std::max(1, font.heightDots * font.heightDots / cell));
    } else {
        f.setPointSize(font.pointSize);
    }
    m_painter.setFont(f);
    m_ascent = m_painter.fontMetrics().ascent();
    m_escapement = font.escapement;
    m_textColour = toColour(font.colour);
}

void QtCardCanvas::setPen(const CardPen &pen)
{
    QPen p(toColour(pen.colour));
    p.setWidth(pen.width);
    p.setStyle(pen.style == PenStyle::Dotted ? Qt::DotLine : Qt::SolidLine);
    m_painter.setPen(p);
    m_painter.setBrush(Qt::NoBrush);
}

void QtCardCanvas::drawText(int x, int y, std::string_view sjisText)
{
    if (sjisText.empty())
        return;
    const QPen pen = m_painter.pen();
    m_painter.setPen(m_textColour); // the text takes the font's colour, not the pen's
    if (m_escapement != 0) {
        m_painter.save();
        m_painter.translate(x, y);
        m_painter.rotate(-m_escapement / 10.0);
        m_painter.drawText(0, m_ascent, fromSjis(sjisText));
        m_painter.restore();
    } else {
        m_painter.drawText(x, y + m_ascent, fromSjis(sjisText));
    }
    m_painter.setPen(pen);
}

void QtCardCanvas::drawLine(int x1, int y1, int x2, int y2)
{
    m_painter.drawLine(x1, y1, x2, y2);
}

void QtCardCanvas::drawRectangle(int left, int top, int right, int bottom)
{
    m_painter.drawRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
}

std::unique_ptr<QPdfWriter> makeCardPdf(const QString &path, int dotsPerInch, bool lying)
{
    auto pdf = std::make_unique<QPdfWriter>(path);
    pdf->setResolution(dotsPerInch);
    pdf->setCreator(QStringLiteral("VEZODovi"));
    const QPageSize postcard(QSizeF(100, 148), QPageSize::Millimeter, QStringLiteral("Postcard"),
                             QPageSize::ExactMatch);
    pdf->setPageLayout(QPageLayout(postcard, lying ? QPageLayout::Landscape : QPageLayout::Portrait,
                                   QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    return pdf;
}

} // namespace vz::print
