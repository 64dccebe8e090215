// SPDX-License-Identifier: GPL-3.0-or-later
// The contact dialog: contacts are entered (mode 1), changed (2), deleted (3) and looked up by
// record number (4). It shows the 20 text fields and the QSL box of one record, ten
// fixed-string buttons, the record-number panel, the compass with the distance line, and the
// history lines. While a contact is typed in mode 1 it fills in what it can: call area,
// standard remark, history, date and times, city and JCC from the kana initial, distance and
// bearing, and finally it enables registering.
#pragma once

#include "app/app_state.h"
#include "common/ui/vezo_dialog.h"
#include "log/qso_record.h"
#include "log/ui/city_lookup.h"

#include <QImage>
#include <QLineEdit>

#include <array>
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

class FixedStringButton;
class RigPoller;

// A record field: leaving it for another control of the dialog reports `exited` (the window
// losing the focus to a message box or another window does not, nor does a field that the
// focus passed over without entering it, when a rule sent the focus further), and entering it
// puts the caret at the end of its text. It is `changed` once the operator edits it, until the
// dialog acts on the change or sets its text. It is `typed` once the operator put text into it
// (keys, paste, a fixed string), until the dialog empties it: what the radio reads never
// overwrites a typed field.
class LogField : public QLineEdit
{
    Q_OBJECT
public:
    explicit LogField(QWidget *parent);

    bool changed() const { return m_changed; }
    void setChanged(bool changed)
    {
        m_changed = changed;
        m_typed = m_typed || changed;
    }
    bool typed() const { return m_typed; }
    // Empties the field as the dialog does (not a change by the operator).
    void clearText()
    {
        clear();
        m_changed = false;
        m_typed = false;
    }

Q_SIGNALS:
    void exited(Qt::FocusReason reason);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool m_entered = false;
    bool m_changed = false;
    bool m_typed = false;
};

class ContactDialog : public VezoDialog
{
    Q_OBJECT
public:
    enum Mode { Input = 1, Modify = 2, Delete = 3, RecordSearch = 4 };

    ContactDialog(app::AppState &state, UiServices &services, int mode, QWidget *parent = nullptr);
    ~ContactDialog() override; // the callsign caches are complete only in the .cpp

    int mode() const { return m_mode; }
    // The help page of each mode: 14 input, 15 modify, 16 delete, 17 record search.
    int helpContext() const { return 13 + m_mode; }

    // The personal information was reloaded: fixed strings and own portable place (modes 1, 2).
    void refreshFromSettings();
    // The personal information changed fixed string `index` (0..9): its button shows it at
    // once in modes 1 and 2.
    void showFixedString(int index, const QString &text);
    // The personal information changed the own portable place: the field shows it in mode 1.
    void showOwnPortablePlace(const QString &city);

    // WSJT-X's status of a contact in progress (mode 1): callsign, frequency and mode go into
    // the fields the operator has not typed in.
    void fillFromWsjtx(const QString &callsign, const QString &frequency, const QString &mode);
    // Another writer (the WSJT-X link) appended to the log: the next number and the history
    // follow (mode 1).
    void showNextRecordNumber();

    // Reads record n into the fields as "読込" does with its number typed (the award progress
    // opens a contact so); the out-of-range notice when there is no such record.
    void readRecordNumber(std::int32_t n);

    // Where the city lookup comes from; without one a kana initial stays as typed.
    void setCityLookupMaker(CityLookupMaker make) { m_makeCityLookup = std::move(make); }
    // The city lookup this dialog shows over itself (created when first needed), or none.
    CityLookup *qthDialog();

    void done(int result) override;

    // Another program changed the log and the state follows it: the next number is shown anew.
    void logChangedElsewhere();

Q_SIGNALS:
    // A registration found records another program had appended; the state has followed the
    // log, and the windows that list it should too.
    void foreignRecordsSeen();
    // A record was marked deleted: the log now holds deleted records.
    void recordDeleted();
    // Record `n` was written anew (modified or deleted): counts shown of the log are stale.
    void recordRewritten(std::int32_t n);

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

    void prepareForMode(); // per mode: title, buttons, focus; mode 3 takes the delete backup

