// SPDX-License-Identifier: GPL-3.0-or-later
// The registration dialog. Mode 1 registers the first user of a new installation, mode 2 a
// further user, mode 3 asks for the number of blank cards to print.
#pragma once

#include "app/app_state.h"
#include "common/ui/vezo_dialog.h"

#include <QValidator>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vz::ui {

// Takes only A-Z and 0-9, forcing letters to upper case, at most 10 characters: a callsign
// becomes part of file names. A refused character is named in the hint bar, with a beep.
class CallsignValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

class RegistrationDialog : public VezoDialog
{
    Q_OBJECT
public:
    enum Mode { FirstRun = 1, NewUser = 2, BlankCards = 3 };

    RegistrationDialog(app::AppState &state, UiServices &services, int mode,
                       QWidget *parent = nullptr);

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
    void inputEdited();      // enables the action button while the field holds text
    void registerCallsign(); // 登録: refuses a registered callsign, else closes with OK
    void printBlankCards();  // 印刷: prints the blank cards counted
    void closeDialog();      // 中止 / 終了

    app::AppState &m_state;
    int m_mode;
    QString m_candidate;
    std::function<void(int)> m_printBlank;
    QLabel *m_explanationLabel;
    QLabel *m_captionLabel;
    QLineEdit *m_inputEdit;
    QPushButton *m_registerButton;
    QPushButton *m_printButton;
    QPushButton *m_closeButton;
};

} // namespace vz::ui
