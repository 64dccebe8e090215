// SPDX-License-Identifier: GPL-3.0-or-later
#include "lotw/ui/report_download.h"

#include "app/user_settings.h"
#include "common/progress.h"
#include "common/ui/message_service.h"
#include "common/ui/qt_text.h"
#include "lotw/confirmation_matching.h"
#include "lotw/lotw_report.h"
#include "lotw/mark_use.h"
#include "lotw/report_settings.h"
#include "lotw/ui/secret_store.h"

#include <QEventLoop>
#include <QInputDialog>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressDialog>
#include <QUrl>

#include <algorithm>

namespace vz::ui {

namespace {

QString text(const std::string &utf8)
{
    return QString::fromStdString(utf8);
}

// The progress box during the matching: the log pass cannot stop half way, so no 中止.
class DialogProgress final : public ProgressSink
{
public:
    explicit DialogProgress(QProgressDialog &box) : m_box(box) {}
    void begin(std::int64_t maximum) override
    {
        m_scale = std::max<std::int64_t>(1, maximum / 100000);
        m_box.setRange(0, static_cast<int>(maximum / m_scale));
        m_box.setValue(0);
    }
    void advance(std::int64_t position) override
    {
        m_box.setValue(static_cast<int>(position / m_scale));
    }
    void end() override {}

private:
    QProgressDialog &m_box;
    std::int64_t m_scale = 1;
};

QString fetchProblem(const ReportFetch &fetch)
{
    switch (fetch.outcome) {
    case ReportFetch::Received:
        break;
    case ReportFetch::Cancelled:
        return QStringLiteral("LoTW からの取得を中止しました。ログは変えていません。");
    case ReportFetch::TimedOut:
        return QStringLiteral("LoTW から返事がないまま時間切れになりました。ログは変えていません。"
                              "しばらくしてからもう一度取得してください。");
    case ReportFetch::HttpError:
        return QStringLiteral("LoTW が要求を受け付けませんでした (HTTP %1)。ログは変えていません。")
            .arg(fetch.httpStatus);
    case ReportFetch::NetworkError:
        return QStringLiteral("LoTW に接続できませんでした (%1)。ログは変えていません。")
            .arg(fetch.error);
    }
    return {};
}

} // namespace

ReportFetch fetchReport(const QString &url, std::chrono::milliseconds silence, QWidget *parent)
{
    ReportFetch fetch;
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl::fromEncoded(url.toLatin1(), QUrl::StrictMode));
    request.setTransferTimeout(static_cast<int>(silence.count()));
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("VEZODovi"));

    QProgressDialog box(QStringLiteral("LoTW に確認を問い合わせています…"), QStringLiteral("中止"),
                        0, 0, parent);
    box.setObjectName(QStringLiteral("lotwDownloadProgress"));
    box.setWindowModality(Qt::WindowModal);
    box.setMinimumDuration(0);
    box.setAutoReset(false);
    box.setAutoClose(false);

    QNetworkReply *reply = manager.get(request);
    bool cancelled = false;
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(
        reply, &QNetworkReply::downloadProgress, &box, [&box](qint64 received, qint64) {
            box.setLabelText(QStringLiteral("LoTW から受信しています… %1 KB").arg(received / 1024));
        });
    // Closing the box emits canceled too: the connection ends with the wait.
    const QMetaObject::Connection stop =
        QObject::connect(&box, &QProgressDialog::canceled, reply, [&] {
            cancelled = true;
            reply->abort(); // finished follows
        });
    if (!reply->isFinished())
        loop.exec();
    QObject::disconnect(stop);
    box.close();

    fetch.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->isOpen())
        fetch.body = reply->readAll();
    if (cancelled)
        fetch.outcome = ReportFetch::Cancelled;
    else if (reply->error() == QNetworkReply::OperationCanceledError ||
             reply->error() == QNetworkReply::TimeoutError)
        fetch.outcome = ReportFetch::TimedOut; // the transfer timeout aborts the reply
    else if (fetch.httpStatus != 0 && fetch.httpStatus != 200)
        fetch.outcome = ReportFetch::HttpError;
    else if (reply->error() != QNetworkReply::NoError)
        fetch.error = reply->errorString();
    else
        fetch.outcome = ReportFetch::Received;
    reply->deleteLater();
    return fetch;
}

std::optional<QString> askLotwPassword(QWidget *parent, const QString &user)
{
    bool ok = false;
    const QString password =
        QInputDialog::getText(parent, QStringLiteral("LoTWから確認を取得"),
                              QStringLiteral("LoTW のユーザ %1 のパスワード:").arg(user),
                              QLineEdit::Password, QString(), &ok);
    if (!ok || password.isEmpty())
        return std::nullopt;
    return password;
}

