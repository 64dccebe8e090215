// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's ADIF commands on the file tab: the own log written as an ADIF file, and an
// ADIF file's contacts appended to the own log once the operator has seen what the file gives,
// each with its progress in the hint bar and its summary in a notice box.
#include "app/ui/main_window.h"

#include "adif/adif_exchange.h"
#include "adif/adif_import.h"
#include "adif/import_report.h"
#include "app/ui/record_range_dialog.h"
#include "common/ui/hint_bar.h"
#include "lotw/mark_use.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace vz::ui {

namespace {

const QString kAdx = QStringLiteral("ADX (*.adx)");
const QString kAdiShiftJis = QStringLiteral("ADI Shift_JIS (*.adi)");
const QString kAdiUtf8 = QStringLiteral("ADI UTF-8 (*.adi)");
const QString kAdiAscii = QStringLiteral("ADI ASCII (*.adi)");

QString summaryBox(const std::string &utf8Summary)
{
    return QString::fromStdString(utf8Summary).trimmed();
}

} // namespace

std::optional<AdifFileChoice> MainWindow::chooseAdifFile(bool forExport)
{
    if (m_adifFileChooser)
        return m_adifFileChooser(forExport);
    AdifFileChoice choice;
    QString filter;
    if (forExport) {
        const QString suggested =
            QDir::home().filePath(QString::fromStdString(m_state.currentCall) + ".adx");
        choice.path = QFileDialog::getSaveFileName(
            this, QStringLiteral("ADIF出力"), suggested,
            QStringList{kAdx, kAdiShiftJis, kAdiUtf8, kAdiAscii}.join(QStringLiteral(";;")),
            &filter);
        if (choice.path.isEmpty())
            return std::nullopt;
        // The chosen type decides the file's form when its name does not.
        const bool adi = filter != kAdx;
        if (!choice.path.endsWith(QStringLiteral(".adx"), Qt::CaseInsensitive) &&
            !choice.path.endsWith(QStringLiteral(".adi"), Qt::CaseInsensitive))
            choice.path += adi ? QStringLiteral(".adi") : QStringLiteral(".adx");
        choice.charset = filter == kAdiUtf8    ? adif::Charset::Utf8
                         : filter == kAdiAscii ? adif::Charset::Ascii
                                               : adif::Charset::ShiftJis;
        const std::int32_t last = m_state.nextRecordNo - 1;
        if (last > 1) {
            RecordRangeDialog range(m_state, m_services, last, this);
            placeDialog(&range, Placement::Left300);
            if (range.exec() != QDialog::Accepted)
                return std::nullopt;
            choice.from = range.from();
            choice.to = range.to();
        }
        return choice;
    }
    choice.path = QFileDialog::getOpenFileName(
        this, QStringLiteral("ADIF取込"), QDir::homePath(),
        QStringLiteral("ADIF (*.adi *.adx *.ADI *.ADX);;すべてのファイル (*)"));
    if (choice.path.isEmpty())
        return std::nullopt;
    return choice;
}

void MainWindow::exportAdifCommand()
{
    const std::optional<AdifFileChoice> choice = chooseAdifFile(true);
    if (!choice)
        return;
    const std::string path = choice->path.toStdString();
    adif::ExportOptions options =
        app::adifExportOptions(m_state.settings, m_state.currentCall, m_state.clock->now(),
                               adif::formatForPath(path), choice->charset);
    options.from = choice->from;
    options.to = choice->to;
    // As the import and the contact dialog: PreFix.CFG as it is now.
    m_state.prefixTable.refreshIfChanged();
    adif::ExportSummary summary;
    summary.result = adif::checkExportOutput(m_state.logPath, path);
    if (summary.result == adif::ExportResult::Ok)
        summary = adif::exportAdif(m_state.logPath, path, m_state.prefixTable, options,
                                   m_hintBar->progress());
    switch (summary.result) {
    case adif::ExportResult::LogUnreadable:
        m_services.messages.error(QStringLiteral("ログファイルを読めませんでした。\n%1")
                                      .arg(QString::fromStdString(m_state.logPath)));
        return;
    case adif::ExportResult::WriteFailed:
        m_services.messages.writeFailed(choice->path);
        return;
    case adif::ExportResult::OutputInDataFolder:
    case adif::ExportResult::OutputNotRegular:
        m_services.messages.error(choice->path + QStringLiteral("\n") +
                                  summaryBox(adif::summaryText(summary)));
        return;
    case adif::ExportResult::Ok:
        break;
    }
    m_services.messages.notice(choice->path + QStringLiteral(" に書き出しました。\n") +
                               summaryBox(adif::summaryText(summary)));
}

