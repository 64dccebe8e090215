// SPDX-License-Identifier: GPL-3.0-or-later
// The edit dialog's record-number panel and its register, modify and delete actions.
#include "log/ui/log_dlg.h"
#include "log/ui/log_dlg_fields.h"

#include "app/ui/hint_bar.h"
#include "common/data_dir.h"
#include "common/sjis.h"
#include "common/ui/qt_text.h"
#include "log/area_index.h"
#include "log/call_area.h"
#include "log/entry_assist.h"
#include "log/geodesy.h"
#include "log/history.h"
#include "log/log_file.h"
#include "log/ui/compass.h"
#include "places/ui/qth_dlg.h"

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

void TLogDlg::Edit21Change()
{
    SpeedButton3->setEnabled(!Edit21->text().isEmpty());
}

std::optional<std::int32_t> TLogDlg::numberInRange()
{
    bool ok = false;
    const qlonglong n = Edit21->text().trimmed().toLongLong(&ok);
    if (!ok || n <= 0 || n > m_state.nextRecordNo - 1) {
        m_services.messages.notice(QStringLiteral("範囲外のナンバーです"));
        Edit21->setFocus();
        return std::nullopt;
    }
    return static_cast<std::int32_t>(n);
}

void TLogDlg::SpeedButton3Click()
{
    const auto n = numberInRange();
    if (!n)
        return;
    gotoRecord(*n);
    SpeedButton3->setEnabled(false);
}

void TLogDlg::gotoRecord(std::int32_t n)
{
    m_state.currentRecordNo = n;
    Edit21->setText(QString::number(n));
    showRecord(n);
    if (m_mode == Modify)
        SpeedButton6->setEnabled(true);
    if (m_mode == Delete)
        SpeedButton7->setEnabled(true);
    SpeedButton1->setEnabled(true);
    SpeedButton2->setEnabled(true);
    if (m_mode == Modify)
        field(kCallsign)->setFocus();
}

void TLogDlg::SpeedButton1Click()
{
    gotoRecord(std::max(1, m_state.currentRecordNo - 1));
}

void TLogDlg::SpeedButton2Click()
{
    gotoRecord(std::max(1, std::min(m_state.nextRecordNo - 1, m_state.currentRecordNo + 1)));
}

void TLogDlg::showRecord(std::int32_t n)
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
    CheckBox1->setChecked(m_state.recordBuffer.qslPending());
    m_state.currentArea = callsignArea();
    showStandardRemark(m_state.currentArea);
}

// ---------------------------------------------------------------------------------------------
// Actions

void TLogDlg::SpeedButton4Click()
{
    clearContact();
    SpeedButton5->setEnabled(false);
    field(kCallsign)->setFocus();
}

void TLogDlg::SpeedButton5Click()
{
    // Fields left empty are stored as "-".
    const log::QsoRecord record = log::buildRecord(fieldTexts(), CheckBox1->isChecked(), true);
    if (log::appendRecord(m_state.logPath, m_state.nextRecordNo, record) != log::IoResult::Ok) {
        // Nothing is lost: the contact stays in the fields to be registered again.
        m_services.messages.writeFailed(QString::fromStdString(m_state.logPath));
        return;
    }
    m_state.recordBuffer = record;
    calls(m_ownCalls, m_state.logPath).noteWritten(m_state.nextRecordNo - 1, record);
    m_state.ownIndex.append(m_state.currentArea, m_state.nextRecordNo - 1);
    ++m_state.nextRecordNo;
    Label24->setText(QString::number(m_state.nextRecordNo));
    SpeedButton4Click();
}

void TLogDlg::SpeedButton6Click()
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
    SpeedButton6->setEnabled(false);
}

bool TLogDlg::rewriteShownRecord(std::int32_t n)
{
    // Exactly what the fields show: a modified record keeps empty fields empty.
    const log::QsoRecord record = log::buildRecord(fieldTexts(), CheckBox1->isChecked(), false);
    if (log::rewriteRecord(m_state.logPath, n, record) != log::IoResult::Ok) {
        m_services.messages.writeFailed(QString::fromStdString(m_state.logPath));
        return false;
    }
    m_state.recordBuffer = record;
    clearFieldsRemarkAndQsl();
    return true;
}

void TLogDlg::SpeedButton7Click()
{
    const auto n = numberInRange();
    if (!n)
        return;
    if (!m_services.messages.confirm(field(kCallsign)->text() +
                                     QStringLiteral(" を削除してよろしいか　？")))
        return;
    for (int number = 1; number <= static_cast<int>(log::kTextFieldCount); ++number)
        setFieldSjis(number, log::kEmptyMark);
    if (!rewriteShownRecord(*n))
        return;
    m_state.deletedFlag = true;
    Q_EMIT recordDeleted();
    SpeedButton7->setEnabled(false);
    Edit21->clear();
    Edit21->setFocus();
}

void TLogDlg::SpeedButton8Click()
{
    if (m_openHelp)
        m_openHelp(helpContext());
}

void TLogDlg::SpeedButton9Click()
{
    close();
}

} // namespace vz::ui