void downloadFromLotw(app::AppState &state, MessageService &messages, SecretStore &store,
                      const PasswordAsker &askPassword, QWidget *parent,
                      std::chrono::milliseconds silence)
{
    // An open edit dialog or list holds records as they are now; the marks change them.
    const app::DialogModes &modes = state.dialogModes;
    if (modes.log || modes.list || modes.post || modes.prin) {
        messages.notice(QStringLiteral("開いている画面を閉じてから実行してください"));
        return;
    }
    const lotw::ReportSettings settings = lotw::readReportSettings(state.settingsPath);
    if (settings.user.empty()) {
        messages.error(QStringLiteral("個人情報の「LoTW」で LoTW のユーザ名を入れてください。"));
        return;
    }
    if (!lotw::isSafeReportAddress(settings.address)) {
        messages.error(QStringLiteral("LoTW のアドレス %1 は https ではないので、パスワードを"
                                      "送れません。個人情報の「LoTW」で直してください。")
                           .arg(fromSjis(settings.address)));
        return;
    }
    // A mark used for the first time may be in the log already, typed for something else.
    for (const lotw::MarkInUse &use : lotw::unusedMarksHeld(state.logPath, state.settings))
        if (!messages.confirm(
                text(lotw::markInUseText(use)) +
                QStringLiteral("。\n個人情報のカード項目情報でマークを変えられます。続けますか？")))
            return;

    const QString user = fromSjis(settings.user);
    QString password;
    const SecretResult stored = store.read(user, password);
    const bool fromStore = stored == SecretResult::Ok;
    if (!fromStore) {
        const std::optional<QString> typed = askPassword(user);
        if (!typed)
            return;
        password = *typed;
    }
    const std::string url = lotw::reportRequestAddress(settings.address, settings.user,
                                                       password.toStdString(), settings.since);
    const ReportFetch fetch = fetchReport(text(url), silence, parent);
    if (fetch.outcome != ReportFetch::Received) {
        if (fetch.outcome == ReportFetch::Cancelled)
            messages.notice(fetchProblem(fetch));
        else
            messages.error(fetchProblem(fetch));
        return;
    }
    const std::string body = fetch.body.toStdString();
    const lotw::ReportKind kind = lotw::reportKind(body);
    if (kind != lotw::ReportKind::Report) {
        QString shown = text(lotw::reportKindMessage(kind));
        // A kept password LoTW refuses would be sent again and again: forget it, ask next time.
        if (kind == lotw::ReportKind::WrongPassword && fromStore &&
            store.remove(user) == SecretResult::Ok)
            shown += QStringLiteral("\n保存していたパスワードは消しました。次回入力してください。");
        messages.error(shown);
        return;
    }
    QString kept;
    if (stored == SecretResult::NotFound) {
        kept = store.write(user, password) == SecretResult::Ok
                   ? QStringLiteral("\nパスワードはデスクトップのキーリングに保存しました。")
                   : QStringLiteral("\nパスワードは保存できませんでした (次回も尋ねます)。");
    }

    const std::string next = lotw::nextSinceDate(body, settings.since);
    const QString since = settings.since.empty()
                              ? QStringLiteral("これまでのすべて")
                              : fromSjis(settings.since) + QStringLiteral(" 以降");
    if (lotw::reportRecordCount(body) == 0) {
        if (!lotw::writeReportSince(state.settingsPath, next))
            messages.error(QStringLiteral("取得日を設定ファイルに書けませんでした。"));
        else
            messages.notice(QStringLiteral("LoTW に新しい確認はありません (%1)。").arg(since) +
                            kept);
        return;
    }

    state.prefixTable.refreshIfChanged();
    lotw::ConfirmOptions options;
    options.ownCallsign = state.currentCall;
    options.lotwMark = state.settings.lotwMark;
    options.eqslMark = state.settings.eqslMark;
    QProgressDialog box(QStringLiteral("確認をログの交信に付けています…"), QString(), 0, 0, parent);
    box.setObjectName(QStringLiteral("lotwApplyProgress"));
    box.setWindowModality(Qt::WindowModal);
    box.setMinimumDuration(0);
    DialogProgress progress(box);
    const lotw::ConfirmSummary summary =
        lotw::applyConfirmationText(body, state.logPath, state.prefixTable, options, progress);
    box.close();
    const QString result = text(lotw::summaryText(summary, false)).trimmed();
    if (summary.result != lotw::ConfirmResult::Ok) {
        messages.error(QStringLiteral("LoTW の確認 (%1) を付けられませんでした。\n").arg(since) +
                       result);
        return;
    }
    if (app::keepElectronicMarks(state.settingsPath, state.settings, summary.lotwConfirmed > 0,
                                 summary.eqslConfirmed > 0)) {
        state.settings.lotwMarkInFile |= summary.lotwConfirmed > 0;
        state.settings.eqslMarkInFile |= summary.eqslConfirmed > 0;
    }
    QString shown = QStringLiteral("LoTW の確認 (%1) を付けました。\n").arg(since) + result + kept;
    if (!lotw::writeReportSince(state.settingsPath, next))
        shown += QStringLiteral("\n次回の取得日を設定ファイルに書けませんでした "
                                "(次回は同じ確認をもう一度取得します)。");
    messages.notice(shown);
}

} // namespace vz::ui
