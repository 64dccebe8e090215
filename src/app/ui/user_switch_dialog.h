// SPDX-License-Identifier: GPL-3.0-or-later
// The user switch dialog. Mode 1 picks the user to switch to, mode 2 the reference station
// whose log the history and the searches read beside the own one. Only a station picked in the
// list is ever used: the two fields show the pick and take no typing.
#pragma once

#include "app/app_state.h"
#include "common/ui/vezo_dialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace vz::ui {

class UserSwitchDialog : public VezoDialog
{
    Q_OBJECT
public:
    enum Mode { SwitchUser = 1, Reference = 2 };

    UserSwitchDialog(app::AppState &state, UiServices &services, int mode,
                     QWidget *parent = nullptr);

    int mode() const { return m_mode; }
    // The station picked, once the dialog ended with OK; empty when none was picked or the pick
    // was withdrawn (in mode 2 that switches the reference off).
    QString pick() const { return m_pick; }

    void done(int result) override;

protected:
    // Enter or Space on the highlighted station picks it, as a click does.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pickStation(QListWidgetItem *item); // picks a station, never the current user
    void referenceToggled(bool checked);     // reference on or off
    void cancelPick();                       // 中　止
    void confirmPick();                      // 設　定
    void fillList();

    app::AppState &m_state;
    int m_mode;
    QString m_pick;
    QCheckBox *m_referenceCheck;
    QLineEdit *m_switchPickEdit;
    QLineEdit *m_referencePickEdit;
    QListWidget *m_userList;
    QLabel *m_instructionLabel;
    QPushButton *m_cancelButton;
    QPushButton *m_setButton;
};

} // namespace vz::ui
