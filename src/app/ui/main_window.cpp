// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/main_window.h"

#include "app/session.h"
#include "app/start_file.h"
#include "app/ui/registration_dialog.h"
#include "app/ui/title_line.h"
#include "app/ui/user_switch_dialog.h"
#include "app/user_registry.h"
#include "calendar/ui/time_zone_notice.h"
#include "common/file_io.h"
#include "common/ui/hint_bar.h"
#include "common/ui/qt_text.h"
#include "log/ui/contact_dialog.h"
#include "log/ui/search_dialog.h"
#include "print/card_canvas.h"
#include "print/print_queue.h"
#include "print/ui/commercial_card_dialog.h"
#include "wsjtx/ui/wsjtx_link.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace vz::ui {

namespace {

constexpr int kClientWidth = 787;
constexpr int kClientHeight = 121;
constexpr int kCardTab = 2; // カード印刷

bool isCardCommand(Command id)
{
    return id == Command::Postcard || id == Command::CommercialHorizontal ||
           id == Command::CommercialVertical || id == Command::BlankCard;
}

} // namespace

MainWindow::MainWindow(app::AppState &state, UiServices &services, const QString &workingDirectory,
                       QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_state(state), m_services(services), m_hintBar(std::make_unique<HintBar>()),
      m_commandTabs(new QTabWidget(this)),
      m_exitButton(new QPushButton(QStringLiteral("終了"), this)),
      m_dateBackButton(new QPushButton(QStringLiteral("日付の復帰"), this)),
      m_titleLine(new TitleLine(this)), m_clockTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("ログ管理プログラム　VEZODovi"));
    setFixedSize(kClientWidth, kClientHeight);

    buildCommands();
    buildCalendar();

    m_hintRouter = std::make_unique<HintRouter>(*m_hintBar);
    qApp->installEventFilter(m_hintRouter.get());

    // Placement: top 20, centred horizontally.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move((screen->geometry().width() - (kClientWidth + 8)) / 2, 20);
    measurePrinter();
    app::initDataDir(m_state, workingDirectory.toStdString());
    restHintBar();
    buildPersonalInfo();
    buildWsjtxLink();

    connect(m_clockTimer, &QTimer::timeout, this, &MainWindow::tick);
    m_clockTimer->start(500);
    drawClocks();
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(m_hintRouter.get());
}

void MainWindow::buildCommands()
{
    m_commandTabs->setObjectName(QStringLiteral("commandTabs"));
    m_commandTabs->setGeometry(0, 0, 566, 48);
    m_commandTabs->setDocumentMode(true);
    connect(m_commandTabs, &QTabWidget::currentChanged, this, &MainWindow::commandTabShown);
    m_commandTabs->tabBar()->setStyleSheet(
        QStringLiteral("QTabBar::tab { height: 16px; padding: 0 5px; }"));
    std::vector<QHBoxLayout *> pages;
    for (const char *caption : tabCaptions()) {
        auto *page = new QWidget;
        auto *row = new QHBoxLayout(page);
        row->setContentsMargins(4, 2, 4, 2);
        row->setSpacing(2);
        m_commandTabs->addTab(page, QString::fromUtf8(caption));
        pages.push_back(row);
    }
    for (const CommandSpec &command : commandSpecs()) {
        auto *button = new QToolButton;
        button->setObjectName(QLatin1String(command.name));
        button->setText(QString::fromUtf8(command.caption));
        button->setAutoRaise(true);
        button->setMinimumWidth(72);
        setHint(button, QString::fromUtf8(command.hint));
        const Command id = command.id;
        connect(button, &QToolButton::clicked, this, [this, id] { runCommand(id); });
        pages[static_cast<std::size_t>(command.tab)]->addWidget(button);
        m_commands[id] = button;
    }
    for (QHBoxLayout *row : pages)
        row->addStretch();
    m_exitButton->setObjectName(QStringLiteral("exitButton"));
    m_exitButton->setGeometry(568, 2, 60, 20);
    m_exitButton->setFlat(true);
    setHint(m_exitButton, QStringLiteral("|プログラムの終了"));
    connect(m_exitButton, &QPushButton::clicked, this, &QWidget::close);
}

QAbstractButton *MainWindow::commandButton(Command id) const
{
    const auto it = m_commands.find(id);
    return it == m_commands.end() ? nullptr : it->second;
}

