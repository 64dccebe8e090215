// SPDX-License-Identifier: GPL-3.0-or-later
// The edit dialog's record-number panel and its register, modify and delete actions.
#include "log/ui/contact_dialog.h"
#include "log/ui/contact_fields.h"

#include "common/file_io.h"
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
#include "places/ui/city_lookup_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>
#include <QValidator>

namespace vz::ui {

using log::Field;
using namespace log_fields;

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
        field(kCallsign)->setFocus();
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
    if (!files::exists(m_state.logPath))
        return;
    if (log::readRecord(m_state.logPath, n, m_state.recordBuffer) == log::IoResult::Failed) {
        m_services.messages.error(QStringLiteral("ログファイルを読めませんでした。\n%1")
                                      .arg(QString::fromStdString(m_state.logPath)));
        return;
    }
    for (int number = 1; number <= static_cast<int>(log::kTextFieldCount); ++number)
        setFieldSjis(number, m_state.recordBuffer.field(recordField(number)));
    m_qslCheck->setChecked(m_state.recordBuffer.qslPending());
    m_state.currentArea = callsignArea();
    showStandardRemark(m_state.currentArea);
}

// ---------------------------------------------------------------------------------------------
// Actions

void ContactDialog::clearEntry()
{
    clearContact();
    m_registerButton->setEnabled(false);
    field(kCallsign)->setFocus();
}

void ContactDialog::registerContact()
{
    // Fields left empty are stored as "-".
    const log::QsoRecord record = log::buildRecord(fieldTexts(), m_qslCheck->isChecked(), true);
    if (log::appendRecord(m_state.logPath, m_state.nextRecordNo, record) != log::IoResult::Ok) {
        // Nothing is lost: the contact stays in the fields to be registered again.
        m_services.messages.writeFailed(QString::fromStdString(m_state.logPath));
        return;
    }
    m_state.recordBuffer = record;
    calls(m_ownCalls, m_state.logPath).noteWritten(m_state.nextRecordNo - 1, record);
    // Filed under the area its callsign gives, as opening the log files it: a portable area
    // decides only JST or UTC, and the history and the searches look under the callsign's area.
    m_state.ownIndex.append(callsignArea(), m_state.nextRecordNo - 1);
    ++m_state.nextRecordNo;
    m_nextRecordLabel->setText(QString::number(m_state.nextRecordNo));
    clearEntry();
}

void ContactDialog::modifyRecord()
{
    if (field(kCallsign)->text().isEmpty()) {
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
    if (log::rewriteRecord(m_state.logPath, n, record) != log::IoResult::Ok) {
        m_services.messages.writeFailed(QString::fromStdString(m_state.logPath));
        return false;
    }
    m_state.recordBuffer = record;
    clearFieldsRemarkAndQsl();
    return true;
}

void ContactDialog::deleteRecord()
{
    const auto n = numberInRange();
    if (!n)
        return;
    if (!m_services.messages.confirm(field(kCallsign)->text() +
                                     QStringLiteral(" を削除してよろしいか　？")))
        return;
    if (!m_backupTaken) {
        if (log::backupBeforeDelete(m_state.logPath, m_state.backupPath) == log::IoResult::Failed)
            m_services.messages.writeFailed(QString::fromStdString(m_state.backupPath));
        else
            m_backupTaken = true;
    }
    for (int number = 1; number <= static_cast<int>(log::kTextFieldCount); ++number)
        setFieldSjis(number, log::kEmptyMark);
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
