// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's WSJT-X link: the listener of the current user, whose status of a contact
// in progress fills an open contact dialog in input mode, and whose registered contacts move
// that dialog's next record number on.
#include "app/ui/main_window.h"
#include "log/ui/contact_dialog.h"
#include "places/ui/personal_info_dialog.h"
#include "rig/rig_fields.h"
#include "wsjtx/messages.h"
#include "wsjtx/ui/wsjtx_link.h"
#include "wsjtx/ui/wsjtx_page.h"

namespace vz::ui {

namespace {

ContactDialog *visibleContactDialog(const MainWindow &window)
{
    for (ContactDialog *open : window.findChildren<ContactDialog *>())
        if (open->isVisible())
            return open;
    return nullptr;
}

} // namespace

void MainWindow::buildWsjtxLink()
{
    m_wsjtxLink = new WsjtxLink(m_state, m_services.messages, this);
    m_personalInfo->wsjtxPage()->setLink(m_wsjtxLink);
    connect(m_wsjtxLink, &WsjtxLink::statusReceived, this, [this](const wsjtx::Status &status) {
        if (ContactDialog *contact = visibleContactDialog(*this))
            contact->fillFromWsjtx(QString::fromStdString(status.dxCall),
                                   QString::fromStdString(rig::frequencyFieldText(
                                       static_cast<double>(status.dialFrequency))),
                                   QString::fromStdString(status.mode));
    });
    // The link has followed the log itself: the windows that show it follow as for another
    // program's append (the next number, an open search list).
    connect(m_wsjtxLink, &WsjtxLink::contactRegistered, this,
            [this](std::int32_t) { showLogFollowed(); });
}

} // namespace vz::ui
