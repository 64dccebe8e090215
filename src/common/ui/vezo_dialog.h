// SPDX-License-Identifier: GPL-3.0-or-later
// The look and keys every dialog of the logbook shares: no caption bar, a thin frame, the
// title painted at the top (white at (12,12), then black at (11,11)), an optional grey frame,
// Enter moving to the next control, the key click, flat fields when the user chose them, and
// input fields that turn from the button face to the window colour while they have the focus.
#pragma once

#include "common/ui/window_services.h"

#include <QDialog>

class QPushButton;

namespace vz::ui {

// The user's two look settings, read each time they apply: the personal information dialog
// changes them while other dialogs are open.
struct DialogLook
{
    const bool &flatFields; // fields and lists without a border
    const bool &keyClick;   // a click on every key
};

class VezoDialog : public QDialog
{
    Q_OBJECT
public:
    VezoDialog(DialogLook look, UiServices &services, QWidget *parent = nullptr);
    ~VezoDialog() override;

    QString title() const { return m_title; }
    void setTitle(const QString &title);
    void setGreyFrame(bool on);

protected:
    // Installs the key handling and the field look on every child; call after the controls
    // exist (the base does it again on show for controls made later).
    void adoptChildren();
    void applyFieldLook();

    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

    UiServices &m_services;

private:
    bool handleKey(QKeyEvent *event);
    DialogLook m_look;
    QString m_title;
    bool m_greyFrame = false;
};

// A dialog's command button. It never acts as the default button: Enter moves between controls.
QPushButton *makeDialogButton(QWidget *parent, const QString &name, const QString &caption,
                              const QRect &geometry, bool flat = true);
// The small dialogs' buttons are 56 x 22.
inline QRect smallButtonAt(int x, int y)
{
    return {x, y, 56, 22};
}

// Field colours: button face without the focus, window colour with it.
void setFieldFocusLook(QWidget *field, bool focused);

} // namespace vz::ui
