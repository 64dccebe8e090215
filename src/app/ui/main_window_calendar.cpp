// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's calendar and clocks: the month strip with its navigation, the two clock
// faces on the 500 ms tick with the return to today just after midnight, and the event
// dialog.
#include "app/ui/main_window.h"

#include "app/ui/title_line.h"
#include "calendar/ui/calendar_strip.h"
#include "calendar/ui/clock_panel.h"
#include "calendar/ui/event_dialog.h"
#include "common/file_io.h"
#include "common/ui/hint_bar.h"
#include "common/ui/qt_text.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QTimer>

namespace vz::ui {

void MainWindow::buildCalendar()
{
    // The clock panel takes the right end from top to bottom; the title line with
    // "日付の復帰", the strip and the day's line fill the rest under the command tabs.
    m_clockPanel = new ClockPanel(this);
    m_clockPanel->setObjectName(QStringLiteral("clockPanel"));
    m_clockPanel->move(width() - m_clockPanel->width() - 2, 2);

    m_titleLine->setGeometry(0, 50, 550, 22);
    m_dateBackButton->setObjectName(QStringLiteral("dateBackButton"));
    m_dateBackButton->setGeometry(552, 50, 76, 20);
    m_dateBackButton->setFlat(true);
    m_dateBackButton->setEnabled(false);
    setHint(m_dateBackButton, QStringLiteral("|カレンダー表示を今日の日付に戻します"));
    connect(m_dateBackButton, &QPushButton::clicked, this, &MainWindow::dateBackClicked);

    m_calendarStrip = new CalendarStrip(this);
    m_calendarStrip->move(0, 74);
    connect(m_calendarStrip, &CalendarStrip::dayCellClicked, this, &MainWindow::dayCellClicked);

    resetCalendarToToday();
    drawCalendar();
}

void MainWindow::drawClocks()
{
    m_clockPanel->showTime(calendar::takeClockSnapshot(*m_state.clock));
}

void MainWindow::tick()
{
    drawClocks();
    // The first second of a day falls on one or two ticks; either redraws today.
    if (m_clockPanel->localTimeLine() == QLatin1String("00:00:01")) {
        resetCalendarToToday();
        drawCalendar();
    }
}

void MainWindow::resetCalendarToToday()
{
    m_calendarDate = calendar::todayOf(calendar::takeClockSnapshot(*m_state.clock));
}

void MainWindow::drawCalendar()
{
    const calendar::MonthStrip strip = calendar::monthStrip(m_calendarDate);
    std::string line;
    calendar::EventSchedule events; // read once for the drawing
    files::ReadProblem why = files::ReadProblem::None;
    const bool read = events.load(m_state.eventPath, &why) == calendar::EventIo::Ok;
    calendar::dayInfoLine(strip, events, line);
    m_calendarStrip->showMonth(strip, fromSjis(line));
    if (!read && !m_eventReadFailed)
        m_services.messages.error(
            QStringLiteral("行事予定のファイルを読めませんでした。\n%1%2")
                .arg(QString::fromStdString(m_state.eventPath),
                     why == files::ReadProblem::None
                         ? QString()
                         : QStringLiteral("\n") +
                               QString::fromStdString(std::string(files::readProblemText(why)))));
    m_eventReadFailed = !read;
}

void MainWindow::moveCalendar(bool (*move)(calendar::CalendarDate &))
{
    if (!move(m_calendarDate))
        return; // the calendar begins with the year 1
    m_commands.at(Command::BackToToday)->setEnabled(true);
    drawCalendar();
}

void MainWindow::backToTodayCommand()
{
    m_commands.at(Command::BackToToday)->setEnabled(false);
    resetCalendarToToday();
    drawCalendar();
}

void MainWindow::dateBackClicked()
{
    m_dateBackButton->setEnabled(false);
    resetCalendarToToday();
    drawCalendar();
}

void MainWindow::dayCellClicked(int cell)
{
    if (!calendar::selectDayCell(m_calendarDate, cell))
        return; // a blank cell after the month's end
    m_dateBackButton->setEnabled(true);
    drawCalendar();
}

void MainWindow::eventsCommand()
{
    if (auto *open = findChild<EventDialog *>(); open && open->isVisible()) {
        open->raise();
        open->activateWindow();
        return;
    }
    m_state.dialogModes.event = 1;
    auto *dialog = new EventDialog(m_state, m_services, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &EventDialog::eventRegistered, this, &MainWindow::drawCalendar);
    connect(dialog, &QDialog::finished, this, [this] {
        m_state.dialogModes.event = 0;
        hintCarrierClosed();
    });
    placeDialog(dialog, Placement::CarriesHintBar);
    dialog->show();
}

} // namespace vz::ui
