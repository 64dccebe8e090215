// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's award progress, and the contact it opens in the contact dialog.
#include "app/ui/main_window.h"

#include "awards/ui/awards_dialog.h"
#include "common/ui/hint_bar.h"
#include "log/ui/contact_dialog.h"

namespace vz::ui {

void MainWindow::awardsCommand()
{
    for (AwardsDialog *open : findChildren<AwardsDialog *>()) {
        if (open->isVisible()) {
            open->raise();
            open->activateWindow();
            return;
        }
    }
    m_state.dialogModes.awards = 1;
    auto *dialog = new AwardsDialog(m_state, m_services, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setProgress(m_hintBar->progress());
    connect(dialog, &AwardsDialog::openContact, this, &MainWindow::openContactForModify);
    connect(dialog, &QDialog::finished, this, [this] {
        m_state.dialogModes.awards = 0;
        hintCarrierClosed();
    });
    placeDialog(dialog, Placement::CarriesHintBar);
    dialog->show();
    dialog->recount();
}

void MainWindow::openContactForModify(std::int32_t recordNo)
{
    ContactDialog *contact = nullptr;
    for (ContactDialog *open : findChildren<ContactDialog *>())
        if (open->isVisible())
            contact = open;
    if (!contact) {
        logDialogCommand(ContactDialog::Modify);
        for (ContactDialog *open : findChildren<ContactDialog *>())
            if (open->isVisible())
                contact = open;
    }
    if (!contact)
        return;
    if (contact->mode() != ContactDialog::Modify) {
        m_services.messages.notice(
            QStringLiteral("交信記録の画面が修正以外で開いています。閉じてから選んでください"));
        return;
    }
    // A change registered there changes the counts of the award dialog that opened it.
    if (auto *awards = qobject_cast<AwardsDialog *>(sender()))
        connect(contact, &ContactDialog::recordRewritten, awards, &AwardsDialog::recount,
                Qt::UniqueConnection);
    contact->raise();
    contact->activateWindow();
    contact->readRecordNumber(recordNo);
}

} // namespace vz::ui
