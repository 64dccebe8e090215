// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/address_opener.h"

#include "common/ui/message_service.h"

#include <QProcess>

namespace vz::ui {

AddressOpener::AddressOpener(MessageService &messages, QObject *parent)
    : QObject(parent), m_messages(messages)
{
}

QString AddressOpener::failureText(const QUrl &url)
{
    return QStringLiteral("アドレスを開くプログラムが見つかりませんでした。\n"
                          "このアドレスをコピーして、ブラウザで開いてください。\n\n%1")
        .arg(url.toString());
}

void AddressOpener::open(const QUrl &url)
{
    if (m_command.isEmpty())
        return;
    // The handler runs without blocking the windows; its end is heard when it comes. A browser
    // it starts outlives it.
    auto *process = new QProcess(this);
    process->setProgram(m_command.first());
    process->setArguments(m_command.mid(1) << url.toString(QUrl::FullyEncoded));
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    // A program that cannot start gives no end of its own; one that starts always ends.
    connect(process, &QProcess::errorOccurred, this,
            [this, url, process](QProcess::ProcessError e) {
                if (e != QProcess::FailedToStart)
                    return;
                m_messages.notice(failureText(url));
                process->deleteLater();
            });
    connect(process, &QProcess::finished, this,
            [this, url, process](int exitCode, QProcess::ExitStatus status) {
                process->deleteLater();
                if (exitCode != 0 || status != QProcess::NormalExit)
                    m_messages.notice(failureText(url));
            });
    process->start();
}

} // namespace vz::ui
