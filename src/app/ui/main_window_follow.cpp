// SPDX-License-Identifier: GPL-3.0-or-later
// The main window follows the log when another program writes it (vezolog, a second window):
// the folder is watched as well as the file, since a reorganization or a restore puts a new
// file in place by rename, which a watch on the old file never reports.
#include "app/ui/main_window.h"

#include "app/session.h"
#include "common/ui/hint_bar.h"
#include "log/ui/contact_dialog.h"
#include "log/ui/search_dialog.h"

#include <QFileSystemWatcher>
#include <QTimer>

namespace vz::ui {

void MainWindow::watchLog()
{
    if (!m_logWatcher) {
        m_logWatcher = new QFileSystemWatcher(this);
        m_followTimer = new QTimer(this);
        m_followTimer->setSingleShot(true);
        // Many writes of one import come as one change.
        m_followTimer->setInterval(150);
        connect(m_followTimer, &QTimer::timeout, this, &MainWindow::followLogChanges);
        connect(m_logWatcher, &QFileSystemWatcher::fileChanged, m_followTimer,
                qOverload<>(&QTimer::start));
        connect(m_logWatcher, &QFileSystemWatcher::directoryChanged, m_followTimer,
                qOverload<>(&QTimer::start));
    }
    // A watch removed and added again for the same file can be lost (the removal's notice
    // arrives after the new watch): only another user's log is let go.
    const QString logPath = QString::fromStdString(m_state.logPath);
    for (const QString &watched : m_logWatcher->files())
        if (watched != logPath)
            m_logWatcher->removePath(watched);
    const QString folder = QString::fromStdString(m_state.dataDir.root());
    if (!m_logWatcher->directories().contains(folder))
        m_logWatcher->addPath(folder);
    if (!m_state.logPath.empty() && !m_logWatcher->files().contains(logPath))
        m_logWatcher->addPath(logPath);
}

void MainWindow::followLogChanges()
{
    if (m_state.currentCall.empty() || m_state.startAborted)
        return;
    // A file renamed over the log is a new file: the watch moves to it.
    const QString logPath = QString::fromStdString(m_state.logPath);
    if (!m_logWatcher->files().contains(logPath))
        m_logWatcher->addPath(logPath);
    if (!m_state.ownIndex.built())
        return; // still being opened: nothing to follow yet
    const app::FollowOutcome followed = app::followLog(m_state, m_hintBar->progress());
    if (followed.change == app::LogChange::None)
        return;
    if (followed.result != app::OpenResult::Ok)
        m_services.messages.error(
            QStringLiteral("ログファイルを読めませんでした。\n%1").arg(logPath));
    showLogFollowed();
}

void MainWindow::showLogFollowed()
{
    for (ContactDialog *dialog : findChildren<ContactDialog *>())
        dialog->logChangedElsewhere();
    for (SearchDialog *dialog : findChildren<SearchDialog *>())
        dialog->logChanged();
}

} // namespace vz::ui
