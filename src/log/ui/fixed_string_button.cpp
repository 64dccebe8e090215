// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/ui/fixed_string_button.h"

#include <QFontInfo>
#include <QStyleOptionToolButton>
#include <QStylePainter>

#include <algorithm>
#include <cmath>

namespace vz::ui {

FixedStringButton::FixedStringButton(QWidget *parent) : QToolButton(parent), m_baseFont(font()) {}

void FixedStringButton::setCaption(const QString &text)
{
    setText(text);
    fitCaption();
}

int FixedStringButton::captionRoom() const
{
    QStyleOptionToolButton option;
    initStyleOption(&option);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    // A pixel more on each side keeps the first and last letter off the frame.
    return width() - 2 * (frame + 1);
}

void FixedStringButton::fitCaption()
{
    const QString caption = text();
    const int room = captionRoom();
    const auto fits = [&](const QFont &candidate) {
        return QFontMetrics(candidate).horizontalAdvance(caption) <= room;
    };
    // Whole pixels, never below the least point size.
    const int least = static_cast<int>(std::ceil(kLeastPointSize * logicalDpiY() / 72.0));
    const int base = std::max(QFontInfo(m_baseFont).pixelSize(), least);
    QFont f = m_baseFont;
    for (int size = base; size >= least; --size) {
        f.setPixelSize(size);
        if (fits(f)) {
            setFont(f);
            return;
        }
    }
    // The least size, narrowed as far as it reads well; what still does not fit is cut.
    for (const int stretch : {QFont::SemiCondensed, QFont::Condensed}) {
        f.setStretch(stretch);
        if (fits(f))
            break;
    }
    setFont(f);
}

QString FixedStringButton::shownCaption() const
{
    // Measured as the font was chosen: what fits is shown whole.
    const int room = captionRoom();
    if (fontMetrics().horizontalAdvance(text()) <= room)
        return text();
    return fontMetrics().elidedText(text(), Qt::ElideRight, room);
}

void FixedStringButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.text = shownCaption();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
}

void FixedStringButton::resizeEvent(QResizeEvent *event)
{
    QToolButton::resizeEvent(event);
    fitCaption();
}

} // namespace vz::ui
