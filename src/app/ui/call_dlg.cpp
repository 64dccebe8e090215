// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/call_dlg.h"

#include "app/user_registry.h"
#include "common/callsign.h"

#include <QCheckBox>
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

TCallDlg::TCallDlg(app::AppState &state, UiServices &services, int mode, QWidget *parent)
    : VezoDialog(state, services, parent), m_mode(mode),
      CheckBox1(new QCheckBox(QStringLiteral("参照する"), this)),
      Edit1(makePickField(this, "Edit1")), Edit2(makePickField(this, "Edit2")),
      ListBox1(new QListWidget(this)),
      Label1(new QLabel(QStringLiteral("リストから局名をクリックしてください"), this)),
      SpeedButton1(makeDialogButton(this, QStringLiteral("SpeedButton1"), QStringLiteral("中　止"),
                                    smallButtonAt(38, 228))),
      SpeedButton2(makeDialogButton(this, QStringLiteral("SpeedButton2"), QStringLiteral("設　定"),
                                    smallButtonAt(113, 229)))
{
    setObjectName(QStringLiteral("CallDlg"));
    setFixedSize(193, 261);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->move(29, 38);
    CheckBox1->adjustSize();
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(38, 86, 117, 97);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(37, 193, 130, 30);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_state.dialogModes.call = m_mode;
    SpeedButton2->setEnabled(false);
    m_pick.clear();
    fillList();

    connect(ListBox1, &QListWidget::itemClicked, this, &TCallDlg::ListBox1Click);
    connect(CheckBox1, &QCheckBox::toggled, this, &TCallDlg::CheckBox1Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &TCallDlg::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TCallDlg::SpeedButton2Click);

    if (m_mode == SwitchUser) {
        setTitle(QStringLiteral("ユーザ切り替え"));
        CheckBox1->hide();
        Edit2->hide();
    } else {
        setTitle(QStringLiteral("参照局の設定"));
        Edit1->hide();
        // The reference in force shows checked with its callsign; pressing "設　定" keeps it.
        if (m_state.referenceOn)
            CheckBox1->setChecked(true);
    }
    ListBox1->setFocus();
}

void TCallDlg::fillList()
{
    ListBox1->clear();
    // A slot that does not hold a callsign (a damaged registry) cannot name a user's files and
    // is not offered.
    for (const std::string &call : app::listUsers(m_state.callSignPath))
        if (isValidOwnCallsign(call))
            ListBox1->addItem(QString::fromStdString(call));
}

void TCallDlg::ListBox1Click(QListWidgetItem *item)
{
    if (!item)
        return;
    SpeedButton2->setEnabled(true);
    m_pick = item->text();
    if (m_pick == QString::fromStdString(m_state.currentCall)) {
        m_services.messages.notice(QStringLiteral("この局は現在の運用中です"));
        SpeedButton2->setEnabled(false);
        m_pick.clear();
        return;
    }
    if (m_mode == SwitchUser) {
        Edit1->setText(m_pick);
    } else {
        if (!CheckBox1->isChecked())
            CheckBox1->setChecked(true);
        Edit2->setText(m_pick);
    }
    SpeedButton2->setFocus();
}

void TCallDlg::CheckBox1Click(bool checked)
{
    if (checked) {
        SpeedButton2->setEnabled(true);
        // Checked again with nothing picked: the box and the field show the reference in force,
        // never a checked box that would switch it off.
        if (m_pick.isEmpty() && m_state.referenceOn) {
            m_pick = QString::fromStdString(m_state.referenceCall);
            Edit2->setText(m_pick);
        }
        return;
    }
    Edit2->clear();
    m_pick.clear();
    // An existing reference can be switched off with the box unchecked.
    SpeedButton2->setEnabled(m_state.referenceOn);
}

void TCallDlg::SpeedButton1Click()
{
    m_pick.clear();
    reject();
}

void TCallDlg::SpeedButton2Click()
{
    if (m_mode == Reference && !Edit2->text().isEmpty() && !CheckBox1->isChecked()) {
        m_services.messages.notice(QStringLiteral("チェックボックスにチェックがありません"));
        SpeedButton2->setEnabled(false);
        return;
    }
    // Switching needs a station from the list; there is no user without a callsign.
    if (m_mode == SwitchUser && m_pick.isEmpty())
        return;
    accept();
}

void TCallDlg::done(int result)
{
    if (result != Accepted)
        m_pick.clear();
    m_state.dialogModes.call = 0;
    VezoDialog::done(result);
}

} // namespace vz::ui
