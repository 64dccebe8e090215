// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/main_window.h"

#include "calendar/event_file.h"
#include "calendar/ui/calendar_strip.h"
#include "calendar/ui/event_dialog.h"
#include "common/ui/hint_bar.h"
#include "log/log_file.h"

#include "support/window_fixture.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace vz;
using namespace vz::ui;
using vz::test::sj;

namespace {

calendar::ClockSnapshot at(int y, int mo, int d, int h, int mi, int s, int utcDay, int utcHour)
{
    return {{y, mo, d, h, mi, s, 0}, {y, mo, utcDay, utcHour, mi, s, 0}};
}

struct Fixture : test::WindowFixture
{
    calendar::FixedClock *clock = nullptr;
    std::unique_ptr<MainWindow> form;

    explicit Fixture(calendar::ClockSnapshot now = at(2026, 12, 6, 9, 0, 0, 6, 0))
    {
        auto fixed = std::make_unique<calendar::FixedClock>(now);
        clock = fixed.get();
        state.clock = std::move(fixed);
        dir.installPrefixTable();
        dir.write("Start.DAT", "JA1ABC");
        calendar::appendEvent(dir.file("JA1ABC.pln"), "0000/12/06", sj("誕生会"));
        calendar::appendEvent(dir.file("JA1ABC.pln"), "0000/11/03", sj("展示会"));
        form = std::make_unique<MainWindow>(state, services, QString::fromStdString(dir.path()));
        EXPECT_TRUE(form->startUp());
        form->show();
    }
    ~Fixture()
    {
        state.startAborted = true;
        form->close();
    }
    QString text(const char *label) const
    {
        return form->findChild<QLabel *>(QLatin1String(label))->text();
    }
    DayCell *cell(int day) const { return form->findChild<CalendarStrip *>()->dayCell(day - 1); }
    int markedDay() const
    {
        int marked = 0;
        for (int d = 1; d <= 31; ++d)
            if (cell(d)->frameShape() == QFrame::Box)
                marked = marked ? -1 : d;
        return marked;
    }
    void command(Command id) const { QTest::mouseClick(form->commandButton(id), Qt::LeftButton); }
    QAbstractButton *dateBack() const
    {
        return form->findChild<QPushButton *>(QStringLiteral("dateBackButton"));
    }
};

} // namespace

