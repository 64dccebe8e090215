// SPDX-License-Identifier: GPL-3.0-or-later
// The city lookup (TQthDlg): lists every city of the worked station's region whose index
// initial equals the kana the operator typed into a city field of the contact dialog, and
// hands the confirmed city's name, JCC number and position back. Shown modally over the
// contact dialog; emptied each time it closes.
//   Label1 "索引件数 ： " + hits    Label2 "選択されている市町村名"   Edit1 selected city
//   StringGrid1 hits               Button1 "確定"                 Button2 "キャンセル"
//   SpeedButton1 "ヘルプ"
// Inputs from AppState: searchKey (the initial), currentArea (the master file), the settings
// (own location). Outputs: cityChosen, workedPosition, ownLocation, chosenCity(), chosenJcc().
#pragma once

#include "common/ui/vezo_dialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace vz::ui {

class TQthDlg : public VezoDialog
{
    Q_OBJECT
public:
    TQthDlg(app::AppState &state, UiServices &services, QWidget *parent = nullptr);

    // The confirmed city (Shift_JIS as stored), valid while AppState::cityChosen.
    const std::string &chosenCity() const { return m_city; }
    const std::string &chosenJcc() const { return m_jcc; }
    int hitCount() const { return m_hits; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();                                 // places the dialog and searches
    void StringGrid1SelectCell(int row, int column); // the row's city becomes the selection
    void Button1Click();                             // 確定: hands the city back
    void Button2Click();                             // キャンセル
    void SpeedButton1Click();                        // ヘルプ: nothing to open
    void emptyTable();

    QLabel *Label1;
    QLabel *Label2;
    QLineEdit *Edit1;
    QTableWidget *StringGrid1;
    QPushButton *Button1;
    QPushButton *Button2;
    QToolButton *SpeedButton1;
    int m_row = 1; // 1-based data row
    int m_hits = 0;
    std::string m_city;
    std::string m_jcc;
};

} // namespace vz::ui
