// SPDX-License-Identifier: GPL-3.0-or-later
// The contact edit dialog (TLogDlg): contacts are entered (mode 1), changed (2), deleted (3)
// and looked up by record number (4). It shows the 20 text fields and the QSL box of one
// record, ten fixed-string buttons, the record-number panel, the compass with the distance
// line, and the history lines. While a contact is typed in mode 1 it fills in what it can:
// call area, standard remark, history, date and times, city and JCC from the kana initial,
// distance and bearing, and finally it enables registering.
//
//   Edit1 ... Edit20    the record fields in tab order (Edit1 callsign, Edit2 portable area,
//                       Edit3 portable form, Edit4 date, Edit5 start time, Edit6/7 fixed city
//                       and JCC, Edit8/9 portable city and JCC, Edit10 name, Edit11 His RST,
//                       Edit12 My RST, Edit13 frequency, Edit14 mode, Edit15 power, Edit16 user
//                       mark, Edit17 remarks, Edit18 memo, Edit19 own portable place,
//                       Edit20 end time)
//   CheckBox1           "ＱＳＬカード"
//   FuncButton1..10     the fixed strings (F1..F10)
//   Panel1              record-number panel: Label22 caption, Edit21 number, SpeedButton3 read,
//                       SpeedButton1 "前へ", SpeedButton2 "次へ"
//   SpeedButton4 "入力消去"  SpeedButton5 "登　録"  SpeedButton6 "修　正"  SpeedButton7 "削　除"
//   SpeedButton8 "ヘルプ"    SpeedButton9 "終　了"
//   Label1 .. Label20   the fields' captions (the city and JCC pairs share Label6 and Label8)
//   Label21 "備考（標準）"   Label23 "RecordNo ;"  Label24 next record number
//   Label25 standard remark
//   Label26 distance line Image1 compass   Label27 own-log history   Label28 reference callsign
//   Label29 reference-log history
#pragma once

#include "common/ui/vezo_dialog.h"
#include "log/qso_record.h"

#include <QImage>
#include <QLineEdit>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QToolButton;

namespace vz::log {
class CallsignCache;
}

namespace vz::ui {

class TQthDlg;

// A record field: leaving it for another control of the dialog reports `exited` (the window
// losing the focus to a message box or another window does not, nor does a field that the
// focus passed over without entering it, when a rule sent the focus further), and entering it
// puts the caret at the end of its text. It is `changed` once the operator edits it, until the
// dialog acts on the change or sets its text.
class LogField : public QLineEdit
{
    Q_OBJECT
public:
    explicit LogField(QWidget *parent);

    bool changed() const { return m_changed; }
    void setChanged(bool changed) { m_changed = changed; }
    // Empties the field as the dialog does (not a change by the operator).
    void clearText()
    {
        clear();
        m_changed = false;
    }

Q_SIGNALS:
    void exited(Qt::FocusReason reason);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool m_entered = false;
    bool m_changed = false;
};

class TLogDlg : public VezoDialog
{
    Q_OBJECT
public:
    enum Mode { Input = 1, Modify = 2, Delete = 3, RecordSearch = 4 };

    TLogDlg(app::AppState &state, UiServices &services, int mode, QWidget *parent = nullptr);
    ~TLogDlg() override; // the callsign caches are complete only in the .cpp

    int mode() const { return m_mode; }
    // The help page of each mode: 14 input, 15 modify, 16 delete, 17 record search.
    int helpContext() const { return 13 + m_mode; }
    // "ヘルプ" opens the help at helpContext() through this, once help exists.
    void setHelpOpener(std::function<void(int)> open) { m_openHelp = std::move(open); }

    // The personal information was reloaded: fixed strings and own portable place (modes 1, 2).
    void refreshFromSettings();

    // The city lookup this dialog shows over itself (created when first needed).
    TQthDlg *qthDialog();

    void done(int result) override;

Q_SIGNALS:
    // A record was marked deleted: the log now holds deleted records.
    void recordDeleted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Building.
    void buildFields();
    void buildFixedStringButtons();
    void buildPanelAndButtons();
    void buildDisplays();
    void wireHandlers();

