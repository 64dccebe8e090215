// SPDX-License-Identifier: GPL-3.0-or-later
// What the postcard and the commercial card dialogs share: the "自" and "至" record number
// fields, printing a range or every pending card through the print run, the messages of a
// run, Up/Down moving between controls, and the print job they print on (the default
// printer, or what a test gives them).
#pragma once

#include "app/app_state.h"
#include "common/ui/vezo_dialog.h"
#include "print/print_run.h"

#include <QLineEdit>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;

namespace vz::ui {

// A record number field that says when the focus leaves it.
class CardNumberField : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

Q_SIGNALS:
    void left();

protected:
    void focusOutEvent(QFocusEvent *event) override;
};

using PrintJobFactory = std::function<std::unique_ptr<print::PrintJob>()>;

// The message box for what went wrong in a print run; nothing for a run that went well.
void reportPrintOutcome(MessageService &messages, const print::PrintOutcome &outcome);

// A job on the default printer at the resolution measured at start-up; `lying` for cards
// drawn across (horizontal commercial cards).
std::unique_ptr<print::PrintJob> makeDefaultPrinterJob(const app::AppState &state,
                                                       bool lying = false);

class CardDialog : public VezoDialog
{
    Q_OBJECT
public:
    CardDialog(app::AppState &state, UiServices &services, QWidget *parent = nullptr);

    // Where the cards go; the default printer unless a test says otherwise.
    void setPrintJobFactory(PrintJobFactory factory) { m_jobFactory = std::move(factory); }
    virtual int helpContext() const = 0;

protected:
    // The fields, their caption and the two print buttons, at the given places.
    void buildRangeControls(const QString &caption, QPoint captionAt, QPoint fieldsAt,
                            bool digitsOnly);
    void showHelp();
    // The draw operation of the card this dialog prints.
    virtual print::CardDrawing cardDrawing() const = 0;
    // The card is drawn across, 148 x 100 mm.
    virtual bool cardLies() const { return false; }
    // A key was typed in a number field.
    virtual void numberTyped();
    // The number fields were emptied after a print.
    virtual void rangeCleared() {}
    // Prints on a fresh job and reports what went wrong; the fields are cleared afterwards. A
    // batch of pending cards that finds none says so.
    void runOnJob(const std::function<print::PrintOutcome(print::PrintJob &)> &run,
                  bool unissuedOnly = false);
    bool eventFilter(QObject *watched, QEvent *event) override;
    // An error box naming the layout file, which could not be written.
    void layoutWriteFailed();

    app::AppState &m_state;
    CardNumberField *m_fromEdit = nullptr;
    CardNumberField *m_toEdit = nullptr;
    QLabel *m_rangeCaption = nullptr;
    QPushButton *m_printRangeButton = nullptr;
    QPushButton *m_printUnissuedButton = nullptr;

private:
    void numberLeft(CardNumberField *field);
    void printRange();
    void printUnissued();

    PrintJobFactory m_jobFactory;
    bool m_leaveRefused = false; // a number field refused to be left, until it has the focus
};

} // namespace vz::ui