void MainWindow::runCommand(Command id)
{
    switch (id) {
    case Command::NewUser:
        newUserCommand();
        break;
    case Command::SwitchUser:
        switchUserCommand(UserSwitchDialog::SwitchUser);
        break;
    case Command::Reference:
        switchUserCommand(UserSwitchDialog::Reference);
        break;
    case Command::BlankCard:
        blankCardCommand();
        break;
    case Command::Postcard:
        postcardCommand();
        break;
    case Command::CommercialHorizontal:
        commercialCardCommand(CommercialCardDialog::Horizontal);
        break;
    case Command::CommercialVertical:
        commercialCardCommand(CommercialCardDialog::Vertical);
        break;
    case Command::RestoreLog:
        restoreLogCommand();
        break;
    case Command::ReorganizeLog:
        reorganizeLogCommand();
        break;
    case Command::LogInput:
        logDialogCommand(ContactDialog::Input);
        break;
    case Command::LogModify:
        logDialogCommand(ContactDialog::Modify);
        break;
    case Command::LogDelete:
        logDialogCommand(ContactDialog::Delete);
        break;
    case Command::LogSearch:
        logDialogCommand(ContactDialog::RecordSearch);
        break;
    case Command::ItemSearch:
        searchDialogCommand(SearchDialog::ItemSearch);
        break;
    case Command::AreaSearch:
        searchDialogCommand(SearchDialog::AreaSearch);
        break;
    case Command::Awards:
        awardsCommand();
        break;
    case Command::ExportAdif:
        exportAdifCommand();
        break;
    case Command::ImportAdif:
        importAdifCommand();
        break;
    case Command::ImportConfirmations:
        importConfirmationsCommand();
        break;
    case Command::LotwUpload:
        lotwUploadCommand();
        break;
    case Command::LotwDownload:
        lotwDownloadCommand();
        break;
    case Command::Events:
        eventsCommand();
        break;
    case Command::PrevYear:
        moveCalendar(&calendar::previousYear);
        break;
    case Command::PrevMonth:
        moveCalendar(&calendar::previousMonth);
        break;
    case Command::BackToToday:
        backToTodayCommand();
        break;
    case Command::NextMonth:
        moveCalendar(&calendar::nextMonth);
        break;
    case Command::NextYear:
        moveCalendar(&calendar::nextYear);
        break;
    case Command::PersonalInfo:
        personalInfoCommand();
        break;
    case Command::JccEdit:
        jccEditCommand();
        break;
    case Command::HelpContents:
        helpContentsCommand();
        break;
    case Command::HelpKeyword:
        helpKeywordCommand();
        break;
    case Command::About:
        aboutCommand();
        break;
    default:
        // The commands whose dialogs are not built yet do nothing.
        break;
    }
}

void MainWindow::measurePrinter()
{
    // The default destination's own default resolution, as the print system reports it.
    std::string why;
    const std::optional<print::PrintQueue> queue = print::findPrintQueue({}, why);
    m_state.printerAvailable = queue.has_value();
    if (!m_state.printerAvailable) {
        setCardCommandsEnabled(false);
        m_hintBar->showHint(QStringLiteral("プリンタが見つからないので、カード印刷のコマンドは"
                                           "使えません（通常使うプリンタを設定してください）"));
        return;
    }
    m_state.printerName = queue->name;
    m_state.printerDotsPerMmX = print::dotsPerMm(queue->dotsPerInchX);
    m_state.printerDotsPerMmY = print::dotsPerMm(queue->dotsPerInchY);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // Start-up continues once the window is on screen, as a show handler would.
    QTimer::singleShot(0, this, [this] {
        if (!startUp())
            close();
    });
}

void MainWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (!m_state.dialogModes.anyHintCarrierOpen())
        restHintBar();
    // Open dialogs follow in the order they were placed, so the bar ends under the latest
    // dialog that carries it and a dialog under the bar sees the bar's new place.
    std::erase_if(m_placedDialogs, [](const auto &placed) { return placed.first.isNull(); });
    for (const auto &[dialog, placement] : m_placedDialogs)
        if (dialog->isVisible() && placement != Placement::UnderHintBar)
            moveDialog(dialog, placement);
    for (const auto &[dialog, placement] : m_placedDialogs)
        if (dialog->isVisible() && placement == Placement::UnderHintBar)
            moveDialog(dialog, placement);
}

bool MainWindow::startUp()
{
    restHintBar();
    m_hintBar->show();
    if (!files::exists(m_state.prefixPath)) {
        m_services.messages.error(
            QStringLiteral("特例プリフィックスファイルがないのでプログラムを終了します。"));
        m_state.startAborted = true;
        return false;
    }
    loadSpecialPrefixes();
    if (const auto call = app::readStartFile(m_state.startPath)) {
        m_state.currentCall = *call;
    } else if (!runFirstRegistration()) {
        m_state.startAborted = true;
        return false;
    }
    openCurrentUser();
    // Said once: every JST time is the local time, so another zone logs every contact off.
    const QString zoneNotice = timeZoneNotice(calendar::takeClockSnapshot(*m_state.clock));
    if (!zoneNotice.isEmpty())
        m_hintBar->showHint(zoneNotice + QStringLiteral("　→ timedatectl set-timezone Asia/Tokyo"));
    return !m_state.startAborted;
}

bool MainWindow::runFirstRegistration()
{
    RegistrationDialog dialog(m_state, m_services, RegistrationDialog::FirstRun, this);
    placeDialog(&dialog, Placement::Left300);
    if (dialog.exec() != QDialog::Accepted || dialog.candidate().isEmpty())
        return false;
    m_state.currentCall = dialog.candidate().toStdString();
    return reportRegistration(app::registerUser(m_state.callSignPath, m_state.currentCall));
}

