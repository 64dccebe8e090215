// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's help tab: the help's contents, its keyword index, and the about box.
#include "app/ui/about_dialog.h"
#include "app/ui/main_window.h"

namespace vz::ui {

void MainWindow::helpContentsCommand()
{
    m_services.help.showContents();
}

void MainWindow::helpKeywordCommand()
{
    m_services.help.showKeywordIndex();
}

void MainWindow::aboutCommand()
{
    // One about box at a time: pressed again, the open one comes to the front. It leaves the
    // hint bar where it is and stays open beside every other window.
    if (auto *open = findChild<AboutDialog *>()) {
        open->raise();
        open->activateWindow();
        return;
    }
    auto *about = new AboutDialog(m_state, m_services, this);
    about->show();
}

} // namespace vz::ui
