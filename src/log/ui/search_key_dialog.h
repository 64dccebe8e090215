// SPDX-License-Identifier: GPL-3.0-or-later
// The search key dialog: asks for the key of an item search. It shows the item's title and a
// hint on how the key is matched; the key is typed in upper case. Closing either way hands the
// field's text on as the search key (empty after "中　止").
#pragma once

#include "app/app_state.h"
#include "common/ui/vezo_dialog.h"

#include <QValidator>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vz::ui {

// Upper case, and only what a log can store: a key with a character Shift_JIS has no form for
// could never match a record.
class SearchKeyValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

class SearchKeyDialog : public VezoDialog
{
    Q_OBJECT
public:
    // `item` is the search item 1..7.
    SearchKeyDialog(app::AppState &state, UiServices &services, int item,
                    QWidget *parent = nullptr);

    static QString titleFor(int item);
    static QString helpFor(int item);

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void keyEdited();    // "表　示" is enabled while the field holds text
    void cancelSearch(); // 中　止: empties the field and cancels
    void showResults();  // 表　示: closes with the key

    app::AppState &m_state;
    QLineEdit *m_keyEdit;
    QLabel *m_helpLabel;
    QPushButton *m_cancelButton;
    QPushButton *m_showButton;
};

} // namespace vz::ui
