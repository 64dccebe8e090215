// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/ui/event_dialog.h"

#include "calendar/clock.h"
#include "calendar/event_file.h"
#include "common/ui/hint_bar.h"
#include "common/ui/qt_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vz::ui {

namespace {

// The frame around the date buttons.
const QRect kButtonFrame(45, 56, 700, 120);
constexpr int kRowLabelWidth = 64;
constexpr int kRowHeight = 22;

QLabel *label(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(geometry);
    return l;
}

QPushButton *dateButton(QWidget *parent, const QString &name, const QString &caption,
                        const QRect &geometry, bool bold)
{
    QPushButton *b = makeDialogButton(parent, name, caption, geometry, false);
    if (bold) {
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
    }
    return b;
}

QString fullWidthNumber(int n)
{
    QString out;
    for (const QChar c : QString::number(n))
        out += QChar(0xFF10 + c.digitValue());
    return out;
}

int rowTop(int row)
{
    return kButtonFrame.top() + 4 + row * (kRowHeight + 1);
}

} // namespace

QValidator::State SjisWidthValidator::validate(QString &input, int &) const
{
    const std::optional<std::size_t> width = sjisWidth(input);
    return width && *width <= m_width ? Acceptable : Invalid;
}

EventDialog::EventDialog(app::AppState &state, UiServices &services, QWidget *parent)
    : VezoDialog({state.settings.flatWindow, state.settings.keyClick}, services, parent),
      m_state(state), m_dateEdit(new QLineEdit(this)), m_textEdit(new QLineEdit(this))
{
    setObjectName(QStringLiteral("eventDialog"));
    setTitle(QStringLiteral("行事予定の登録"));
    setGreyFrame(true);
    setFixedSize(787, 333);

    label(this,
          QStringLiteral(" この欄のボタンクリックで、書式（0000/00/00）どおりに「年月日」欄に入力"
                         "できます "),
          {kButtonFrame.left(), 36, 600, 18});
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(kButtonFrame);
    const int buttonsLeft = kButtonFrame.left() + kRowLabelWidth + 8;

    // Year row: every year, this year, next year.
    label(this, QStringLiteral("年の特定"),
          {kButtonFrame.left() + 6, rowTop(0), kRowLabelWidth, kRowHeight});
    const int thisYear = calendar::takeClockSnapshot(*state.clock).local.year;
    m_everyYearButton =
        dateButton(this, QStringLiteral("everyYearButton"), QStringLiteral("毎　年"),
                   {buttonsLeft, rowTop(0), 60, 22}, true);
    m_thisYearButton = dateButton(this, QStringLiteral("thisYearButton"), QString::number(thisYear),
                                  {buttonsLeft + 62, rowTop(0), 60, 22}, true);
    m_nextYearButton =
        dateButton(this, QStringLiteral("nextYearButton"), QString::number(thisYear + 1),
                   {buttonsLeft + 124, rowTop(0), 60, 22}, true);
    connect(m_everyYearButton, &QPushButton::clicked, this,
            [this] { startDate(QStringLiteral("0000/")); });
    for (QPushButton *year : {m_thisYearButton, m_nextYearButton})
        connect(year, &QPushButton::clicked, this,
                [this, year] { startDate(year->text() + QLatin1Char('/')); });

    // Month row: every month, then the twelve months.
    label(this, QStringLiteral("月の特定"),
          {kButtonFrame.left() + 6, rowTop(1), kRowLabelWidth, kRowHeight});
    m_everyMonthButton = dateButton(this, QStringLiteral("everyMonthButton"),
                                    QStringLiteral("毎月"), {buttonsLeft, rowTop(1), 46, 22}, true);
    connect(m_everyMonthButton, &QPushButton::clicked, this,
            [this] { startDate(QStringLiteral("0000/00/")); });
    for (int m = 1; m <= 12; ++m) {
        QPushButton *b = dateButton(this, QStringLiteral("monthButton%1").arg(m),
                                    fullWidthNumber(m) + QStringLiteral("月"),
                                    {buttonsLeft + 47 * m, rowTop(1), 46, 22}, false);
        connect(b, &QPushButton::clicked, this, [this, m] { addMonth(m); });
        m_monthButtons[static_cast<std::size_t>(m - 1)] = b;
    }

    // Day rows: 1 to 16 and 17 to 31.
    label(this, QStringLiteral("日の特定"),
          {kButtonFrame.left() + 6, rowTop(2), kRowLabelWidth, kRowHeight});
    for (int d = 1; d <= 31; ++d) {
        const int row = d <= 16 ? 2 : 3;
        const int column = d <= 16 ? d - 1 : d - 17;
        QPushButton *b = dateButton(this, QStringLiteral("dayButton%1").arg(d), QString::number(d),
                                    {buttonsLeft + 38 * column, rowTop(row), 37, 22}, false);
        connect(b, &QPushButton::clicked, this, [this, d] { addDay(d); });
        m_dayButtons[static_cast<std::size_t>(d - 1)] = b;
    }

    // Weekday row: Sunday red, Saturday blue.
    auto *weekLabel = label(this, QStringLiteral("毎週"),
                            {kButtonFrame.left() + 6, rowTop(4), kRowLabelWidth, kRowHeight});
    setHint(weekLabel, QStringLiteral("|例えばゴミの収集日など"));
    const QString weekdays = QStringLiteral("日月火水木金土");
    for (int w = 1; w <= 7; ++w) {
        QPushButton *b =
            dateButton(this, QStringLiteral("weekdayButton%1").arg(w), weekdays.at(w - 1),
                       {buttonsLeft + 47 * (w - 1), rowTop(4), 46, 22}, true);
        if (w == 1 || w == 7) {
            QPalette p = b->palette();
            p.setColor(QPalette::ButtonText, w == 1 ? QColor(255, 0, 0) : QColor(0, 0, 255));
            b->setPalette(p);
        }
        setHint(b, QStringLiteral("|例えばゴミの収集日など"));
        connect(b, &QPushButton::clicked, this, [this, w] { setWeekday(w); });
        m_weekdayButtons[static_cast<std::size_t>(w - 1)] = b;
    }

    label(this,
          QStringLiteral("※１　【誕生日の例】　毎年　月　日　　　※２　太字は最初に押すボタン"),
          {kButtonFrame.left(), kButtonFrame.bottom() + 6, 600, 18});

    // The fields.
    label(this, QStringLiteral("年月日"), {45, 212, 60, 20});
    m_dateEdit->setObjectName(QStringLiteral("dateEdit"));
    m_dateEdit->setGeometry(110, 212, 120, 20);
    m_dateEdit->setValidator(new SjisWidthValidator(calendar::kEventKeyMax, m_dateEdit));
    m_dateEdit->setAttribute(Qt::WA_InputMethodEnabled, false);
    label(this, QStringLiteral("予　定"), {45, 240, 60, 20});
    m_textEdit->setObjectName(QStringLiteral("textEdit"));
    m_textEdit->setGeometry(110, 240, 560, 20);
    m_textEdit->setValidator(new SjisWidthValidator(calendar::kEventTextMax, m_textEdit));
    setHint(m_textEdit, QStringLiteral("|全角４５字まで"));
    connect(m_textEdit, &QLineEdit::textChanged, this, &EventDialog::textChanged);

    m_clearButton = makeDialogButton(this, QStringLiteral("clearButton"),
                                     QStringLiteral("書き込み取り消し"), {110, 284, 120, 24});
    m_registerButton = makeDialogButton(this, QStringLiteral("registerButton"),
                                        QStringLiteral("登　録"), {400, 284, 80, 24}, false);
    m_closeButton = makeDialogButton(this, QStringLiteral("closeButton"), QStringLiteral("終　了"),
                                     {560, 284, 80, 24});
    m_helpButton = makeDialogButton(this, QStringLiteral("helpButton"), QStringLiteral("ヘルプ"),
                                    {650, 284, 80, 24});
    m_registerButton->setEnabled(false);
    connect(m_clearButton, &QPushButton::clicked, this, &EventDialog::clearFields);
    connect(m_registerButton, &QPushButton::clicked, this, &EventDialog::registerEvent);
    connect(m_closeButton, &QPushButton::clicked, this, &EventDialog::reject);
    connect(m_helpButton, &QPushButton::clicked, this,
            [this] { m_services.help.showTopic(helpContext()); });
    m_dateEdit->setFocus();
}

