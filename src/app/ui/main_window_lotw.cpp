// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's "LoTWへ送信" on the file tab: the contacts not yet sent, through TQSL.
#include "app/ui/main_window.h"

#include "lotw/ui/tqsl_upload_run.h"

namespace vz::ui {

void MainWindow::lotwUploadCommand()
{
    QtTqslRunner runner(this);
    uploadToLotw(m_state, m_services.messages, runner);
}

} // namespace vz::ui
