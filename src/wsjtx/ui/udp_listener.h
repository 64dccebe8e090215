// SPDX-License-Identifier: GPL-3.0-or-later
// The UDP socket around the listener: a unicast port bound for this program alone (so that
// a port another program holds is noticed), or a multicast group joined on an interface.
// Every datagram is sent on unchanged to the forwarding addresses, heartbeats are answered,
// and at most a fixed number of datagrams is handled per turn of the event loop, so a flood
// never holds up the window.
#pragma once

#include "wsjtx/listener_core.h"
#include "wsjtx/listener_settings.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>

#include <vector>

class QTimer;
class QUdpSocket;

namespace vz::ui {

class UdpListener : public QObject
{
    Q_OBJECT
public:
    static constexpr int kDatagramsPerTurn = 50;

    UdpListener(wsjtx::ListenerSettings settings, QString version, QObject *parent = nullptr);
    ~UdpListener() override;

    // Binds or joins; false with the reason (UTF-8 in `error`) when it cannot.
    bool start(QString &error);
    // Closes the socket; what is held for pairing comes out as contacts first.
    void stop();
    bool listening() const;
    quint16 localPort() const;

    const wsjtx::ListenerSettings &settings() const { return m_settings; }
    const wsjtx::ListenerCore &core() const { return m_core; }
    std::uint64_t handled() const { return m_handled; }
    void note(std::string line)
    {
        m_core.note(std::move(line));
        Q_EMIT logChanged();
    }

Q_SIGNALS:
    void contactReady(const wsjtx::ReadyContact &contact);
    void statusReceived(const wsjtx::Status &status);
    void logChanged();

private:
    void readPending();
    void expireHeld();
    void handle(const QByteArray &datagram, const QHostAddress &from, quint16 fromPort);
    void scheduleExpiry();
    void emitContacts(std::vector<wsjtx::ReadyContact> contacts);

    wsjtx::ListenerSettings m_settings;
    wsjtx::ListenerCore m_core;
    QUdpSocket *m_socket = nullptr;
    QUdpSocket *m_forwarder = nullptr;
    QTimer *m_expiry = nullptr;
    QElapsedTimer m_clock;
    std::vector<std::pair<QHostAddress, quint16>> m_forwardTo;
    std::uint64_t m_handled = 0;
};

} // namespace vz::ui