TEST(MainWindowCalendar, ShowsTodayWithClocksHolidaysAndEvents)
{
    Fixture f(at(2026, 12, 6, 9, 5, 1, 6, 0));
    EXPECT_EQ(f.text("monthLabel"), QStringLiteral("2026 Dec"));
    EXPECT_EQ(f.text("selectedDateLabel"), QStringLiteral("2026/12/06 の予定"));
    EXPECT_EQ(f.text("dayInfoLabel"), QStringLiteral("誕生会"));
    EXPECT_EQ(f.markedDay(), 6);
    EXPECT_EQ(f.text("localDateLabel"), QStringLiteral("J 26/12/06"));
    EXPECT_EQ(f.text("localTimeLabel"), QStringLiteral("09:05:01"));
    EXPECT_EQ(f.text("utcDateLabel"), QStringLiteral("G 26/12/06"));
    EXPECT_EQ(f.text("utcTimeLabel"), QStringLiteral("00:05:01"));
    EXPECT_EQ(f.cell(6)->palette().color(QPalette::WindowText), QColor(255, 0, 0)); // Sunday
    EXPECT_EQ(f.cell(5)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(f.cell(31)->text(), QStringLiteral("31"));

    // November: the mark stays on the 6th; the 3rd shows its holiday before the event.
    f.command(Command::PrevMonth);
    EXPECT_EQ(f.text("monthLabel"), QStringLiteral("2026 Nov"));
    EXPECT_EQ(f.text("selectedDateLabel"), QStringLiteral("2026/11/06 の予定"));
    EXPECT_EQ(f.markedDay(), 6);
    EXPECT_EQ(f.cell(31)->text(), QStringLiteral(" "));
    QTest::mouseClick(f.cell(3), Qt::LeftButton);
    EXPECT_EQ(f.text("dayInfoLabel"), QStringLiteral("文化の日； 展示会"));
    EXPECT_TRUE(f.dateBack()->isEnabled());
}

TEST(MainWindowCalendar, NavigationWrapsAndTheReturnButtonsTrackTheirState)
{
    Fixture f(at(2026, 1, 15, 12, 0, 0, 15, 3));
    QAbstractButton *back = f.form->commandButton(Command::BackToToday);
    f.command(Command::PrevMonth);
    EXPECT_EQ(f.text("monthLabel"), QStringLiteral("2025 Dec"));
    EXPECT_TRUE(back->isEnabled());
    f.command(Command::BackToToday);
    EXPECT_FALSE(back->isEnabled());
    EXPECT_EQ(f.text("monthLabel"), QStringLiteral("2026 Jan"));
    f.command(Command::NextYear);
    f.command(Command::NextYear);
    for (int i = 0; i < 11; ++i)
        f.command(Command::NextMonth);
    EXPECT_EQ(f.text("monthLabel"), QStringLiteral("2028 Dec"));
    f.command(Command::NextMonth);
    EXPECT_EQ(f.text("monthLabel"), QStringLiteral("2029 Jan"));
    f.command(Command::PrevYear);
    EXPECT_EQ(f.text("monthLabel"), QStringLiteral("2028 Jan"));

    // A blank cell after the month's end does nothing at all.
    f.command(Command::NextMonth); // February 2028: 29 days
    EXPECT_FALSE(f.dateBack()->isEnabled());
    const QString before = f.text("selectedDateLabel");
    QTest::mouseClick(f.cell(30), Qt::LeftButton);
    EXPECT_FALSE(f.dateBack()->isEnabled());
    EXPECT_EQ(f.text("selectedDateLabel"), before);
    QTest::mouseClick(f.cell(29), Qt::LeftButton);
    EXPECT_TRUE(f.dateBack()->isEnabled());
    EXPECT_EQ(f.text("selectedDateLabel"), QStringLiteral("2028/02/29 の予定"));
    // The 29th kept while February 2027 shows its 28th; "日付の復帰" brings today back.
    f.command(Command::PrevYear);
    EXPECT_EQ(f.markedDay(), 28);
    QTest::mouseClick(f.dateBack(), Qt::LeftButton);
    EXPECT_FALSE(f.dateBack()->isEnabled());
    EXPECT_EQ(f.text("selectedDateLabel"), QStringLiteral("2026/01/15 の予定"));
    EXPECT_EQ(f.text("dayInfoLabel"), QString());
}

TEST(MainWindowCalendar, JustAfterMidnightTheCalendarReturnsToToday)
{
    Fixture f(at(2026, 12, 6, 23, 59, 59, 6, 14));
    f.command(Command::NextYear);
    QTest::mouseClick(f.cell(20), Qt::LeftButton);
    ASSERT_EQ(f.text("monthLabel"), QStringLiteral("2027 Dec"));
    // A tick at any other second leaves a moved calendar alone.
    f.clock->set(at(2026, 12, 7, 0, 0, 0, 6, 15));
    QTest::qWait(600);
    EXPECT_EQ(f.text("monthLabel"), QStringLiteral("2027 Dec"));

    f.clock->set(at(2026, 12, 7, 0, 0, 1, 6, 15));
    QTRY_COMPARE_WITH_TIMEOUT(f.text("monthLabel"), QStringLiteral("2026 Dec"), 3000);
    EXPECT_EQ(f.markedDay(), 7);
    EXPECT_EQ(f.text("localDateLabel"), QStringLiteral("J 26/12/07"));
    EXPECT_EQ(f.text("utcDateLabel"), QStringLiteral("G 26/12/06"));
    // The return buttons keep their state.
    EXPECT_TRUE(f.form->commandButton(Command::BackToToday)->isEnabled());
    EXPECT_TRUE(f.dateBack()->isEnabled());
}

TEST(MainWindowCalendar, TheEventDialogRegistersForTheShownDayAndCarriesTheHintBar)
{
    Fixture f;
    f.command(Command::Events);
    auto *dialog = f.form->findChild<EventDialog *>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(f.state.dialogModes.event, 1);
    EXPECT_EQ(dialog->y(), f.form->frameGeometry().bottom() + 1);
    EXPECT_EQ(f.form->hintBar()->y(), dialog->y() + dialog->frameGeometry().height());

    for (const char *b : {"weekdayButton1"})
        QTest::mouseClick(dialog->findChild<QPushButton *>(QLatin1String(b)), Qt::LeftButton);
    QTest::keyClicks(dialog->findChild<QLineEdit *>(QStringLiteral("textEdit")), "Market");
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("registerButton")),
                      Qt::LeftButton);
    EXPECT_EQ(f.text("dayInfoLabel"), QStringLiteral("誕生会； Market"));

    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("closeButton")),
                      Qt::LeftButton);
    QTRY_VERIFY(f.form->findChild<EventDialog *>() == nullptr);
    EXPECT_EQ(f.state.dialogModes.event, 0);
    EXPECT_TRUE(f.messages.texts.isEmpty());
}

TEST(MainWindowCalendar, AnUnreadableEventFileIsReportedOnce)
{
    Fixture f;
    ::unlink(f.state.eventPath.c_str());
    ASSERT_EQ(::mkdir(f.state.eventPath.c_str(), 0755), 0);
    f.command(Command::NextMonth);
    f.command(Command::NextMonth);
    ASSERT_EQ(f.messages.texts.size(), 1);
    EXPECT_TRUE(f.messages.last().contains(QString::fromStdString(f.state.eventPath)));
    EXPECT_EQ(f.text("dayInfoLabel"), QString()); // 6 February 2027: no holiday
}
