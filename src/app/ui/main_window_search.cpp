// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's search commands: item search and area search.
#include "app/ui/main_window.h"
#include "common/ui/hint_bar.h"
#include "log/ui/search_dialog.h"

#include <QAbstractButton>

namespace vz::ui {

void MainWindow::searchDialogCommand(int mode)
{
    for (const SearchDialog *open : findChildren<SearchDialog *>())
        if (open->isVisible())
            return;
    m_state.dialogModes.list = mode;
    auto *dialog = new SearchDialog(m_state, m_services, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setProgress(m_hintBar->progress());
    dialog->setKeyDialogPlacer(
        [this](QWidget *find) { placeDialog(find, Placement::UnderHintBar); });

    // While results are listed, the user and the reference station stay as they are, and
    // only one search dialog is open.
    setUserCommandsEnabled(false);
    commandButton(Command::ItemSearch)->setEnabled(false);
    commandButton(Command::AreaSearch)->setEnabled(false);
    connect(dialog, &QDialog::finished, this, [this] {
        // The contact edit dialog holds the user commands too while it is open.
        setUserCommandsEnabled(m_state.dialogModes.log == 0);
        commandButton(Command::ItemSearch)->setEnabled(true);
        commandButton(Command::AreaSearch)->setEnabled(true);
        hintCarrierClosed();
    });

    placeDialog(dialog, Placement::CarriesHintBar);
    dialog->show();
}

} // namespace vz::ui
