// SPDX-License-Identifier: GPL-3.0-or-later
// The one-line month calendar of the main window: the year and month at the left, 31 day
// cells coloured by weekday and holiday with the selected day framed, and below them the
// selected date and that day's holiday name and events.
#pragma once

#include "calendar/month_strip.h"

#include <QLabel>
#include <QWidget>

#include <array>

namespace vz::ui {

// A day cell: a label that reports a click.
class DayCell : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

class CalendarStrip : public QWidget
{
    Q_OBJECT
public:
    explicit CalendarStrip(QWidget *parent = nullptr);

    // Fills the cells and labels for `strip`; `dayInfo` is the marked day's information line.
    void showMonth(const calendar::MonthStrip &strip, const QString &dayInfo);

    DayCell *dayCell(int cell) const { return m_dayCells[static_cast<std::size_t>(cell)]; }

Q_SIGNALS:
    // Any cell, blank ones included: the owner decides what a click on a blank does (nothing).
    void dayCellClicked(int cell);

private:
    QLabel *m_monthLabel;
    std::array<DayCell *, calendar::kDayCells> m_dayCells{};
    QLabel *m_selectedDateLabel;
    QLabel *m_dayInfoLabel;
    std::array<QPalette, 3> m_colourPalettes; // indexed by calendar::DayColour
};

} // namespace vz::ui
