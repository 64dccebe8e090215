// SPDX-License-Identifier: GPL-3.0-or-later
// The user switch dialog (TCallDlg). Mode 1 picks the user to switch to, mode 2 the reference
// station whose log the history and the searches read beside the own one. Only a station
// clicked in the list is ever used: the two fields show the pick and take no typing.
//   CheckBox1 "参照する" (mode 2)   Edit1 pick (mode 1)   Edit2 pick (mode 2)
//   ListBox1 registered users       Label1 "リストから局名をクリックしてください"
//   SpeedButton1 "中　止"            SpeedButton2 "設　定"
#pragma once

#include "common/ui/vezo_dialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace vz::ui {

class TCallDlg : public VezoDialog
{
    Q_OBJECT
public:
    enum Mode { SwitchUser = 1, Reference = 2 };

    TCallDlg(app::AppState &state, UiServices &services, int mode, QWidget *parent = nullptr);

    int mode() const { return m_mode; }
    // The station picked, once the dialog ended with OK; empty when none was picked or the pick
    // was withdrawn (in mode 2 that switches the reference off).
    QString pick() const { return m_pick; }

    void done(int result) override;

private:
    void ListBox1Click(QListWidgetItem *item); // picks a station, never the current user
    void CheckBox1Click(bool checked);         // reference on or off
    void SpeedButton1Click();                  // 中　止
    void SpeedButton2Click();                  // 設　定
    void fillList();

    int m_mode;
    QString m_pick;
    QCheckBox *CheckBox1;
    QLineEdit *Edit1;
    QLineEdit *Edit2;
    QListWidget *ListBox1;
    QLabel *Label1;
    QPushButton *SpeedButton1;
    QPushButton *SpeedButton2;
};

} // namespace vz::ui
