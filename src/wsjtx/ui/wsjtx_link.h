// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's WSJT-X link: it runs the listener while the current user has it on,
// moves it to the next user's setting on a user switch, and registers each contact heard in
// the current user's log, numbering it on and listing it under its area as a typed one is.
// A contact that cannot be registered is named in one notice and kept beside the log.
#pragma once

#include "app/app_state.h"
#include "wsjtx/listener_settings.h"
#include "wsjtx/logged_contact.h"
#include "wsjtx/messages.h"

#include <QObject>
#include <QStringList>

namespace vz::ui {

class MessageService;
class UdpListener;

class WsjtxLink : public QObject
{
    Q_OBJECT
public:
    WsjtxLink(app::AppState &state, MessageService &messages, QObject *parent = nullptr);
    ~WsjtxLink() override;

    // Starts, restarts or stops the listener for the current user's settings.
    void follow();
    void stop();
    UdpListener *listener() const { return m_listener; }
    // The listener's log, newest last (the last hundred lines).
    QStringList logLines() const;

Q_SIGNALS:
    void contactRegistered(std::int32_t recordNo);
    void statusReceived(const wsjtx::Status &status);
    void logChanged();

private:
    void registerReady(const wsjtx::ReadyContact &contact);
    void tell(const QString &text);
    void showNextNotice();

    app::AppState &m_state;
    MessageService &m_messages;
    UdpListener *m_listener = nullptr;
    wsjtx::ListenerSettings m_settings;
    QStringList m_notices;
    bool m_otherCallTold = false;
};

} // namespace vz::ui
