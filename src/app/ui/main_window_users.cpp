// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's user commands: new user, user switch, reference station, the blank-card
// count, and the log maintenance commands of the file tab.
#include "app/ui/main_window.h"

#include "app/log_maintenance.h"
#include "app/session.h"
#include "app/start_file.h"
#include "app/ui/registration_dialog.h"
#include "app/ui/user_switch_dialog.h"
#include "app/user_registry.h"
#include "common/callsign.h"
#include "common/ui/hint_bar.h"

#include <QTimer>

#include <optional>

namespace vz::ui {

namespace {

// Dialogs that hold record numbers of the own log: the edit dialog, the search results, the
// card printing and the award progress. Renumbering or replacing the log under them would make
// them read or write the wrong contact.
bool recordHoldersOpen(const app::DialogModes &modes)
{
    return modes.log || modes.list || modes.post || modes.prin || modes.awards;
}

// Dialogs that work on the current user's files; the user must not change under them.
bool userFileDialogsOpen(const app::DialogModes &modes)
{
    return recordHoldersOpen(modes) || modes.event;
}

bool refuseWhileOpen(bool open, MessageService &messages)
{
    if (open)
        messages.notice(QStringLiteral("開いている画面を閉じてから実行してください"));
    return open;
}

// Leaving the current user: the settings are written (the reference and the deleted flag live
// only in memory until then), and the indexes released. False when the settings could not be
// written: the user then stays, so nothing held in memory is lost.
bool leaveCurrentUser(app::AppState &state, MessageService &messages)
{
    if (!app::saveSettings(state)) {
        messages.writeFailed(QString::fromStdString(state.settingsPath));
        return false;
    }
    app::releaseOwnIndex(state);
    if (state.referenceOn) {
        app::releaseReferenceIndex(state);
        state.referenceCall.clear();
        state.referenceOn = false;
    }
    return true;
}

// The own index rebuilt after the log changed; true when the program has to end for want of
// memory, as at start-up.
bool reportRebuiltIndex(app::OpenResult result, const app::AppState &state,
                        MessageService &messages)
{
    switch (result) {
    case app::OpenResult::Ok:
        return false;
    case app::OpenResult::NoMemory:
        messages.error(QStringLiteral("メモリ不足で実行できません。プログラムを終了します。"));
        return true;
    case app::OpenResult::ReadFailed:
        messages.error(QStringLiteral("ログファイルを読めませんでした。\n%1")
                           .arg(QString::fromStdString(state.logPath)));
        return false;
    }
    return false;
}

// Runs the registration or user switch dialog modally, the user commands held meanwhile; the
// dialog's answer, or nullopt when it was cancelled.
template <typename Dialog>
std::optional<QString> runUserDialog(MainWindow &form, Dialog &dialog,
                                     QString (Dialog::*answer)() const)
{
    form.placeDialog(&dialog, Placement::Left300);
    form.setUserCommandsEnabled(false);
    const bool ok = dialog.exec() == QDialog::Accepted;
    form.setUserCommandsEnabled(true);
    if (!ok)
        return std::nullopt;
    return (dialog.*answer)();
}

} // namespace

bool MainWindow::reportRegistration(app::RegistryResult result)
{
    switch (result) {
    case app::RegistryResult::Ok:
        break;
    case app::RegistryResult::AlreadyRegistered:
        // Another program registered the same station since the dialog checked: its files
        // are this user's now, and the list holds the callsign once.
        m_services.messages.notice(QStringLiteral("既に登録された局です"));
        break;
    case app::RegistryResult::Busy:
    case app::RegistryResult::Failed:
        m_services.messages.writeFailed(QString::fromStdString(m_state.callSignPath));
        break;
    }
    return true;
}

void MainWindow::newUserCommand()
{
    if (refuseWhileOpen(userFileDialogsOpen(m_state.dialogModes), m_services.messages))
        return;
    std::optional<QString> candidate;
    {
        RegistrationDialog dialog(m_state, m_services, RegistrationDialog::NewUser, this);
        candidate = runUserDialog(*this, dialog, &RegistrationDialog::candidate);
    }
    if (!candidate)
        return;
    const std::string call = candidate->toStdString();
    if (!isValidOwnCallsign(call) || !leaveCurrentUser(m_state, m_services.messages))
        return;
    m_state.currentCall = call;
    reportRegistration(app::registerUser(m_state.callSignPath, call));
    // Paths, title, settings (defaults for a new user), an empty log and Start.DAT.
    openCurrentUser();
}

void MainWindow::switchUserCommand(int mode)
{
    if (mode == UserSwitchDialog::SwitchUser &&
        refuseWhileOpen(userFileDialogsOpen(m_state.dialogModes), m_services.messages))
        return;
    std::optional<QString> pick;
    {
        UserSwitchDialog dialog(m_state, m_services, mode, this);
        pick = runUserDialog(*this, dialog, &UserSwitchDialog::pick);
    }
    if (!pick)
        return;
    const std::string call = pick->toStdString();

    if (mode == UserSwitchDialog::SwitchUser) {
        if (!isValidOwnCallsign(call) || call == m_state.currentCall ||
            !leaveCurrentUser(m_state, m_services.messages))
            return;
        m_state.currentCall = call;
        if (!app::writeStartFile(m_state.startPath, call))
            m_services.messages.writeFailed(QString::fromStdString(m_state.startPath));
        // Paths, title, the incoming user's settings with its own reference, log and reference.
        openCurrentUser();
        return;
    }

    // The reference station. Saved with the settings at their next write.
    if (call.empty()) {
        if (m_state.referenceOn) {
            // Switched off; the callsign is remembered.
            app::releaseReferenceIndex(m_state);
            m_state.referenceOn = false;
        }
        return;
    }
    if (m_state.referenceOn)
        app::releaseReferenceIndex(m_state);
    m_state.referenceCall = call;
    switch (app::openReferenceLog(m_state, m_hintBar->progress())) {
    case app::OpenResult::Ok:
        break;
    case app::OpenResult::NoMemory:
        m_services.messages.notice(QStringLiteral("メモリが不足します。検索共有はできません。"));
        break;
    case app::OpenResult::ReadFailed:
        m_services.messages.error(QStringLiteral("ログファイルを読めませんでした。\n%1")
                                      .arg(QString::fromStdString(m_state.referenceLogPath)));
        break;
    }
}

void MainWindow::blankCardCommand()
{
    RegistrationDialog dialog(m_state, m_services, RegistrationDialog::BlankCards, this);
    dialog.setBlankCardPrinter([this](int count) { printBlankCards(count); });
    placeDialog(&dialog, Placement::Left300);
    setCardCommandsEnabled(false);
    dialog.exec();
    setCardCommandsEnabled(true);
}

void MainWindow::restoreLogCommand()
{
    if (refuseWhileOpen(recordHoldersOpen(m_state.dialogModes), m_services.messages))
        return;
    if (!app::backupExists(m_state)) {
        m_services.messages.notice(QStringLiteral("退避したファイルはありません"));
        return;
    }
    QString question =
        QString::fromStdString(m_state.logPath) + QStringLiteral(" を削除する前のものに戻します");
    // The copy was taken before the deletions: what was registered since is not in it.
    if (const std::int32_t later = app::recordsAfterBackup(m_state); later > 0)
        question += QStringLiteral("\n退避後に登録された %1 件の交信は失われます").arg(later);
    if (!m_services.messages.confirm(question))
        return;
    const app::RestoreOutcome outcome = app::restoreLog(m_state, m_hintBar->progress());
    switch (outcome.result) {
    case app::RestoreResult::NoBackup:
        m_services.messages.notice(QStringLiteral("退避したファイルはありません"));
        return;
    case app::RestoreResult::Failed:
        m_services.messages.writeFailed(QString::fromStdString(m_state.logPath));
        return;
    case app::RestoreResult::Busy:
        m_services.messages.notice(QString::fromUtf8(kLogBusyText));
        return;
    case app::RestoreResult::Ok:
        break;
    }
    updateReorganizeCommand();
    if (reportRebuiltIndex(outcome.index, m_state, m_services.messages))
        QTimer::singleShot(0, this, &QWidget::close);
}

void MainWindow::reorganizeLogCommand()
{
    if (refuseWhileOpen(recordHoldersOpen(m_state.dialogModes), m_services.messages))
        return;
    if (!m_services.messages.confirm(QString::fromStdString(m_state.logPath) +
                                     QStringLiteral(" の削除データを取り除いてよろしいか　？")))
        return;
    const app::ReorganizeOutcome outcome = app::reorganizeLog(m_state, m_hintBar->progress());
    if (outcome.result == app::ReorganizeResult::Busy) {
        m_services.messages.notice(QString::fromUtf8(kLogBusyText));
        return;
    }
    if (outcome.result == app::ReorganizeResult::Failed) {
        m_services.messages.notice(
            QStringLiteral("ファイル整理意失敗しました。 はじめからやり直してください"));
        return;
    }
    updateReorganizeCommand();
    if (reportRebuiltIndex(outcome.index, m_state, m_services.messages))
        QTimer::singleShot(0, this, &QWidget::close);
}

} // namespace vz::ui
