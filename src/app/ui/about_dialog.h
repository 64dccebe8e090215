// SPDX-License-Identifier: GPL-3.0-or-later
// The about box ("バージョン情報"): the program's name and version painted with a raised look,
// its icon, two links opened by the desktop (the issue tracker in the browser for mail to the
// developers, and the home page; a desktop without a browser gives the address to copy), and
// "OK". It is modeless, stays open beside the other
// windows, sits in the middle of the screen and is destroyed when closed.
#pragma once

#include "app/app_state.h"
#include "common/ui/window_services.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace vz::ui {

class AddressOpener;

class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    static const char *const kIssuesUrl;
    static const char *const kHomePageUrl;

    AboutDialog(app::AppState &state, UiServices &services, QWidget *parent = nullptr);

    // Opens the links; tests give it a command of their own.
    AddressOpener &addressOpener() { return *m_opener; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    app::AppState &m_state;
    UiServices &m_services;
    AddressOpener *m_opener = nullptr;
    QLabel *m_iconLabel = nullptr;
    QLabel *m_issuesLink = nullptr;
    QLabel *m_homePageLink = nullptr;
    QPushButton *m_okButton = nullptr;
};

} // namespace vz::ui