void MainWindow::importAdifCommand()
{
    // The edit dialog, the search results and card printing hold record numbers and the area
    // index of the log as it is now.
    const app::DialogModes &modes = m_state.dialogModes;
    if (modes.log || modes.list || modes.post || modes.prin) {
        m_services.messages.notice(QStringLiteral("開いている画面を閉じてから実行してください"));
        return;
    }
    const std::optional<AdifFileChoice> choice = chooseAdifFile(false);
    if (!choice)
        return;
    m_state.prefixTable.refreshIfChanged();
    const std::string path = choice->path.toStdString();
    // Contacts once appended are only taken out one by one: the operator sees what the file
    // gives before anything is written.
    adif::ImportOptions options = app::adifImportOptions(m_state.settings, m_state.currentCall);
    adif::ImportOptions preview = options;
    preview.dryRun = true;
    const adif::ImportSummary planned =
        adif::importAdif(path, m_state.logPath, m_state.nextRecordNo, m_state.prefixTable, preview,
                         m_hintBar->progress());
    const QString plan = summaryBox(adif::summaryText(planned, true));
    if (planned.result != adif::ImportResult::Ok) {
        m_services.messages.error(choice->path + QStringLiteral("\n") + plan);
        return;
    }
    if (planned.imported == 0) {
        if (m_services.messages.noticeOfferingSave(
                choice->path + QStringLiteral(" に取り込む交信はありません。\n") + plan))
            saveImportReport(choice->path, planned, true);
        return;
    }
    // A LoTW or eQSL mark used for the first time may be in the log already.
    QString heldNote;
    if (planned.lotwMarked + planned.eqslMarked > 0)
        for (const lotw::MarkInUse &use : lotw::unusedMarksHeld(m_state.logPath, m_state.settings))
            if ((use.service == "LoTW" ? planned.lotwMarked : planned.eqslMarked) > 0)
                heldNote += QStringLiteral("注意: ") +
                            QString::fromStdString(lotw::markInUseText(use)) + QStringLiteral("\n");
    if (!m_services.messages.confirm(
            choice->path +
            QStringLiteral(" から %1 件をログに取り込みますか？\n").arg(planned.imported) +
            heldNote + plan))
        return;
    const adif::ImportSummary summary =
        adif::importAdif(path, m_state.logPath, m_state.nextRecordNo, m_state.prefixTable, options,
                         m_hintBar->progress());
    const QString text = summaryBox(adif::summaryText(summary, false));
    if (summary.result == adif::ImportResult::Ok && summary.imported > 0 &&
        app::keepElectronicMarks(m_state.settingsPath, m_state.settings, summary.lotwMarked > 0,
                                 summary.eqslMarked > 0)) {
        m_state.settings.lotwMarkInFile |= summary.lotwMarked > 0;
        m_state.settings.eqslMarkInFile |= summary.eqslMarked > 0;
    }
    if (summary.result != adif::ImportResult::Ok) {
        m_services.messages.error(choice->path + QStringLiteral("\n") + text);
        return;
    }
    // The contacts join the log as registered ones do: numbered on, listed under their area.
    if (!summary.logGrewElsewhere && log::fileIdentity(m_state.logPath) == m_state.logIdentity) {
        for (const int area : summary.areas) {
            m_state.ownIndex.append(area, m_state.nextRecordNo - 1);
            ++m_state.nextRecordNo;
        }
    } else {
        followLogChanges(); // with what other programs wrote meanwhile
    }
    if (m_services.messages.noticeOfferingSave(choice->path +
                                               QStringLiteral(" を取り込みました。\n") + text))
        saveImportReport(choice->path, summary, false);
}

void MainWindow::saveImportReport(const QString &adifPath, const adif::ImportSummary &summary,
                                  bool dryRun)
{
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("取込結果の保存"),
        QDir::home().filePath(QFileInfo(adifPath).completeBaseName() + QStringLiteral(".txt")),
        QStringLiteral("テキスト (*.txt)"));
    if (path.isEmpty())
        return;
    if (const auto problem =
            adif::saveImportReport(m_state.logPath, path.toStdString(), summary, dryRun))
        m_services.messages.error(summaryBox(*problem));
}

} // namespace vz::ui
