// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's LoTW/eQSL確認の取込 on the file tab: the confirmations of a LoTW report or
// an eQSL inbox laid on the contacts of the own log, once the operator has seen what the file
// gives. No contact is added.
#include "app/ui/main_window.h"

#include "app/user_settings.h"
#include "common/ui/hint_bar.h"
#include "lotw/confirmation_matching.h"
#include "lotw/mark_use.h"

#include <QDir>
#include <QFileDialog>

namespace vz::ui {

void MainWindow::importConfirmationsCommand()
{
    // An open edit dialog or list holds records as they are now; the marks change them.
    const app::DialogModes &modes = m_state.dialogModes;
    if (modes.log || modes.list || modes.post || modes.prin) {
        m_services.messages.notice(QStringLiteral("開いている画面を閉じてから実行してください"));
        return;
    }
    QString chosen;
    if (m_adifFileChooser) {
        const std::optional<AdifFileChoice> choice = m_adifFileChooser(false);
        chosen = choice ? choice->path : QString();
    } else {
        chosen = QFileDialog::getOpenFileName(
            this, QStringLiteral("LoTW/eQSL確認の取込"), QDir::homePath(),
            QStringLiteral("ADIF (*.adi *.ADI *.adx *.ADX);;すべてのファイル (*)"));
    }
    if (chosen.isEmpty())
        return;
    const std::string path = chosen.toStdString();
    m_state.prefixTable.refreshIfChanged();
    lotw::ConfirmOptions options;
    options.ownCallsign = m_state.currentCall;
    options.lotwMark = m_state.settings.lotwMark;
    options.eqslMark = m_state.settings.eqslMark;

    lotw::ConfirmOptions preview = options;
    preview.dryRun = true;
    const lotw::ConfirmSummary planned = lotw::applyConfirmations(
        path, m_state.logPath, m_state.prefixTable, preview, m_hintBar->progress());
    const QString plan = QString::fromStdString(lotw::summaryText(planned, true)).trimmed();
    if (planned.result != lotw::ConfirmResult::Ok) {
        m_services.messages.error(chosen + QStringLiteral("\n") + plan);
        return;
    }
    // A mark used for the first time may be in the log already, typed for something else.
    for (const lotw::MarkInUse &use : lotw::unusedMarksHeld(m_state.logPath, m_state.settings))
        if ((use.service == "LoTW" ? planned.lotwConfirmed : planned.eqslConfirmed) > 0 &&
            !m_services.messages.confirm(
                QString::fromStdString(lotw::markInUseText(use)) +
                QStringLiteral("。\n個人情報のカード項目情報でマークを変えられます。続けますか？")))
            return;
    if (planned.newly == 0) {
        m_services.messages.notice(chosen + QStringLiteral("\n新たに付ける確認はありません。\n") +
                                   plan);
        return;
    }
    if (!m_services.messages.confirm(
            chosen +
            QStringLiteral("\n%1 件の交信に確認マークを付けますか？\n").arg(planned.newly) + plan))
        return;
    const lotw::ConfirmSummary summary = lotw::applyConfirmations(
        path, m_state.logPath, m_state.prefixTable, options, m_hintBar->progress());
    const QString text = QString::fromStdString(lotw::summaryText(summary, false)).trimmed();
    if (summary.result == lotw::ConfirmResult::Ok &&
        app::keepElectronicMarks(m_state.settingsPath, m_state.settings, summary.lotwConfirmed > 0,
                                 summary.eqslConfirmed > 0)) {
        m_state.settings.lotwMarkInFile |= summary.lotwConfirmed > 0;
        m_state.settings.eqslMarkInFile |= summary.eqslConfirmed > 0;
    }
    if (summary.result != lotw::ConfirmResult::Ok) {
        m_services.messages.error(chosen + QStringLiteral("\n") + text);
        return;
    }
    m_services.messages.notice(chosen + QStringLiteral("\n確認マークを付けました。\n") + text);
}

} // namespace vz::ui
