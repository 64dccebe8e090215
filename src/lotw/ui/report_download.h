// SPDX-License-Identifier: GPL-3.0-or-later
// "LoTWから確認を取得" in the window: LoTW's report of the confirmations received since the last
// download, fetched over HTTPS with the operator's LoTW user name and password while a progress
// box with 中止 shows, then laid on the contacts of the log. A failure changes nothing: neither
// the log nor the date the next download starts from.
#pragma once

#include "app/app_state.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

class QWidget;

namespace vz::ui {

class MessageService;
class SecretStore;

// What one GET of the report gave.
struct ReportFetch
{
    enum Outcome { Received, Cancelled, TimedOut, HttpError, NetworkError };
    Outcome outcome = NetworkError;
    int httpStatus = 0;
    QByteArray body;
    QString error; // Qt's text of a network error
};

// GETs `url`; gives up when nothing arrives for `silence` (LoTW can think for a minute before it
// answers). A progress box on `parent` shows the bytes received and offers 中止.
ReportFetch fetchReport(const QString &url, std::chrono::milliseconds silence, QWidget *parent);

// Asks the operator for the LoTW password of `user`; nullopt when cancelled.
using PasswordAsker = std::function<std::optional<QString>(const QString &user)>;
// The password box of the window.
std::optional<QString> askLotwPassword(QWidget *parent, const QString &user);

inline constexpr std::chrono::milliseconds kReportSilenceLimit{std::chrono::minutes(3)};

void downloadFromLotw(app::AppState &state, MessageService &messages, SecretStore &store,
                      const PasswordAsker &askPassword, QWidget *parent,
                      std::chrono::milliseconds silence = kReportSilenceLimit);

} // namespace vz::ui