void MainWindow::openCurrentUser()
{
    showCurrentCall();
    app::buildUserPaths(m_state);
    if (!app::loadSettings(m_state))
        m_services.messages.error(QStringLiteral("設定ファイルを読めませんでした。\n%1")
                                      .arg(QString::fromStdString(m_state.settingsPath)));
    updateReorganizeCommand();

    const app::OpenOutcome opened = app::openLog(m_state, m_hintBar->progress());
    for (const std::string &path : opened.failedWrites)
        m_services.messages.writeFailed(QString::fromStdString(path));
    if (opened.result == app::OpenResult::NoMemory) {
        m_services.messages.error(
            QStringLiteral("メモリ不足で実行できません。プログラムを終了します。"));
        m_state.startAborted = true;
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    if (opened.result == app::OpenResult::ReadFailed)
        m_services.messages.error(QStringLiteral("ログファイルを読めませんでした。\n%1")
                                      .arg(QString::fromStdString(m_state.logPath)));
    if (m_state.referenceOn &&
        app::openReferenceLog(m_state, m_hintBar->progress()) == app::OpenResult::NoMemory)
        m_services.messages.notice(QStringLiteral("メモリが不足します。検索共有はできません。"));
    watchLog();
    // The day's events are the user's own.
    drawCalendar();
    m_wsjtxLink->follow();
}

void MainWindow::showCurrentCall()
{
    m_titleLine->setCallsign(QString::fromStdString(m_state.currentCall));
}

void MainWindow::updateReorganizeCommand()
{
    m_commands.at(Command::ReorganizeLog)->setEnabled(m_state.deletedFlag);
}

void MainWindow::setUserCommandsEnabled(bool enabled)
{
    for (Command id : {Command::NewUser, Command::SwitchUser, Command::Reference})
        m_commands.at(id)->setEnabled(enabled);
}

void MainWindow::setCardCommandsEnabled(bool enabled)
{
    // Without a printer the card commands stay off for the whole run.
    const bool on = enabled && m_state.printerAvailable;
    for (const auto &[id, button] : m_commands)
        if (isCardCommand(id))
            button->setEnabled(on);
}

QRect MainWindow::availableScreen() const
{
    if (const QScreen *here = screen())
        return here->availableGeometry();
    return QRect(QPoint(0, 0), QSize(1 << 14, 1 << 14));
}

void MainWindow::commandTabShown(int index)
{
    // A printer set up while the program runs brings the card commands back.
    if (index != kCardTab || m_state.printerAvailable)
        return;
    measurePrinter();
    if (m_state.printerAvailable) {
        setCardCommandsEnabled(!m_state.dialogModes.post && !m_state.dialogModes.prin);
        m_hintBar->showHint(QString());
    }
}

void MainWindow::placeDialog(QWidget *dialog, Placement placement)
{
    const auto known =
        std::find_if(m_placedDialogs.begin(), m_placedDialogs.end(),
                     [dialog](const auto &placed) { return placed.first == dialog; });
    if (known != m_placedDialogs.end())
        m_placedDialogs.erase(known);
    m_placedDialogs.emplace_back(dialog, placement);
    moveDialog(dialog, placement);
}

void MainWindow::moveDialog(QWidget *dialog, Placement placement)
{
    const QSize size = dialog->frameGeometry().size();
    if (placement == Placement::UnderHintBar) {
        dialog->move(
            placeUnderBar(m_hintBar->frameGeometry(), size, frameGeometry(), availableScreen()));
        return;
    }
    const DialogPlaces places = placeNearMain(
        frameGeometry(), size, m_hintBar->frameGeometry().size(), availableScreen(), placement);
    dialog->move(places.dialog);
    // A dialog at 300 leaves the bar under the dialog that carries it, if one is open.
    if (placement == Placement::CarriesHintBar || !m_state.dialogModes.anyHintCarrierOpen())
        m_hintBar->move(places.hintBar);
}

void MainWindow::restHintBar()
{
    m_hintBar->move(
        hintBarPlace(frameGeometry(), m_hintBar->frameGeometry().size(), availableScreen()));
}

void MainWindow::hintCarrierClosed()
{
    if (!m_state.dialogModes.anyHintCarrierOpen())
        restHintBar();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    m_closing = true;
    m_clockTimer->stop();
    m_wsjtxLink->stop(); // what it holds is registered before the log closes
    if (!m_state.startAborted && !m_state.currentCall.empty() && !app::saveSettings(m_state))
        m_services.messages.writeFailed(QString::fromStdString(m_state.settingsPath));
    if (!m_state.currentCall.empty() &&
        !app::writeStartFile(m_state.startPath, m_state.currentCall))
        m_services.messages.writeFailed(QString::fromStdString(m_state.startPath));
    app::releaseOwnIndex(m_state);
    if (m_state.referenceOn)
        app::releaseReferenceIndex(m_state);
    m_hintBar->hide();
    event->accept();
    Q_EMIT closed();
}

} // namespace vz::ui
