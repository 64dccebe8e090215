// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's LoTW commands on the file tab: "LoTWへ送信", the contacts not yet sent,
// through TQSL, and "LoTWから確認を取得", the confirmations since the last download.
#include "app/ui/main_window.h"

#include "lotw/ui/report_download.h"
#include "lotw/ui/secret_store.h"
#include "lotw/ui/tqsl_upload_run.h"

namespace vz::ui {

void MainWindow::lotwUploadCommand()
{
    QtTqslRunner runner(this);
    uploadToLotw(m_state, m_services.messages, runner);
}

void MainWindow::lotwDownloadCommand()
{
    KeychainSecretStore store(QString::fromLatin1(kLotwSecretService));
    downloadFromLotw(
        m_state, m_services.messages, store,
        [this](const QString &user) { return askLotwPassword(this, user); }, this);
}

} // namespace vz::ui
