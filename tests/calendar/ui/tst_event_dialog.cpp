// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/ui/event_dialog.h"

#include "calendar/event_file.h"

#include "support/window_fixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace vz;
using namespace vz::ui;
using vz::test::sj;

namespace {

struct Fixture : test::WindowFixture
{
    std::unique_ptr<EventDialog> dialog;
    QLineEdit *date = nullptr;
    QLineEdit *text = nullptr;

    Fixture()
    {
        state.clock = std::make_unique<calendar::FixedClock>(
            calendar::ClockSnapshot{{2026, 12, 6, 9, 0, 0, 0}, {2026, 12, 6, 0, 0, 0, 0}});
        state.eventPath = dir.file("JA1ABC.pln");
        dialog = std::make_unique<EventDialog>(state, services);
        dialog->show();
        date = dialog->findChild<QLineEdit *>(QStringLiteral("dateEdit"));
        text = dialog->findChild<QLineEdit *>(QStringLiteral("textEdit"));
    }
    QPushButton *button(const QString &name) const
    {
        auto *b = dialog->findChild<QPushButton *>(name);
        EXPECT_NE(b, nullptr) << name.toStdString();
        return b;
    }
    void press(std::initializer_list<const char *> names) const
    {
        for (const char *name : names)
            QTest::mouseClick(button(QString::fromLatin1(name)), Qt::LeftButton);
    }
    void type(QLineEdit *field, const QString &t) const
    {
        for (QChar c : t)
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
};

const QString kNoMonthPlace = QStringLiteral("年が入っていないか既に月が入っています");
const QString kNoDayPlace = QStringLiteral("年月が入っていないか既に日が入っています");

} // namespace

TEST(EventDialog, DateButtonsComposeTheKeyOrGiveTheirNotices)
{
    Fixture f;
    EXPECT_EQ(f.button(QStringLiteral("thisYearButton"))->text(), QStringLiteral("2026"));
    EXPECT_EQ(f.button(QStringLiteral("nextYearButton"))->text(), QStringLiteral("2027"));
    EXPECT_EQ(EventDialog::helpContext(), 12);

    struct Case
    {
        std::initializer_list<const char *> buttons;
        const char *date;
        QString notice;
    };
    const Case cases[] = {
        {{"everyYearButton", "monthButton9"}, "0000/09/", {}},
        {{"everyYearButton", "monthButton9", "monthButton10"}, "0000/09/", kNoMonthPlace},
        {{"thisYearButton", "monthButton12", "dayButton6"}, "2026/12/06", {}},
        {{"nextYearButton", "monthButton1", "dayButton31"}, "2027/01/31", {}},
        {{"everyYearButton", "dayButton6"}, "0000/", kNoDayPlace},
        {{"everyMonthButton", "monthButton3"}, "0000/00/", kNoMonthPlace},
        {{"everyMonthButton", "dayButton6"}, "0000/00/06", {}},
        {{"everyMonthButton", "dayButton6", "dayButton7"}, "0000/00/06", kNoDayPlace},
        {{"thisYearButton", "weekdayButton1"}, "0000/99/01", {}},
        {{"weekdayButton7", "everyYearButton"}, "0000/", {}},
    };
    for (const Case &c : cases) {
        f.press({"clearButton"});
        f.messages.texts.clear();
        f.press(c.buttons);
        EXPECT_EQ(f.date->text(), QString::fromLatin1(c.date)) << c.date;
        EXPECT_EQ(f.messages.last(), c.notice) << c.date;
        EXPECT_EQ(f.date->cursorPosition(), f.date->text().size());
    }
    // A day or a weekday hands the focus on to the event text.
    f.dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.dialog.get()));
    f.press({"clearButton", "everyMonthButton", "dayButton6"});
    EXPECT_TRUE(f.text->hasFocus());
    f.press({"clearButton"});
    EXPECT_TRUE(f.date->hasFocus());
    f.press({"weekdayButton4"});
    EXPECT_TRUE(f.text->hasFocus());

    // The date takes 11 bytes at most.
    f.press({"clearButton"});
    QTest::keyClicks(f.date, QStringLiteral("2026/12/06xyz"));
    EXPECT_EQ(f.date->text(), QStringLiteral("2026/12/06x"));
}

