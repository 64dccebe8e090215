// SPDX-License-Identifier: GPL-3.0-or-later
#include "wsjtx/ui/udp_listener.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QTimer>
#include <QUdpSocket>
#include <QVariant>

#include <algorithm>

namespace vz::ui {

namespace {

QHostAddress hostAddress(const std::string &host)
{
    const QString text = QString::fromStdString(host);
    if (text.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0)
        return QHostAddress(QHostAddress::LocalHost);
    return QHostAddress(text);
}

} // namespace

UdpListener::UdpListener(wsjtx::ListenerSettings settings, QString version, QObject *parent)
    : QObject(parent), m_settings(std::move(settings)), m_core(version.toStdString())
{
    m_clock.start();
    m_expiry = new QTimer(this);
    m_expiry->setSingleShot(true);
    connect(m_expiry, &QTimer::timeout, this, &UdpListener::expireHeld);
    for (const std::string &target : m_settings.forwardTo) {
        wsjtx::Endpoint e;
        // Names are not looked up: a lookup would hold the window up.
        if (wsjtx::parseEndpoint(target, e) && !hostAddress(e.host).isNull())
            m_forwardTo.emplace_back(hostAddress(e.host), static_cast<quint16>(e.port));
        else
            m_core.note("転送先を読めません: " + target);
    }
}

UdpListener::~UdpListener()
{
    stop();
}

bool UdpListener::start(QString &error)
{
    stop();
    m_socket = new QUdpSocket(this);
    const auto port = static_cast<quint16>(m_settings.port);
    bool ok = false;
    if (wsjtx::isMulticastGroup(m_settings.address)) {
        // Several programs share a group's port, each receiving every datagram.
        ok = m_socket->bind(QHostAddress(QHostAddress::AnyIPv4), port,
                            QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
        const QHostAddress group(QString::fromStdString(m_settings.address));
        if (ok) {
            const QNetworkInterface iface =
                m_settings.interfaceName.empty()
                    ? QNetworkInterface()
                    : QNetworkInterface::interfaceFromName(
                          QString::fromStdString(m_settings.interfaceName));
            ok = iface.isValid() ? m_socket->joinMulticastGroup(group, iface)
                                 : m_socket->joinMulticastGroup(group);
        }
    } else {
        const QHostAddress address = hostAddress(m_settings.address);
        ok = !address.isNull() && m_socket->bind(address, port, QUdpSocket::DontShareAddress);
    }
    if (!ok) {
        error = QStringLiteral("WSJT-X連携: %1:%2 で受信できません (%3)")
                    .arg(QString::fromStdString(m_settings.address))
                    .arg(m_settings.port)
                    .arg(m_socket->errorString());
        m_core.note(error.toStdString());
        delete m_socket;
        m_socket = nullptr;
        Q_EMIT logChanged();
        return false;
    }
    // Room for bursts: the kernel drops what its buffer cannot hold (capped by the system).
    m_socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(1 << 20));
    m_forwarder = new QUdpSocket(this);
    connect(m_socket, &QUdpSocket::readyRead, this, &UdpListener::readPending);
    m_core.note("受信開始 " + m_settings.address + ":" + std::to_string(m_settings.port));
    Q_EMIT logChanged();
    return true;
}

void UdpListener::stop()
{
    if (!m_socket)
        return;
    m_socket->close();
    delete m_socket;
    m_socket = nullptr;
    delete m_forwarder;
    m_forwarder = nullptr;
    m_expiry->stop();
    emitContacts(m_core.flush());
    m_core.note("受信停止");
    Q_EMIT logChanged();
}

bool UdpListener::listening() const
{
    return m_socket != nullptr;
}

quint16 UdpListener::localPort() const
{
    return m_socket ? m_socket->localPort() : 0;
}

void UdpListener::readPending()
{
    if (!m_socket)
        return;
    const std::uint64_t notedBefore = m_core.noted();
    constexpr auto kLimit = static_cast<qint64>(wsjtx::kMaxDatagramBytes);
    // The rest waits for the next turn of the event loop, after the window's own events: the
    // socket stays readable, so readyRead comes again. (Each readyRead must read a datagram, or
    // the socket never signals again: no other path reads.)
    for (int n = 0; n < kDatagramsPerTurn && m_socket && m_socket->hasPendingDatagrams(); ++n) {
        // A datagram over the limit is read one byte past it, enough for the decoder to refuse.
        const qint64 size = std::min(m_socket->pendingDatagramSize(), kLimit + 1);
        const QNetworkDatagram d = m_socket->receiveDatagram(std::max<qint64>(size, 0));
        handle(d.data(), d.senderAddress(), static_cast<quint16>(d.senderPort()));
    }
    if (m_core.noted() != notedBefore)
        Q_EMIT logChanged();
}

void UdpListener::handle(const QByteArray &datagram, const QHostAddress &from, quint16 fromPort)
{
    ++m_handled;
    for (const auto &[address, port] : m_forwardTo)
        m_forwarder->writeDatagram(datagram, address, port);
    wsjtx::ListenerCore::Outcome out = m_core.datagram(
        std::string_view(datagram.constData(), static_cast<std::size_t>(datagram.size())),
        m_clock.elapsed());
    if (out.reply && m_socket)
        m_socket->writeDatagram(QByteArray::fromStdString(*out.reply), from, fromPort);
    if (out.status)
        Q_EMIT statusReceived(*out.status);
    emitContacts(std::move(out.ready));
    scheduleExpiry();
}

void UdpListener::expireHeld()
{
    emitContacts(m_core.expire(m_clock.elapsed()));
    scheduleExpiry();
}

void UdpListener::scheduleExpiry()
{
    if (const auto due = m_core.nextDue())
        m_expiry->start(static_cast<int>(std::max<std::int64_t>(0, *due - m_clock.elapsed())));
    else
        m_expiry->stop();
}

void UdpListener::emitContacts(std::vector<wsjtx::ReadyContact> contacts)
{
    for (const wsjtx::ReadyContact &c : contacts)
        Q_EMIT contactReady(c);
}

} // namespace vz::ui
