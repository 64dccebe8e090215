// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's card commands: the postcard dialog, the commercial card dialog for
// horizontal and vertical cards, and the printing of blank cards counted in the registration
// dialog. While one of them is open the four card commands are off.
#include "app/ui/main_window.h"
#include "common/ui/hint_bar.h"
#include "print/print_run.h"
#include "print/ui/card_dialog.h"
#include "print/ui/commercial_card_dialog.h"
#include "print/ui/postcard_dialog.h"

namespace vz::ui {

void MainWindow::postcardCommand()
{
    m_state.dialogModes.post = 1;
    openCardDialog(new PostcardDialog(m_state, m_services, this));
}

void MainWindow::commercialCardCommand(int mode)
{
    m_state.dialogModes.prin = mode;
    openCardDialog(new CommercialCardDialog(m_state, m_services, this));
}

void MainWindow::openCardDialog(CardDialog *dialog)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    setCardCommandsEnabled(false);
    connect(dialog, &QDialog::finished, this, [this] {
        setCardCommandsEnabled(true);
        hintCarrierClosed();
    });
    placeDialog(dialog, Placement::CarriesHintBar);
    dialog->show();
}

void MainWindow::printBlankCards(int count)
{
    const std::unique_ptr<print::PrintJob> job = makeDefaultPrinterJob(m_state);
    const print::PrintOutcome outcome = print::printBlankCards(count, *job);
    reportPrintOutcome(m_services.messages, outcome);
}

} // namespace vz::ui
