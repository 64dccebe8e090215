// SPDX-License-Identifier: GPL-3.0-or-later
// The event dialog: registers one event at a time in the user's event file. The date field
// is composed with rows of buttons (every year or a year, every month or a month, a day, or a
// weekday) in the form 0000/00/00, or typed; the text field takes 45 full-width characters.
// After each registration the main window redraws its calendar (eventRegistered).
#pragma once

#include "app/app_state.h"
#include "common/ui/vezo_dialog.h"

#include <QValidator>

#include <array>

class QLineEdit;
class QPushButton;

namespace vz::ui {

// Accepts what Shift_JIS can store in at most `width` bytes.
class SjisWidthValidator : public QValidator
{
public:
    SjisWidthValidator(std::size_t width, QObject *parent) : QValidator(parent), m_width(width) {}
    State validate(QString &input, int &pos) const override;

private:
    std::size_t m_width;
};

class EventDialog : public VezoDialog
{
    Q_OBJECT
public:
    EventDialog(app::AppState &state, UiServices &services, QWidget *parent = nullptr);

    // The help page of the event dialog.
    static constexpr int helpContext() { return 12; }

    // Asks before an unregistered text is dropped; every way of closing passes here.
    void reject() override;

Q_SIGNALS:
    void eventRegistered();

private:
    void startDate(const QString &start); // 毎年, a year, 毎月: the field starts afresh
    void addMonth(int month);             // １月 .. １２月
    void addDay(int day);                 // 1 .. 31
    void setWeekday(int weekday);         // 日 (1) .. 土 (7)
    void clearFields();                   // 書き込み取り消し
    void registerEvent();                 // 登　録
    void textChanged();
    int dateWidth() const;

    app::AppState &m_state;
    QLineEdit *m_dateEdit;
    QLineEdit *m_textEdit;
    QPushButton *m_everyYearButton;
    QPushButton *m_thisYearButton;
    QPushButton *m_nextYearButton;
    QPushButton *m_everyMonthButton;
    std::array<QPushButton *, 12> m_monthButtons{};
    std::array<QPushButton *, 31> m_dayButtons{};
    std::array<QPushButton *, 7> m_weekdayButtons{}; // Sunday first
    QPushButton *m_clearButton;
    QPushButton *m_registerButton;
    QPushButton *m_closeButton;
    QPushButton *m_helpButton;
};

} // namespace vz::ui
