// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/ui/calendar_strip.h"

#include "common/ui/qt_text.h"

#include <QMouseEvent>

namespace vz::ui {

namespace {

constexpr int kCellLeft = 70;
constexpr int kCellWidth = 18;
constexpr int kCellTop = 4;
constexpr int kCellHeight = 16;

} // namespace

void DayCell::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

CalendarStrip::CalendarStrip(QWidget *parent)
    : QWidget(parent), m_monthLabel(new QLabel(this)), m_selectedDateLabel(new QLabel(this)),
      m_dayInfoLabel(new QLabel(this))
{
    setObjectName(QStringLiteral("calendarStrip"));
    m_monthLabel->setObjectName(QStringLiteral("monthLabel"));
    m_monthLabel->setGeometry(2, kCellTop, kCellLeft - 4, kCellHeight);
    QFont italic = m_monthLabel->font();
    italic.setItalic(true);
    m_monthLabel->setFont(italic);
    QPalette blue = m_monthLabel->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    m_monthLabel->setPalette(blue);

    QFont cellFont = font();
    cellFont.setPointSize(10);
    // Two digits in an 18-pixel cell: a condensed face keeps neighbouring days apart.
    cellFont.setStretch(QFont::Condensed);
    const std::array<QColor, 3> colours = {QColor(0, 0, 0), QColor(255, 0, 0), QColor(0, 0, 255)};
    for (std::size_t c = 0; c < colours.size(); ++c) {
        m_colourPalettes[c] = palette();
        m_colourPalettes[c].setColor(QPalette::WindowText, colours[c]);
    }
    for (int i = 0; i < calendar::kDayCells; ++i) {
        auto *cell = new DayCell(this);
        cell->setObjectName(QStringLiteral("dayCell%1").arg(i + 1));
        cell->setGeometry(kCellLeft + kCellWidth * i, kCellTop, kCellWidth, kCellHeight);
        cell->setAlignment(Qt::AlignCenter);
        cell->setFont(cellFont);
        cell->setLineWidth(1);
        connect(cell, &DayCell::clicked, this, [this, i] { Q_EMIT dayCellClicked(i); });
        m_dayCells[static_cast<std::size_t>(i)] = cell;
    }

    m_selectedDateLabel->setObjectName(QStringLiteral("selectedDateLabel"));
    m_selectedDateLabel->setGeometry(4, 24, 150, 16);
    m_dayInfoLabel->setObjectName(QStringLiteral("dayInfoLabel"));
    m_dayInfoLabel->setGeometry(156, 24, 470, 16);
    setFixedSize(kCellLeft + kCellWidth * calendar::kDayCells + 2, 42);
}

void CalendarStrip::showMonth(const calendar::MonthStrip &strip, const QString &dayInfo)
{
    for (int i = 0; i < calendar::kDayCells; ++i) {
        DayCell *cell = m_dayCells[static_cast<std::size_t>(i)];
        const bool isDay = i < strip.length;
        cell->setText(isDay ? QString::number(i + 1) : QStringLiteral(" "));
        cell->setCursor(isDay ? Qt::PointingHandCursor : Qt::ArrowCursor);
        cell->setPalette(m_colourPalettes[static_cast<std::size_t>(
            isDay ? strip.colour[static_cast<std::size_t>(i)] : calendar::DayColour::Black)]);
        cell->setFrameShape(i + 1 == strip.markedDay ? QFrame::Box : QFrame::NoFrame);
    }
    m_monthLabel->setText(QString::fromLatin1(strip.monthLabel));
    m_selectedDateLabel->setText(fromSjis(strip.selectedLine));
    m_dayInfoLabel->setText(dayInfo);
}

} // namespace vz::ui
