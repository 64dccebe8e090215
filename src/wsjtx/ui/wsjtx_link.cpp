// SPDX-License-Identifier: GPL-3.0-or-later
#include "wsjtx/ui/wsjtx_link.h"

#include "common/ui/message_service.h"
#include "common/version.h"
#include "wsjtx/contact_registration.h"
#include "wsjtx/ui/udp_listener.h"

#include <QCoreApplication>
#include <QStatusTipEvent>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

namespace vz::ui {

namespace {

std::string upper(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The sender's own callsign in the record, if it gives one.
std::string stationCallOf(const std::string &adif)
{
    const std::string upperText = upper(adif);
    const auto at = upperText.find("<STATION_CALLSIGN:");
    if (at == std::string::npos)
        return {};
    const auto close = upperText.find('>', at);
    if (close == std::string::npos)
        return {};
    const int length = std::atoi(upperText.c_str() + at + 18);
    if (length <= 0 || close + 1 + static_cast<std::size_t>(length) > upperText.size())
        return {};
    return upperText.substr(close + 1, static_cast<std::size_t>(length));
}

} // namespace

WsjtxLink::WsjtxLink(app::AppState &state, MessageService &messages, QObject *parent)
    : QObject(parent), m_state(state), m_messages(messages)
{
}

WsjtxLink::~WsjtxLink()
{
    stop();
}

void WsjtxLink::follow()
{
    const wsjtx::ListenerSettings settings =
        m_state.settingsPath.empty() ? wsjtx::ListenerSettings{}
                                     : wsjtx::readListenerSettings(m_state.settingsPath);
    if (m_listener && settings == m_settings && m_listener->listening())
        return;
    stop();
    m_settings = settings;
    m_otherCallTold = false;
    if (!settings.enabled)
        return;
    m_listener = new UdpListener(settings, QString::fromLatin1(programVersion()), this);
    connect(m_listener, &UdpListener::contactReady, this, &WsjtxLink::registerReady);
    connect(m_listener, &UdpListener::statusReceived, this, &WsjtxLink::statusReceived);
    connect(m_listener, &UdpListener::logChanged, this, &WsjtxLink::logChanged);
    QString error;
    if (!m_listener->start(error))
        tell(error + QStringLiteral("\n使用中のポートです。WSJT-X連携の設定を確かめてください。"));
}

void WsjtxLink::stop()
{
    if (!m_listener)
        return;
    m_listener->stop(); // what it holds is registered now
    delete m_listener;
    m_listener = nullptr;
    Q_EMIT logChanged();
}

QStringList WsjtxLink::logLines() const
{
    QStringList lines;
    if (m_listener)
        for (const std::string &line : m_listener->core().log())
            lines << QString::fromStdString(line);
    return lines;
}

void WsjtxLink::registerReady(const wsjtx::ReadyContact &ready)
{
    wsjtx::ReadyContact contact = ready;
    const QString call = QString::fromStdString(contact.callsign);
    const std::string station = stationCallOf(contact.adif);
    if (!station.empty() && station != upper(m_state.currentCall) && !m_otherCallTold) {
        m_otherCallTold = true;
        tell(
            QStringLiteral("WSJT-X の自局コールサイン %1 は現在のユーザ %2 と異なります。"
                           "交信は %2 のログに登録します。")
                .arg(QString::fromStdString(station), QString::fromStdString(m_state.currentCall)));
    }
    if (m_settings.qslCard) {
        const auto eor = contact.adif.rfind("<EOR>");
        if (eor != std::string::npos)
            contact.adif.insert(eor, "<QSL_SENT:1>R ");
    }
    m_state.prefixTable.refreshIfChanged();
    adif::ImportOptions options;
    options.confirmationMark = m_state.settings.confirmationMark;
    options.lotwMark = m_state.settings.lotwMark;
    options.eqslMark = m_state.settings.eqslMark;
    const wsjtx::RegistrationResult result =
        wsjtx::registerContact(contact, m_state.logPath, m_state.prefixTable, options);
    const QString line = QString::fromStdString(wsjtx::registrationLine(contact, result));
    if (result.outcome == wsjtx::Registration::Registered) {
        // Contacts another program appended meanwhile are read with the log's next opening.
        if (result.recordNo >= m_state.nextRecordNo) {
            m_state.ownIndex.append(result.area, result.recordNo);
            m_state.nextRecordNo = result.recordNo + 1;
        }
        if (QWidget *window = qobject_cast<QWidget *>(parent())) {
            QStatusTipEvent tip(QStringLiteral("WSJT-X: ") + line);
            QCoreApplication::sendEvent(window, &tip);
        }
        Q_EMIT contactRegistered(result.recordNo);
    } else if (result.outcome != wsjtx::Registration::Duplicate) {
        const std::string kept = wsjtx::unloggedPath(m_state.logPath, m_state.currentCall);
        const bool keptOk = wsjtx::keepUnlogged(kept, contact);
        tell(line + (keptOk ? QStringLiteral("\n交信は %1 に残しました。")
                            : QStringLiteral("\n%1 にも書けませんでした。"))
                        .arg(QString::fromStdString(kept)));
    }
    if (m_listener)
        m_listener->note(line.toStdString()); // the settings page shows the listener's log
}

void WsjtxLink::tell(const QString &text)
{
    // A message box waits for the operator: shown after the datagram's handling is done.
    m_notices << text;
    if (m_notices.size() == 1)
        QTimer::singleShot(0, this, &WsjtxLink::showNextNotice);
}

void WsjtxLink::showNextNotice()
{
    while (!m_notices.isEmpty()) {
        const QString text = m_notices.front();
        m_messages.notice(text);
        m_notices.pop_front();
    }
}

} // namespace vz::ui
