// SPDX-License-Identifier: GPL-3.0-or-later
// The card canvas on a Qt paint device: the PDF pages of a print job or a preview. Texts are
// turned from Shift_JIS into Unicode here, where the domain's cards meet Qt.
#pragma once

#include "print/card_canvas.h"

#include <QFont>
#include <QPainter>
#include <QString>

#include <memory>

class QPdfWriter;

namespace vz::print {

class QtCardCanvas : public CardCanvas
{
public:
    explicit QtCardCanvas(QPainter &painter) : m_painter(painter) {}

    void setFont(const CardFont &font) override;
    void setPen(const CardPen &pen) override;
    void drawText(int x, int y, std::string_view sjisText) override;
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawRectangle(int left, int top, int right, int bottom) override;

private:
    QPainter &m_painter;
    CardFont m_font;
    bool m_fontSet = false;
    QColor m_textColour = Qt::black;
    int m_ascent = 0;
    int m_escapement = 0;
};

// Pages for a card of `kind` in a PDF file: a postcard, 100 x 148 mm, upright, or lying for
// the horizontal commercial cards.
std::unique_ptr<QPdfWriter> makeCardPdf(const QString &path, int dotsPerInch, bool lying);

} // namespace vz::print
