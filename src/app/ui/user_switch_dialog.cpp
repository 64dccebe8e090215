// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/user_switch_dialog.h"

#include "app/user_registry.h"
#include "common/callsign.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace vz::ui {

namespace {

QLineEdit *makePickField(QWidget *parent, const char *name)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setGeometry(38, 63, 117, 20);
    // The field shows the station clicked in the list; typed text could never be used, so none
    // is taken.
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

} // namespace

UserSwitchDialog::UserSwitchDialog(app::AppState &state, UiServices &services, int mode,
                                   QWidget *parent)
    : VezoDialog({state.settings.flatWindow, state.settings.keyClick}, services, parent),
      m_state(state), m_mode(mode),
      m_referenceCheck(new QCheckBox(QStringLiteral("参照する"), this)),
      m_switchPickEdit(makePickField(this, "switchPickEdit")),
      m_referencePickEdit(makePickField(this, "referencePickEdit")),
      m_userList(new QListWidget(this)),
      m_instructionLabel(new QLabel(QStringLiteral("リストから局名をクリックしてください"), this)),
      m_cancelButton(makeDialogButton(this, QStringLiteral("cancelButton"),
                                      QStringLiteral("中　止"), smallButtonAt(38, 228))),
      m_setButton(makeDialogButton(this, QStringLiteral("setButton"), QStringLiteral("設　定"),
                                   smallButtonAt(113, 229)))
{
    setObjectName(QStringLiteral("UserSwitchDialog"));
    setFixedSize(193, 261);
    m_referenceCheck->setObjectName(QStringLiteral("referenceCheck"));
    m_referenceCheck->move(29, 38);
    m_referenceCheck->adjustSize();
    m_userList->setObjectName(QStringLiteral("userList"));
    m_userList->setGeometry(38, 86, 117, 97);
    m_instructionLabel->setObjectName(QStringLiteral("instructionLabel"));
    m_instructionLabel->setGeometry(37, 193, 130, 30);
    m_instructionLabel->setWordWrap(true);
    m_instructionLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_state.dialogModes.call = m_mode;
    m_setButton->setEnabled(false);
    m_pick.clear();
    fillList();

    connect(m_userList, &QListWidget::itemClicked, this, &UserSwitchDialog::pickStation);
    connect(m_referenceCheck, &QCheckBox::toggled, this, &UserSwitchDialog::referenceToggled);
    connect(m_cancelButton, &QPushButton::clicked, this, &UserSwitchDialog::cancelPick);
    connect(m_setButton, &QPushButton::clicked, this, &UserSwitchDialog::confirmPick);

    if (m_mode == SwitchUser) {
        setTitle(QStringLiteral("ユーザ切り替え"));
        m_referenceCheck->hide();
        m_referencePickEdit->hide();
    } else {
        setTitle(QStringLiteral("参照局の設定"));
        m_switchPickEdit->hide();
        // The reference in force shows checked with its callsign; pressing "設　定" keeps it.
        if (m_state.referenceOn)
            m_referenceCheck->setChecked(true);
    }
    m_userList->setFocus();
}

void UserSwitchDialog::fillList()
{
    m_userList->clear();
    // A slot that does not hold a callsign (a damaged registry) cannot name a user's files and
    // is not offered.
    for (const std::string &call : app::listUsers(m_state.callSignPath))
        if (isValidOwnCallsign(call))
            m_userList->addItem(QString::fromStdString(call));
}

void UserSwitchDialog::pickStation(QListWidgetItem *item)
{
    if (!item)
        return;
    m_setButton->setEnabled(true);
    m_pick = item->text();
    if (m_pick == QString::fromStdString(m_state.currentCall)) {
        m_services.messages.notice(QStringLiteral("この局は現在の運用中です"));
        m_setButton->setEnabled(false);
        m_pick.clear();
        return;
    }
    if (m_mode == SwitchUser) {
        m_switchPickEdit->setText(m_pick);
    } else {
        if (!m_referenceCheck->isChecked())
            m_referenceCheck->setChecked(true);
        m_referencePickEdit->setText(m_pick);
    }
    m_setButton->setFocus();
}

bool UserSwitchDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_userList && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        QListWidgetItem *highlighted = m_userList->currentItem();
        if (highlighted &&
            (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
            if (m_state.settings.keyClick)
                m_services.keyClick.play();
            pickStation(highlighted);
            return true;
        }
    }
    return VezoDialog::eventFilter(watched, event);
}

void UserSwitchDialog::referenceToggled(bool checked)
{
    if (checked) {
        m_setButton->setEnabled(true);
        // Checked again with nothing picked: the box and the field show the reference in force,
        // never a checked box that would switch it off.
        if (m_pick.isEmpty() && m_state.referenceOn) {
            m_pick = QString::fromStdString(m_state.referenceCall);
            m_referencePickEdit->setText(m_pick);
        }
        return;
    }
    m_referencePickEdit->clear();
    m_pick.clear();
    // An existing reference can be switched off with the box unchecked.
    m_setButton->setEnabled(m_state.referenceOn);
}

void UserSwitchDialog::cancelPick()
{
    m_pick.clear();
    reject();
}

void UserSwitchDialog::confirmPick()
{
    if (m_mode == Reference && !m_referencePickEdit->text().isEmpty() &&
        !m_referenceCheck->isChecked()) {
        m_services.messages.notice(QStringLiteral("チェックボックスにチェックがありません"));
        m_setButton->setEnabled(false);
        return;
    }
    // Switching needs a station from the list; there is no user without a callsign.
    if (m_mode == SwitchUser && m_pick.isEmpty())
        return;
    accept();
}

void UserSwitchDialog::done(int result)
{
    if (result != Accepted)
        m_pick.clear();
    m_state.dialogModes.call = 0;
    VezoDialog::done(result);
}

} // namespace vz::ui