int EventDialog::dateWidth() const
{
    return static_cast<int>(sjisWidth(m_dateEdit->text()).value_or(0));
}

void EventDialog::startDate(const QString &start)
{
    m_dateEdit->setText(start);
    m_dateEdit->end(false);
}

void EventDialog::addMonth(int month)
{
    const int width = dateWidth();
    if (width < 5 || width > 7) {
        m_services.messages.notice(QStringLiteral("年が入っていないか既に月が入っています"));
        return;
    }
    m_dateEdit->setText(m_dateEdit->text() + QStringLiteral("%1/").arg(month, 2, 10, QChar('0')));
    m_dateEdit->end(false);
}

void EventDialog::addDay(int day)
{
    const int width = dateWidth();
    if (width < 8 || width > 9) {
        m_services.messages.notice(QStringLiteral("年月が入っていないか既に日が入っています"));
        return;
    }
    m_dateEdit->setText(m_dateEdit->text() + QStringLiteral("%1").arg(day, 2, 10, QChar('0')));
    m_dateEdit->end(false);
    m_textEdit->setFocus();
}

void EventDialog::setWeekday(int weekday)
{
    startDate(QStringLiteral("0000/99/0%1").arg(weekday));
    m_textEdit->setFocus();
}

void EventDialog::clearFields()
{
    m_dateEdit->clear();
    m_textEdit->clear();
    m_dateEdit->setFocus();
}

void EventDialog::textChanged()
{
    m_registerButton->setEnabled(!m_textEdit->text().isEmpty());
}

void EventDialog::registerEvent()
{
    if (m_textEdit->text().isEmpty()) {
        m_services.messages.notice(QStringLiteral("行事の記録がありません"));
        m_textEdit->setFocus();
        return;
    }
    // The validators let only Shift_JIS text of the fields' widths in.
    const std::string key = toSjis(m_dateEdit->text()).value_or(std::string());
    const std::string text = toSjis(m_textEdit->text()).value_or(std::string());
    if (calendar::appendEvent(m_state.eventPath, key, text) != calendar::EventIo::Ok) {
        // The fields stay filled, so the event can be registered once the file is writable.
        m_services.messages.writeFailed(QString::fromStdString(m_state.eventPath));
        return;
    }
    Q_EMIT eventRegistered();
    m_dateEdit->clear();
    m_textEdit->clear();
}

void EventDialog::reject()
{
    if (m_registerButton->isEnabled() &&
        !m_services.messages.confirm(QStringLiteral("保存しなくてもよろしいか")))
        return;
    VezoDialog::reject();
}

} // namespace vz::ui
