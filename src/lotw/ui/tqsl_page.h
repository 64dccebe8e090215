// SPDX-License-Identifier: GPL-3.0-or-later
// The personal information's page "LoTW": TQSL's station location that uploads are signed with,
// chosen from TQSL's own list (~/.tqsl/station_data), and the tqsl program to run. For the
// download of confirmations: the LoTW user name and the address of the report service.
//
// The page keeps the [LoTW] section of the settings file: loaded when the personal information
// shows its settings, written with the others only when changed here.
#pragma once

#include "app/app_state.h"
#include "lotw/report_settings.h"
#include "lotw/tqsl_settings.h"

#include <QWidget>

class QComboBox;
class QLineEdit;

namespace vz::ui {

class TqslPage : public QWidget
{
    Q_OBJECT
public:
    explicit TqslPage(app::AppState &state, QWidget *parent = nullptr);

    void load();
    bool save();

Q_SIGNALS:
    void edited();

private:
    void change();

    app::AppState &m_state;
    lotw::TqslSettings m_settings;
    bool m_dirty = false;
    bool m_showing = false;
    QComboBox *m_locationCombo = nullptr;
    QLineEdit *m_programEdit = nullptr;
    lotw::ReportSettings m_report; // the download's account, as loaded
    QLineEdit *m_lotwUserEdit = nullptr;
    QLineEdit *m_reportAddressEdit = nullptr;
};

} // namespace vz::ui
