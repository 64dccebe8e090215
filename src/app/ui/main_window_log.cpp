// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's contact commands: the edit dialog in its four modes.
#include "app/ui/main_window.h"

#include "log/ui/contact_dialog.h"
#include "places/ui/city_lookup_dialog.h"

#include <QAbstractButton>

namespace vz::ui {

namespace {

// The commands that must wait while the edit dialog is open: another user or reference log
// would pull the log from under it, and one edit dialog is enough. The search dialog holds
// the user commands too, so they come back only when neither is open.
void setLogCommandsEnabled(MainWindow &form, const app::DialogModes &modes, bool enabled)
{
    form.setUserCommandsEnabled(enabled && modes.list == 0);
    for (Command id :
         {Command::LogInput, Command::LogModify, Command::LogDelete, Command::LogSearch})
        form.commandButton(id)->setEnabled(enabled);
}

} // namespace

void MainWindow::logDialogCommand(int mode)
{
    for (const ContactDialog *open : findChildren<ContactDialog *>())
        if (open->isVisible())
            return;
    m_state.dialogModes.log = mode;
    auto *dialog = new ContactDialog(m_state, m_services, mode, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setCityLookupMaker([this](QWidget *parent) -> CityLookup * {
        return new CityLookupDialog(m_state, m_services, parent);
    });
    setLogCommandsEnabled(*this, m_state.dialogModes, false);
    connect(dialog, &ContactDialog::recordDeleted, this, &MainWindow::updateReorganizeCommand);
    connect(dialog, &ContactDialog::foreignRecordsSeen, this, &MainWindow::showLogFollowed);
    connect(dialog, &QDialog::finished, this, [this] {
        setLogCommandsEnabled(*this, m_state.dialogModes, true);
        hintCarrierClosed();
    });
    placeDialog(dialog, Placement::CarriesHintBar);
    dialog->show();
}

} // namespace vz::ui
