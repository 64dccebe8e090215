// SPDX-License-Identifier: GPL-3.0-or-later
#include "lotw/ui/tqsl_upload_run.h"

#include "adif/adif_exchange.h"
#include "common/ui/message_service.h"
#include "lotw/tqsl_settings.h"
#include "lotw/tqsl_upload.h"

#include <QEventLoop>
#include <QProcess>
#include <QProgressDialog>
#include <QTimer>

namespace vz::ui {

namespace {

QString text(const std::string &utf8)
{
    return QString::fromStdString(utf8);
}

QString batchLines(const lotw::UploadBatch &batch)
{
    QString lines;
    for (const auto &[record, reason] : batch.notSendable)
        lines += QStringLiteral("\n送れない交信 No.%1: %2").arg(record).arg(text(reason));
    return lines;
}

} // namespace

lotw::TqslRun QtTqslRunner::run(const std::vector<std::string> &argv, std::chrono::seconds limit)
{
    lotw::TqslRun result;
    const std::string program = argv.empty() ? std::string() : lotw::findProgram(argv[0]);
    if (program.empty()) {
        result.notFound = true;
        return result;
    }
    QProcess process;
    QStringList args;
    for (std::size_t i = 1; i < argv.size(); ++i)
        args << text(argv[i]);
    QStringList env;
    for (const std::string &e : lotw::tqslEnvironment())
        env << text(e);
    process.setEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());

    QProgressDialog busy(QStringLiteral("TQSL で署名・送信しています…"), QString(), 0, 0, m_parent);
    busy.setObjectName(QStringLiteral("tqslBusy"));
    busy.setWindowModality(Qt::WindowModal);
    busy.setMinimumDuration(0);
    process.start(text(program), args);
    if (!process.waitForStarted())
        return result;
    result.started = true;
    QEventLoop loop;
    QTimer limitTimer;
    limitTimer.setSingleShot(true);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&limitTimer, &QTimer::timeout, &loop, [&] {
        result.timedOut = true;
        process.kill(); // finished follows
    });
    limitTimer.start(std::chrono::duration_cast<std::chrono::milliseconds>(limit));
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    busy.close();
    result.output = process.readAll().toStdString();
    if (process.exitStatus() == QProcess::NormalExit && !result.timedOut)
        result.exitStatus = process.exitCode();
    return result;
}

void uploadToLotw(app::AppState &state, MessageService &messages, lotw::TqslRunner &runner)
{
    const lotw::TqslSettings settings = lotw::readTqslSettings(state.settingsPath);
    if (settings.location.empty()) {
        messages.error(QStringLiteral("個人情報の「LoTW」で TQSL の局の所在地を選んでください。"));
        return;
    }
    if (lotw::findProgram(settings.program).empty()) {
        messages.error(text(lotw::outcomeMessage(lotw::TqslOutcome::NotInstalled, {})));
        return;
    }
    state.prefixTable.refreshIfChanged();
    const adif::ExportOptions options =
        app::adifExportOptions(state.settings, state.currentCall, state.clock->now(),
                               adif::Format::Adi, adif::Charset::Ascii);
    lotw::UploadRequest request;
    request.logPath = state.logPath;
    request.sentPath = lotw::sentListPath(state.logPath);
    request.command.program = settings.program;
    request.command.location = settings.location;

    lotw::UploadBatch planned;
    const lotw::PrepareResult prepared = lotw::prepareBatch(
        request.logPath, request.sentPath, state.prefixTable, options, "", planned);
    if (prepared != lotw::PrepareResult::Ok) {
        messages.error(text(lotw::prepareMessage(prepared, request.logPath, request.sentPath)));
        return;
    }
    if (planned.keys.empty()) {
        messages.notice(QStringLiteral("新しく送る交信はありません (送信済み %1 件)。")
                            .arg(planned.alreadySent) +
                        batchLines(planned));
        return;
    }
    if (!messages.confirm(QStringLiteral("%1 件の交信を TQSL (局の所在地「%2」) で署名し、"
                                         "LoTW へ送信しますか？")
                              .arg(planned.keys.size())
                              .arg(text(settings.location)) +
                          batchLines(planned)))
        return;
    const lotw::UploadResult result =
        lotw::uploadUnsent(request, state.prefixTable, options, runner);
    if (result.prepared != lotw::PrepareResult::Ok) {
        messages.error(
            text(lotw::prepareMessage(result.prepared, request.logPath, request.sentPath)));
        return;
    }
    if (!result.ran) {
        messages.notice(QStringLiteral("新しく送る交信はありません。"));
        return;
    }
    QString shown = text(result.report.message);
    if (!result.report.tqslLines.empty())
        shown += QStringLiteral("\n\nTQSL:\n") + text(result.report.tqslLines).trimmed();
    if (result.report.marked)
        messages.notice(shown);
    else
        messages.error(shown);
}

} // namespace vz::ui
