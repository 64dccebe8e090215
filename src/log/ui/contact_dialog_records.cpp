// SPDX-License-Identifier: GPL-3.0-or-later
// The edit dialog's record-number panel and its register, modify and delete actions.
#include "log/ui/contact_dialog.h"

#include "app/session.h"
#include "common/data_dir.h"
#include "common/file_io.h"
#include "common/file_lock.h"
#include "common/progress.h"
#include "common/sjis.h"
#include "common/ui/hint_bar.h"
#include "common/ui/qt_text.h"
#include "log/area_index.h"
#include "log/call_area.h"
#include "log/entry_assist.h"
#include "log/geodesy.h"
#include "log/history.h"
#include "log/log_file.h"
#include "log/ui/compass.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>
#include <QValidator>

#include <span>

namespace vz::ui {

using log::Field;

// ---------------------------------------------------------------------------------------------
// Record-number panel

void ContactDialog::recordNumberEdited()
{
    m_readButton->setEnabled(!m_recordNumberEdit->text().isEmpty());
}

std::optional<std::int32_t> ContactDialog::numberInRange()
{
    bool ok = false;
    const qlonglong n = m_recordNumberEdit->text().trimmed().toLongLong(&ok);
    if (!ok || n <= 0 || n > m_state.nextRecordNo - 1) {
        m_services.messages.notice(QStringLiteral("範囲外のナンバーです"));
        m_recordNumberEdit->setFocus();
        return std::nullopt;
    }
    return static_cast<std::int32_t>(n);
}

void ContactDialog::readRecord()
{
    const auto n = numberInRange();
    if (!n)
        return;
    gotoRecord(*n);
    m_readButton->setEnabled(false);
}

void ContactDialog::readRecordNumber(std::int32_t n)
{
    m_recordNumberEdit->setText(QString::number(n));
    readRecord();
}

void ContactDialog::gotoRecord(std::int32_t n)
{
    m_state.currentRecordNo = n;
    m_recordNumberEdit->setText(QString::number(n));
    showRecord(n);
    if (m_mode == Modify)
        m_modifyButton->setEnabled(true);
    if (m_mode == Delete)
        m_deleteButton->setEnabled(true);
    m_previousButton->setEnabled(true);
    m_nextButton->setEnabled(true);
    if (m_mode == Modify)
        field(Field::Callsign)->setFocus();
}

void ContactDialog::showPreviousRecord()
{
    gotoRecord(std::max(1, m_state.currentRecordNo - 1));
}

void ContactDialog::showNextRecord()
{
    gotoRecord(std::max(1, std::min(m_state.nextRecordNo - 1, m_state.currentRecordNo + 1)));
}

void ContactDialog::showRecord(std::int32_t n)
{
    clearFieldsRemarkAndQsl();
    m_loadedNo = 0;
    if (!files::exists(m_state.logPath))
        return;
    if (log::readRecord(m_state.logPath, n, m_state.recordBuffer) == log::IoResult::Failed) {
        m_services.messages.error(QStringLiteral("ログファイルを読めませんでした。\n%1")
                                      .arg(QString::fromStdString(m_state.logPath)));
        return;
    }
    for (std::size_t i = 0; i < log::kTextFieldCount; ++i)
        setFieldSjis(static_cast<Field>(i), m_state.recordBuffer.field(static_cast<Field>(i)));
    m_qslCheck->setChecked(m_state.recordBuffer.qslPending());
    m_loadedRecord = m_state.recordBuffer;
    m_loadedNo = n;
    m_state.currentArea = callsignArea();
    showStandardRemark(m_state.currentArea);
}

// ---------------------------------------------------------------------------------------------
// Actions

void ContactDialog::clearEntry()
{
    clearContact();
    m_registerButton->setEnabled(false);
    field(Field::Callsign)->setFocus();
}

void ContactDialog::registerContact()
{
    // Fields left empty are stored as "-".
    const log::QsoRecord record = log::buildRecord(fieldTexts(), m_qslCheck->isChecked(), true);
    // Another program (vezolog, a second window, the WSJT-X listener) may have appended since
    // the number was shown: the record lands at the log's real end and takes the number there.
    const log::AppendOutcome appended =
        log::appendAtEnd(m_state.logPath, {std::span<const log::QsoRecord>(&record, 1)});
    if (appended.result != log::IoResult::Ok) {
        // Nothing is lost: the contact stays in the fields to be registered again.
        if (appended.result == log::IoResult::Busy)
            m_services.messages.notice(QString::fromUtf8(kLogBusyText));
        else
            m_services.messages.writeFailed(QString::fromStdString(m_state.logPath));
        return;
    }
    m_state.recordBuffer = record;
    calls(m_ownCalls, m_state.logPath).noteWritten(appended.firstRecordNo - 1, record);
    if (appended.firstRecordNo == m_state.nextRecordNo &&
        log::fileIdentity(m_state.logPath) == m_state.logIdentity) {
        // Filed under the area its callsign gives, as opening the log files it: a portable
        // area decides only JST or UTC, and the history and the searches look under the
        // callsign's area.
        m_state.ownIndex.append(callsignArea(), m_state.nextRecordNo - 1);
        ++m_state.nextRecordNo;
    } else {
        NoProgress quiet;
        app::followLog(m_state, quiet);
        Q_EMIT foreignRecordsSeen();
    }
    m_nextRecordLabel->setText(QString::number(m_state.nextRecordNo));
    clearEntry();
}

void ContactDialog::logChangedElsewhere()
{
    if (m_mode == Input)
        m_nextRecordLabel->setText(QString::number(m_state.nextRecordNo));
    // The record shown may be gone or another one now: a modify or delete checks it anyway.
}

void ContactDialog::modifyRecord()
{
    if (field(Field::Callsign)->text().isEmpty()) {
        m_services.messages.notice(
            QStringLiteral("データが読み込まれていないか、または不完全です。"));
        return;
    }
    const auto n = numberInRange();
    if (!n)
        return;
    if (!rewriteShownRecord(*n))
        return;
    m_modifyButton->setEnabled(false);
}

bool ContactDialog::rewriteShownRecord(std::int32_t n)
{
    // Exactly what the fields show: a modified record keeps empty fields empty.
    const log::QsoRecord record = log::buildRecord(fieldTexts(), m_qslCheck->isChecked(), false);
    // The record as the fields were filled from it; a number typed over after reading is
    // written as before, checked against the record as it is now.
    log::QsoRecord expected = m_loadedRecord;
    if (m_loadedNo != n && log::readRecord(m_state.logPath, n, expected) != log::IoResult::Ok) {
        m_services.messages.writeFailed(QString::fromStdString(m_state.logPath));
        return false;
    }
    switch (log::rewriteRecordIfUnchanged(m_state.logPath, n, expected, record)) {
    case log::IoResult::Ok:
        break;
    case log::IoResult::Busy:
        m_services.messages.notice(QString::fromUtf8(kLogBusyText));
        return false;
    case log::IoResult::Changed:
        m_services.messages.notice(
            QStringLiteral("このレコードはほかのプログラムが変更しました。読み込み直してください"));
        return false;
    case log::IoResult::Missing:
    case log::IoResult::Failed:
        m_services.messages.writeFailed(QString::fromStdString(m_state.logPath));
        return false;
    }
    m_state.recordBuffer = record;
    clearFieldsRemarkAndQsl();
    m_loadedRecord = record;
    m_loadedNo = n;
    Q_EMIT recordRewritten(n);
    return true;
}

void ContactDialog::deleteRecord()
{
    const auto n = numberInRange();
    if (!n)
        return;
    if (!m_services.messages.confirm(field(Field::Callsign)->text() +
                                     QStringLiteral(" を削除してよろしいか　？")))
        return;
    if (!m_backupTaken) {
        switch (log::backupBeforeDelete(m_state.logPath, m_state.backupPath)) {
        case log::IoResult::Ok:
            m_backupTaken = true;
            break;
        case log::IoResult::Busy:
            m_services.messages.notice(QString::fromUtf8(kLogBusyText));
            return;
        default:
            m_services.messages.writeFailed(QString::fromStdString(m_state.backupPath));
            break;
        }
    }
    for (std::size_t i = 0; i < log::kTextFieldCount; ++i)
        setFieldSjis(static_cast<Field>(i), log::kEmptyMark);
    if (!rewriteShownRecord(*n))
        return;
    m_state.deletedFlag = true;
    Q_EMIT recordDeleted();
    m_deleteButton->setEnabled(false);
    m_recordNumberEdit->clear();
    m_recordNumberEdit->setFocus();
}

void ContactDialog::showHelp()
{
    m_services.help.showTopic(helpContext());
}

void ContactDialog::closeDialog()
{
    close();
}

} // namespace vz::ui
