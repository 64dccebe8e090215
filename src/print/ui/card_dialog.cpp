// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/ui/card_dialog.h"

#include "cards/pdf_print_jobs.h"
#include "common/file_lock.h"
#include "common/ui/hint_bar.h"
#include "common/whole_number.h"
#include "print/layout_file.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStringList>
#include <QTimer>

#include <optional>

namespace vz::ui {

namespace {

const QString kOutOfRange = QStringLiteral("範囲外のナンバーです");

std::optional<long long> wholeNumber(const QString &text)
{
    return parseWholeNumber(text.toStdString());
}

} // namespace

void CardNumberField::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    Q_EMIT left();
}

std::unique_ptr<print::PrintJob> makeDefaultPrinterJob(const app::AppState &state, bool lying)
{
    return print::makePrinterJob({},
                                 print::DotScale{state.printerDotsPerMmX, state.printerDotsPerMmY},
                                 lying, state.printerName);
}

CardDialog::CardDialog(app::AppState &state, UiServices &services, QWidget *parent)
    : VezoDialog({state.settings.flatWindow, state.settings.keyClick}, services, parent),
      m_state(state),
      m_jobFactory([this, &state] { return makeDefaultPrinterJob(state, cardLies()); })
{
}

void CardDialog::buildRangeControls(const QString &caption, QPoint captionAt, QPoint fieldsAt,
                                    bool digitsOnly)
{
    m_rangeCaption = new QLabel(caption, this);
    m_rangeCaption->setObjectName(QStringLiteral("rangeCaption"));
    m_rangeCaption->adjustSize();
    m_rangeCaption->move(captionAt);
    setHint(m_rangeCaption, QStringLiteral("|１レコードのときは「自」「至」とも同一ナンバー"));
    const auto makeField = [&](const QString &name, const QString &label, int dy) {
        auto *l = new QLabel(label, this);
        l->adjustSize();
        l->move(fieldsAt + QPoint(0, dy + 3));
        auto *f = new CardNumberField(this);
        f->setObjectName(name);
        f->setGeometry(QRect(fieldsAt + QPoint(24, dy), QSize(70, 20)));
        if (digitsOnly)
            f->setValidator(
                new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), f));
        if (m_state.settings.flatWindow)
            f->setFrame(false);
        connect(f, &QLineEdit::textEdited, this, [this] { numberTyped(); });
        connect(f, &CardNumberField::left, this, [this, f] { numberLeft(f); });
        return f;
    };
    m_fromEdit = makeField(QStringLiteral("fromEdit"), QStringLiteral("自"), 0);
    m_toEdit = makeField(QStringLiteral("toEdit"), QStringLiteral("至"), 26);

    const QPoint buttons = fieldsAt + QPoint(-20, 60);
    m_printRangeButton =
        makeDialogButton(this, QStringLiteral("printRangeButton"), QStringLiteral("本印刷開始"),
                         QRect(buttons, QSize(150, 24)), false);
    m_printUnissuedButton = makeDialogButton(this, QStringLiteral("printUnissuedButton"),
                                             QStringLiteral("未発行分一括印刷"),
                                             QRect(buttons + QPoint(0, 30), QSize(150, 24)), false);
    m_printRangeButton->setEnabled(false);
    connect(m_printRangeButton, &QPushButton::clicked, this, &CardDialog::printRange);
    connect(m_printUnissuedButton, &QPushButton::clicked, this, &CardDialog::printUnissued);
}

void CardDialog::numberTyped()
{
    m_printRangeButton->setEnabled(true);
}

void CardDialog::numberLeft(CardNumberField *field)
{
    // An empty field is reported when printing starts, not on the way through.
    if (field->text().isEmpty() || !isVisible())
        return;
    const std::optional<long long> n = wholeNumber(field->text());
    if (n && *n >= 1 && *n <= m_state.nextRecordNo - 1)
        return;
    m_services.messages.notice(kOutOfRange);
    // The press that took the focus away does not print as well: the field gets it back.
    m_leaveRefused = true;
    QTimer::singleShot(0, field, [this, field] {
        field->setFocus();
        m_leaveRefused = false;
    });
}

