// SPDX-License-Identifier: GPL-3.0-or-later
// The registration dialog (TEntryDlg). Mode 1 registers the first user of a new
// installation, mode 2 a further user, mode 3 asks for the number of blank cards to print.
//   Label1 explanation   Label2 field caption   Edit1 callsign or count
//   SpeedButton1 "登録"   SpeedButton2 "印刷"     SpeedButton3 "中止" / "終了"
#pragma once

#include "common/ui/vezo_dialog.h"

#include <QValidator>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vz::ui {

// Takes only A-Z and 0-9, forcing letters to upper case, at most 10 characters: a callsign
// becomes part of file names.
class CallsignValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

class TEntryDlg : public VezoDialog
{
    Q_OBJECT
public:
    enum Mode { FirstRun = 1, NewUser = 2, BlankCards = 3 };

    TEntryDlg(app::AppState &state, UiServices &services, int mode, QWidget *parent = nullptr);

    int mode() const { return m_mode; }
    // The callsign typed, once the dialog ended with OK (modes 1 and 2).
    QString candidate() const { return m_candidate; }
    // Prints n blank cards (mode 3); n is at least 1.
    void setBlankCardPrinter(std::function<void(int)> printer)
    {
        m_printBlank = std::move(printer);
    }

    void done(int result) override;

private:
    void Edit1Change();       // enables the action button while the field holds text
    void SpeedButton1Click(); // 登録: refuses a registered callsign, else closes with OK
    void SpeedButton2Click(); // 印刷: prints the blank cards counted
    void SpeedButton3Click(); // 中止 / 終了

    int m_mode;
    QString m_candidate;
    std::function<void(int)> m_printBlank;
    QLabel *Label1;
    QLabel *Label2;
    QLineEdit *Edit1;
    QPushButton *SpeedButton1;
    QPushButton *SpeedButton2;
    QPushButton *SpeedButton3;
};

} // namespace vz::ui