    void FormShow(); // per mode: title, buttons, focus; mode 3 takes the delete backup

    // Entry assistance (mode 1).
    void Edit1Change();                     // callsign emptied: start afresh
    void Edit1Exit();                       // area, standard remark, history
    void Edit2Change();                     // portable area emptied
    void Edit2Exit();                       // portable area typed: its area
    void Edit3Exit(Qt::FocusReason reason); // automatic date and time, jump to the city
    void Edit4Exit();                       // date
    void Edit5Exit(Qt::FocusReason reason); // start time
    void CityExit(int field);               // Edit6 / Edit8: kana initial, city lookup
    void CityChange(int field);             // Edit6..Edit9 emptied: all four cleared
    void Edit20Exit();                      // end time: registering becomes possible
    void Edit20Change();                    // end time emptied: not any more

    // Record-number panel (modes 2 to 4).
    void Edit21Change();      // the read button follows the number field
    void SpeedButton3Click(); // read the record of the number
    void SpeedButton1Click(); // 前へ
    void SpeedButton2Click(); // 次へ

    // Actions.
    void SpeedButton4Click();        // 入力消去
    void SpeedButton5Click();        // 登　録
    void SpeedButton6Click();        // 修　正
    void SpeedButton7Click();        // 削　除
    void SpeedButton8Click();        // ヘルプ
    void SpeedButton9Click();        // 終　了
    void FuncButtonClick(int index); // fixed string into the focused field

    bool handleDialogKey(QKeyEvent *event);
    void applyFixedString(int index);
    void setFieldSjis(int field, std::string_view sjis);
    std::string fieldSjis(int field) const;
    log::FieldTexts fieldTexts() const;
    void clearFieldsRemarkAndQsl();
    void clearContact();
    void clearCompass();
    void showStandardRemark(int area);
    void showRecord(std::int32_t n);
    void gotoRecord(std::int32_t n);
    // The number in the panel when it names a record (1 .. NextRecordNo - 1); otherwise the
    // operator is told "範囲外のナンバーです" and nothing is read or written.
    std::optional<std::int32_t> numberInRange();
    // Writes the fields as record n; false (and the write failure shown) when it could not be.
    bool rewriteShownRecord(std::int32_t n);
    void runHistory();
    log::CallsignCache &calls(std::unique_ptr<log::CallsignCache> &cache, const std::string &path);
    void showDistanceAndCompass();
    std::string clockDate() const;
    std::string clockTime() const;
    int callsignArea();
    LogField *field(int number) const { return m_fields[static_cast<std::size_t>(number - 1)]; }
    int fieldNumber(const QWidget *w) const;

    int m_mode;
    bool m_shownOnce = false;
    bool m_closing = false;
    std::function<void(int)> m_openHelp;
    std::array<LogField *, log::kTextFieldCount> m_fields{};
    std::array<QToolButton *, 10> m_funcButtons{};
    QButtonGroup *m_funcGroup = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QFrame *Panel1 = nullptr;
    QLabel *Label22 = nullptr;
    QLineEdit *Edit21 = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QToolButton *SpeedButton3 = nullptr;
    QToolButton *SpeedButton4 = nullptr;
    QToolButton *SpeedButton5 = nullptr;
    QToolButton *SpeedButton6 = nullptr;
    QToolButton *SpeedButton7 = nullptr;
    QToolButton *SpeedButton8 = nullptr;
    QToolButton *SpeedButton9 = nullptr;
    QLabel *Label23 = nullptr;
    QLabel *Label24 = nullptr;
    QLabel *Label25 = nullptr;
    QLabel *Label26 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label27 = nullptr;
    QLabel *Label28 = nullptr;
    QLabel *Label29 = nullptr;
    QImage m_compass;
    TQthDlg *m_qth = nullptr;
    // The callsigns of the own and the reference log, for a history lookup on every callsign.
    std::unique_ptr<log::CallsignCache> m_ownCalls;
    std::unique_ptr<log::CallsignCache> m_referenceCalls;
};

} // namespace vz::ui
