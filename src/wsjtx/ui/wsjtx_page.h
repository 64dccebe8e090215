// SPDX-License-Identifier: GPL-3.0-or-later
// The personal information's page "WSJT-X連携": the listener on or off, the UDP address and
// port (or a multicast group and the interface to join it on), the QSL-card box for logged
// contacts, the addresses every datagram is forwarded to, and the listener's log.
//
// The page keeps the WSJT-X section of the settings file: loaded when the personal
// information shows its settings, written with the others only when changed here.
#pragma once

#include "app/app_state.h"
#include "wsjtx/listener_settings.h"

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace vz::ui {

class WsjtxLink;

class WsjtxPage : public QWidget
{
    Q_OBJECT
public:
    explicit WsjtxPage(app::AppState &state, QWidget *parent = nullptr);

    void load();
    bool save();
    // Where the log lines come from.
    void setLink(WsjtxLink *link);

Q_SIGNALS:
    void edited();

private:
    void change();
    void showLog();

    app::AppState &m_state;
    wsjtx::ListenerSettings m_settings;
    bool m_dirty = false;
    bool m_showing = false;
    QCheckBox *m_enabledCheck = nullptr;
    QLineEdit *m_addressEdit = nullptr;
    QLineEdit *m_portEdit = nullptr;
    QLineEdit *m_interfaceEdit = nullptr;
    QCheckBox *m_qslCardCheck = nullptr;
    QLineEdit *m_forwardEdit = nullptr;
    QPlainTextEdit *m_logView = nullptr;
    QPointer<WsjtxLink> m_link;
};

} // namespace vz::ui