TEST(EventDialog, RegistersAppendsAndRedraws)
{
    Fixture f;
    QSignalSpy registered(f.dialog.get(), &EventDialog::eventRegistered);
    QPushButton *reg = f.button(QStringLiteral("registerButton"));
    EXPECT_FALSE(reg->isEnabled());

    f.press({"everyYearButton", "monthButton12", "dayButton6"});
    f.type(f.text, QStringLiteral(" 誕生日 "));
    ASSERT_TRUE(reg->isEnabled());
    QTest::mouseClick(reg, Qt::LeftButton);
    EXPECT_EQ(registered.count(), 1);
    EXPECT_TRUE(f.date->text().isEmpty());
    EXPECT_TRUE(f.text->text().isEmpty());
    EXPECT_FALSE(reg->isEnabled());

    // Blanks only: registered with an empty text.
    f.press({"weekdayButton1"});
    f.type(f.text, QStringLiteral("  "));
    QTest::mouseClick(reg, Qt::LeftButton);
    EXPECT_EQ(registered.count(), 2);

    const calendar::EventRecordBytes first = calendar::buildEventRecord("0000/12/06", sj("誕生日"));
    const calendar::EventRecordBytes second = calendar::buildEventRecord("0000/99/01", "");
    EXPECT_EQ(f.dir.read("JA1ABC.pln"),
              std::string(first.data(), first.size()) + std::string(second.data(), second.size()));
    EXPECT_TRUE(f.messages.texts.isEmpty());

    // The text can also be typed past the 90 bytes: the field refuses the 46th character.
    f.type(f.text, QString(46, QChar(0x3042)));
    EXPECT_EQ(f.text->text().size(), 45);
}

TEST(EventDialog, AFailedWriteIsReportedAndKeepsTheFields)
{
    Fixture f;
    ASSERT_EQ(::mkdir(f.state.eventPath.c_str(), 0755), 0); // a folder where the file should be
    f.press({"everyYearButton", "monthButton1", "dayButton1"});
    f.type(f.text, QStringLiteral("x"));
    QSignalSpy registered(f.dialog.get(), &EventDialog::eventRegistered);
    f.press({"registerButton"});
    EXPECT_EQ(registered.count(), 0);
    ASSERT_EQ(f.messages.texts.size(), 1);
    EXPECT_EQ(f.messages.captions.back(), QStringLiteral("エラー"));
    EXPECT_TRUE(f.messages.last().contains(QString::fromStdString(f.state.eventPath)));
    EXPECT_EQ(f.date->text(), QStringLiteral("0000/01/01"));
    EXPECT_EQ(f.text->text(), QStringLiteral("x"));
}

TEST(EventDialog, ClosingAsksOnlyWhenATextIsUnregistered)
{
    Fixture f;
    f.type(f.text, QStringLiteral("x"));
    f.messages.confirmAnswer = false;
    f.press({"closeButton"});
    EXPECT_EQ(f.messages.last(), QStringLiteral("保存しなくてもよろしいか"));
    EXPECT_TRUE(f.dialog->isVisible());
    f.messages.confirmAnswer = true;
    f.press({"closeButton"});
    EXPECT_FALSE(f.dialog->isVisible());

    Fixture empty;
    empty.press({"closeButton"});
    EXPECT_TRUE(empty.messages.texts.isEmpty());
    EXPECT_FALSE(empty.dialog->isVisible());
}

TEST(EventDialog, HelpOpensItsPage)
{
    Fixture f;
    int opened = 0;
    f.services.help.setOpener([&](HelpService::View, int context) { opened = context; });
    f.press({"helpButton"});
    EXPECT_EQ(opened, 12);
}
