// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's place commands: the personal information (modal, alive from start-up to
// the end, holding the special-prefix list) and the JCC master editor (modeless, one at a
// time). The personal information's changes reach an open contact dialog from here.
#include "app/session.h"
#include "app/ui/main_window.h"
#include "common/ui/hint_bar.h"
#include "log/ui/contact_dialog.h"
#include "places/ui/master_editor_dialog.h"
#include "places/ui/personal_info_dialog.h"
#include "wsjtx/ui/wsjtx_link.h"

#include <QAbstractButton>

namespace vz::ui {

namespace {

ContactDialog *openContactDialog(const MainWindow &window)
{
    for (ContactDialog *open : window.findChildren<ContactDialog *>())
        if (open->isVisible())
            return open;
    return nullptr;
}

} // namespace

void MainWindow::buildPersonalInfo()
{
    m_personalInfo = new PersonalInfoDialog(m_state, m_services, this);
    connect(m_personalInfo, &PersonalInfoDialog::fixedStringEdited, this,
            [this](int index, const QString &text) {
                if (ContactDialog *contact = openContactDialog(*this))
                    contact->showFixedString(index, text);
            });
    connect(m_personalInfo, &PersonalInfoDialog::ownPortablePlaceChanged, this,
            [this](const QString &city) {
                if (ContactDialog *contact = openContactDialog(*this))
                    contact->showOwnPortablePlace(city);
            });
    connect(m_personalInfo, &PersonalInfoDialog::settingsReloaded, this, [this] {
        if (ContactDialog *contact = openContactDialog(*this))
            contact->refreshFromSettings();
    });
    // The area indexes were built with the old table: build them again, so the history and
    // the area search find every contact where the new table puts it.
    connect(m_personalInfo, &PersonalInfoDialog::prefixTableSaved, this, [this] {
        if (app::rebuildOwnIndex(m_state, m_hintBar->progress()) != app::OpenResult::Ok)
            m_services.messages.error(QStringLiteral("ログファイルを読めませんでした。\n%1")
                                          .arg(QString::fromStdString(m_state.logPath)));
        if (m_state.referenceOn &&
            app::openReferenceLog(m_state, m_hintBar->progress()) == app::OpenResult::NoMemory)
            m_services.messages.notice(
                QStringLiteral("メモリが不足します。検索共有はできません。"));
    });
}

bool MainWindow::loadSpecialPrefixes()
{
    if (m_personalInfo->loadPrefixList())
        return true;
    m_services.messages.error(QStringLiteral("ファイルを読めませんでした。\n%1")
                                  .arg(QString::fromStdString(m_state.prefixPath)));
    return false;
}

void MainWindow::personalInfoCommand()
{
    m_state.dialogModes.environ = 1;
    // A print run of another program may have advanced the number since it was read.
    app::followCardNumber(m_state);
    placeDialog(m_personalInfo, Placement::CarriesHintBar);
    m_personalInfo->exec();
    m_state.dialogModes.environ = 0;
    m_wsjtxLink->follow();
    hintCarrierClosed();
}

void MainWindow::jccEditCommand()
{
    // One editor at a time: two editors saving the same area would undo each other.
    for (const MasterEditorDialog *open : findChildren<MasterEditorDialog *>())
        if (open->isVisible())
            return;
    m_state.dialogModes.master = 1;
    auto *dialog = new MasterEditorDialog(m_state, m_services, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    commandButton(Command::JccEdit)->setEnabled(false);
    connect(dialog, &QDialog::finished, this, [this] {
        commandButton(Command::JccEdit)->setEnabled(true);
        hintCarrierClosed();
    });
    placeDialog(dialog, Placement::CarriesHintBar);
    dialog->show();
}

} // namespace vz::ui