void CardDialog::printRange()
{
    if (m_leaveRefused)
        return;
    if (m_fromEdit->text().isEmpty() || m_toEdit->text().isEmpty()) {
        m_services.messages.notice(QStringLiteral("番号が空欄です"));
        return;
    }
    const std::optional<long long> from = wholeNumber(m_fromEdit->text());
    const std::optional<long long> to = wholeNumber(m_toEdit->text());
    const long long last = m_state.nextRecordNo - 1;
    // Text that is no number in range never reaches the run.
    if (!from || !to || *from < 1 || *from > last || *to < 1 || *to > last) {
        m_services.messages.notice(kOutOfRange);
        return;
    }
    const print::PrintRange range{static_cast<std::int32_t>(*from - 1),
                                  static_cast<std::int32_t>(*to), false};
    runOnJob(
        [&](print::PrintJob &job) { return print::runPrint(m_state, range, cardDrawing(), job); });
}

void CardDialog::printUnissued()
{
    if (m_leaveRefused)
        return;
    const print::PrintRange range{0, m_state.nextRecordNo - 1, true};
    runOnJob(
        [&](print::PrintJob &job) { return print::runPrint(m_state, range, cardDrawing(), job); },
        true);
}

void reportPrintOutcome(MessageService &messages, const print::PrintOutcome &outcome)
{
    switch (outcome.result) {
    case print::PrintResult::Ok:
        if (!outcome.printerNote.empty())
            messages.notice(QString::fromStdString(outcome.printerNote));
        break;
    case print::PrintResult::NoLog:
        break;
    case print::PrintResult::ReadFailed:
        messages.error(QStringLiteral("ログファイルを読めませんでした。\n%1")
                           .arg(QString::fromStdString(outcome.failedPath)));
        break;
    case print::PrintResult::FlagFailed:
        messages.writeFailed(QString::fromStdString(outcome.failedPath));
        break;
    case print::PrintResult::SettingsFailed:
        messages.error((outcome.printed > 0
                            ? QStringLiteral("カードＮｏを設定ファイルに書けませんでした。\n%1")
                            : QStringLiteral("設定ファイルを読めないので印刷しません。\n%1"))
                           .arg(QString::fromStdString(outcome.failedPath)));
        break;
    case print::PrintResult::CardNumberOutOfRange:
        messages.error(QStringLiteral("カードＮｏが範囲外なので印刷しません。\n"
                                      "個人情報のカードＮｏを 0～%1 にしてください。")
                           .arg(print::kMaxCardNumber));
        break;
    case print::PrintResult::PrinterFailed:
        // The print system's own words, after a sentence that says what failed.
        messages.error(QStringLiteral("印刷できませんでした。\n%1")
                           .arg(QString::fromStdString(outcome.printerMessage)));
        break;
    case print::PrintResult::Busy:
        messages.notice(QString::fromUtf8(kLogBusyText));
        break;
    }
    if (outcome.numbersSkipped.first > 0)
        messages.notice(QStringLiteral("ほかのプログラムが続きのカードＮｏを使ったため、"
                                       "カードＮｏ %1～%2 は欠番になります")
                            .arg(outcome.numbersSkipped.first)
                            .arg(outcome.numbersSkipped.second));
    if (outcome.flagsLeft > 0)
        messages.notice(QStringLiteral("印刷中にほかのプログラムが変更した %1 件は未発行のままです")
                            .arg(outcome.flagsLeft));
}

void CardDialog::runOnJob(const std::function<print::PrintOutcome(print::PrintJob &)> &run,
                          bool unissuedOnly)
{
    const std::unique_ptr<print::PrintJob> job = m_jobFactory();
    const print::PrintOutcome outcome = run(*job);
    QStringList notes;
    if (unissuedOnly && outcome.result == print::PrintResult::Ok && outcome.printed == 0)
        notes << QStringLiteral("印刷する未発行のカードはありません");
    if (outcome.skippedDeleted > 0)
        notes << QStringLiteral("削除済みのレコード %1 件は印刷しませんでした")
                     .arg(outcome.skippedDeleted);
    if (!notes.isEmpty())
        m_services.messages.notice(notes.join(QLatin1Char('\n')));
    reportPrintOutcome(m_services.messages, outcome);
    m_fromEdit->clear();
    m_toEdit->clear();
    m_printRangeButton->setEnabled(false);
    rangeCleared();
}

void CardDialog::showHelp()
{
    m_services.help.showTopic(helpContext());
}

bool CardDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            if (m_state.settings.keyClick)
                m_services.keyClick.play();
            focusNextPrevChild(key == Qt::Key_Down);
            return true;
        }
    }
    return VezoDialog::eventFilter(watched, event);
}

void CardDialog::layoutWriteFailed()
{
    m_services.messages.writeFailed(QString::fromStdString(m_state.layoutPath));
}

} // namespace vz::ui
