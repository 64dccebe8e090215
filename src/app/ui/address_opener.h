// SPDX-License-Identifier: GPL-3.0-or-later
// Opens a web address with the desktop's handler (xdg-open) and watches how that ends. The
// desktop may have no browser: xdg-open then ends with an error, or is missing altogether,
// and the operator gets the address in a notice, to select, copy and open by hand.
#pragma once

#include <QObject>
#include <QStringList>
#include <QUrl>

namespace vz::ui {

class MessageService;

class AddressOpener : public QObject
{
    Q_OBJECT
public:
    explicit AddressOpener(MessageService &messages, QObject *parent = nullptr);

    // The program and its first arguments; the address is added last. xdg-open unless set.
    void setCommand(QStringList command) { m_command = std::move(command); }
    void open(const QUrl &url);

    static QString failureText(const QUrl &url);

private:
    MessageService &m_messages;
    QStringList m_command{QStringLiteral("xdg-open")};
};

} // namespace vz::ui