    // Entry assistance (mode 1).
    void callsignEdited();                         // callsign emptied: start afresh
    void callsignLeft();                           // area, standard remark, history
    void portableAreaEdited();                     // portable area emptied
    void portableAreaLeft();                       // portable area typed: its area
    void portableFormLeft(Qt::FocusReason reason); // automatic date and time, jump to the city
    void dateLeft();                               // date
    void startTimeLeft(Qt::FocusReason reason);    // start time
    void cityLeft(log::Field city);                // a city field: kana initial, city lookup
    void cityEdited(log::Field field);             // a city or JCC field emptied: all four cleared
    void endTimeLeft();                            // end time: registering becomes possible
    void endTimeEdited();                          // end time emptied: not any more

    // Record-number panel (modes 2 to 4).
    void recordNumberEdited(); // the read button follows the number field
    void readRecord();         // read the record of the number
    void showPreviousRecord(); // 前へ
    void showNextRecord();     // 次へ

    // Actions.
    void clearEntry();                  // 入力消去
    void registerContact();             // 登　録
    void modifyRecord();                // 修　正
    void deleteRecord();                // 削　除
    void showHelp();                    // ヘルプ
    void closeDialog();                 // 終　了
    void fixedStringClicked(int index); // fixed string into the focused field

    // The radio (mode 1): frequency and mode follow it into the fields the operator left alone.
    void followRig();
    void stopFollowingRig();
    void fillFromRig(const QString &frequency, const QString &mode);
    // A reading from outside goes into a field the operator has not typed in; true if it did.
    bool fillUntyped(log::Field field, const QString &text);
    void takeCallsign(); // the callsign's area, standard remark and history

    bool handleDialogKey(QKeyEvent *event);
    void applyFixedString(int index);
    void setFieldSjis(log::Field field, std::string_view sjis);
    std::string fieldSjis(log::Field field) const;
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
    LogField *field(log::Field f) const { return m_fields[static_cast<std::size_t>(f)]; }
    std::optional<log::Field> fieldOf(const QWidget *w) const; // none: not a record field
    // The fixed and the portable city with their JCC numbers, emptied together.
    static constexpr std::array<log::Field, 4> kCityFields{
        log::Field::FixedQth, log::Field::FixedJcc, log::Field::PortableQth,
        log::Field::PortableJcc};

    app::AppState &m_state;
    int m_mode;
    // The record as last read into the fields, and its number: a modify or delete writes only
    // when the log still holds it.
    log::QsoRecord m_loadedRecord;
    std::int32_t m_loadedNo = 0;
    bool m_shownOnce = false;
    bool m_closing = false;
    bool m_backupTaken = false; // this delete visit has written the copy restore puts back
    std::array<LogField *, log::kTextFieldCount> m_fields{};
    std::array<FixedStringButton *, 10> m_funcButtons{};
    QButtonGroup *m_funcGroup = nullptr;
    QCheckBox *m_qslCheck = nullptr;
    QFrame *m_recordPanel = nullptr;
    QLabel *m_recordNumberCaption = nullptr;
    QLineEdit *m_recordNumberEdit = nullptr;
    QToolButton *m_previousButton = nullptr;
    QToolButton *m_nextButton = nullptr;
    QToolButton *m_readButton = nullptr;
    QToolButton *m_clearButton = nullptr;
    QToolButton *m_registerButton = nullptr;
    QToolButton *m_modifyButton = nullptr;
    QToolButton *m_deleteButton = nullptr;
    QToolButton *m_helpButton = nullptr;
    QToolButton *m_closeButton = nullptr;
    QLabel *m_nextRecordCaption = nullptr;
    QLabel *m_nextRecordLabel = nullptr;
    QLabel *m_standardRemarkLabel = nullptr;
    QLabel *m_distanceLabel = nullptr;
    QLabel *m_compassLabel = nullptr;
    QLabel *m_ownHistoryLabel = nullptr;
    QLabel *m_referenceCallLabel = nullptr;
    QLabel *m_referenceHistoryLabel = nullptr;
    QImage m_compass;
    CityLookupMaker m_makeCityLookup;
    CityLookup *m_qth = nullptr;
    // The callsigns of the own and the reference log, for a history lookup on every callsign.
    std::unique_ptr<log::CallsignCache> m_ownCalls;
    std::unique_ptr<log::CallsignCache> m_referenceCalls;
    RigPoller *m_rig = nullptr; // while the dialog is open in mode 1 and a radio is set
    QString m_wsjtxMode;        // FT8 or FT4 from WSJT-X: wins over the radio's data mode
};

} // namespace vz::ui
