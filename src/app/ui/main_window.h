// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: a low strip at the top of the screen with seven tab pages of commands, the
// title line with the current callsign, the calendar strip and the clocks. It runs start-up
// (prefix table, current user, settings, log, reference log), keeps the hint bar under itself
// or under the dialog that carries it, and closes in order: settings, Start.DAT, indexes.
#pragma once

#include "app/app_state.h"
#include "app/ui/dialog_placement.h"
#include "app/ui/main_commands.h"
#include "app/user_registry.h"
#include "calendar/month_strip.h"
#include "common/ui/window_services.h"

#include "adif/adif_export.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAbstractButton;
class QFileSystemWatcher;
class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;

namespace vz::adif {
struct ImportSummary;
}

namespace vz::ui {

class CalendarStrip;
class ClockPanel;
class CardDialog;
class HintRouter;
class HintBar;
class PersonalInfoDialog;
class TitleLine;
class WsjtxLink;

// The file an ADIF command works on, and for an export the text encoding of an ADI file.
struct AdifFileChoice
{
    QString path;
    adif::Charset charset = adif::Charset::ShiftJis;
    // The record numbers an export takes (the whole log unless narrowed).
    std::int32_t from = 1;
    std::int32_t to = std::numeric_limits<std::int32_t>::max();
};
// Asks for the file (a file dialog; tests answer directly); nullopt when cancelled.
using AdifFileChooser = std::function<std::optional<AdifFileChoice>(bool forExport)>;

class MainWindow : public QWidget
{
    Q_OBJECT
public:
    MainWindow(app::AppState &state, UiServices &services, const QString &workingDirectory,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    // The show handler's work: prefix table, current user (first-run registration when
    // there is none), paths, settings, log and reference log. False when start-up was
    // abandoned; the window then closes itself.
    bool startUp();

    // Sub-steps 5 to 9 of start-up, also run when the user changes.
    void openCurrentUser();

    HintBar *hintBar() const { return m_hintBar.get(); }
    // The personal information, created with the window and kept to the end.
    PersonalInfoDialog *personalInfo() const { return m_personalInfo; }
    // The WSJT-X listener of the current user.
    WsjtxLink *wsjtxLink() const { return m_wsjtxLink; }
    QAbstractButton *commandButton(Command id) const;
    void runCommand(Command id);

    // Places a dialog beside the main window (dialog_placement.h); it follows the main window
    // when that moves, as long as it is open.
    void placeDialog(QWidget *dialog, Placement placement);
    // A dialog that carries the hint bar has closed: the bar returns under the main window
    // when no other such dialog is open.
    void hintCarrierClosed();

    void setUserCommandsEnabled(bool enabled);
    void setCardCommandsEnabled(bool enabled);
    void updateReorganizeCommand();
    void showCurrentCall();
    // Brings the state and the open lists up to the log as another program left it.
    void followLogChanges();
    void setAdifFileChooser(AdifFileChooser chooser) { m_adifFileChooser = std::move(chooser); }

Q_SIGNALS:
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    // Command handlers, each group in the file named beside it.
    // main_window_users.cpp
    void newUserCommand();            // 新規登録
    void switchUserCommand(int mode); // 切り替え (1), 参照設定 (2)
    void blankCardCommand();          // ブランクカード
    void restoreLogCommand();         // ﾛｸﾞﾌｧｲﾙ復元
    void reorganizeLogCommand();      // ﾛｸﾞﾌｧｲﾙ整理
    // main_window_log.cpp, main_window_search.cpp
    void logDialogCommand(int mode); // 入力 (1), 修正 (2), 削除 (3), ﾚｺｰﾄﾞ検索 (4)
    void searchDialogCommand(int mode); // 項目別検索 (9), エリア別検索 (10)
    void awardsCommand();               // アワード
    void openContactForModify(std::int32_t recordNo);
    // main_window_adif.cpp
    void exportAdifCommand();   // ADIF出力
    void importAdifCommand();   // ADIF取込
    void lotwUploadCommand();   // LoTWへ送信
    void lotwDownloadCommand(); // LoTWから確認を取得 (main_window_lotw.cpp)
    std::optional<AdifFileChoice> chooseAdifFile(bool forExport);
    void saveImportReport(const QString &adifPath, const adif::ImportSummary &summary, bool dryRun);
    // main_window_confirm.cpp
    void importConfirmationsCommand(); // LoTW/eQSL確認の取込
    // main_window_calendar.cpp: the calendar and the clocks
    void buildCalendar();
    void drawClocks();
    void drawCalendar();
    void resetCalendarToToday();
    void moveCalendar(bool (*move)(calendar::CalendarDate &)); // 前年, 前月, 翌月, 翌年
    void backToTodayCommand();                                 // 元に復帰
    void dateBackClicked();                                    // 日付の復帰
    void dayCellClicked(int cell);
    void eventsCommand(); // 行事予定
    // main_window_places.cpp
    void personalInfoCommand(); // 個人情報
    void jccEditCommand();      // JCC編集
    void buildPersonalInfo();
    void buildWsjtxLink(); // main_window_wsjtx.cpp
    bool loadSpecialPrefixes();
    // main_window_cards.cpp
    void postcardCommand();               // はがき（白紙）
    void commercialCardCommand(int mode); // 市販横型 (2), 市販縦型 (3)
    void openCardDialog(CardDialog *dialog);
    void printBlankCards(int count); // the registration dialog's 印刷 in blank-card mode
    // main_window_help.cpp
    void helpContentsCommand(); // 目　　次
    void helpKeywordCommand();  // キ-ワ-ド
    void aboutCommand();        // バージョン情報

    void watchLog();        // the current user's log and the data folder
    void showLogFollowed(); // the open dialogs show the log as the state now knows it

    void buildCommands();
    void measurePrinter();
    void commandTabShown(int index);
    bool runFirstRegistration();
    // The message for a registration that did not simply append (true: go on as the user).
    bool reportRegistration(app::RegistryResult result);
    void tick(); // 500 ms: clocks, and the calendar back to today just after midnight
    QRect availableScreen() const;
    void moveDialog(QWidget *dialog, Placement placement);
    void restHintBar();

    app::AppState &m_state;
    UiServices &m_services;
    std::unique_ptr<HintBar> m_hintBar;
    std::unique_ptr<HintRouter> m_hintRouter;
    QTabWidget *m_commandTabs;
    QPushButton *m_exitButton;
    QPushButton *m_dateBackButton;
    TitleLine *m_titleLine;
    CalendarStrip *m_calendarStrip = nullptr;
    ClockPanel *m_clockPanel = nullptr;
    QTimer *m_clockTimer;
    calendar::CalendarDate m_calendarDate;
    bool m_eventReadFailed = false; // reported once until the file reads again
    std::map<Command, QAbstractButton *> m_commands;
    AdifFileChooser m_adifFileChooser;
    PersonalInfoDialog *m_personalInfo = nullptr;
    WsjtxLink *m_wsjtxLink = nullptr;
    std::vector<std::pair<QPointer<QWidget>, Placement>> m_placedDialogs; // in placing order
    bool m_shown = false;
    bool m_closing = false;
    QFileSystemWatcher *m_logWatcher = nullptr;
    QTimer *m_followTimer = nullptr;
};

} // namespace vz::ui
