// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/ui/log_dlg.h"

#include "app/ui/hint_bar.h"
#include "common/data_dir.h"
#include "common/sjis.h"
#include "common/ui/qt_text.h"
#include "log/area_index.h"
#include "log/call_area.h"
#include "log/entry_assist.h"
#include "log/geodesy.h"
#include "log/history.h"
#include "log/log_file.h"
#include "log/ui/compass.h"
#include "places/ui/qth_dlg.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>
#include <QValidator>

namespace vz::ui {

namespace {

using log::Field;

// What a record field takes as it is typed.
class FieldValidator : public QValidator
{
public:
    FieldValidator(std::size_t maxBytes, bool upper, bool areaKeysOnly, QObject *parent)
        : QValidator(parent), m_maxBytes(maxBytes), m_upper(upper), m_areaKeysOnly(areaKeysOnly)
    {
    }

    State validate(QString &input, int &) const override
    {
        if (m_upper)
            input = input.toUpper();
        if (m_areaKeysOnly)
            for (const QChar c : input)
                if (!log::isPortableAreaKey(c.unicode()))
                    return Invalid;
        // Measured in Shift_JIS bytes, as the record stores it; a character the record cannot
        // hold is refused as it is typed.
        const auto width = sjisWidth(input);
        return width && *width <= m_maxBytes ? Acceptable : Invalid;
    }

private:
    std::size_t m_maxBytes;
    bool m_upper;
    bool m_areaKeysOnly;
};

struct FieldLook
{
    const char *label; // nullptr: shares the label of the field before it
    int x, y, width;
    bool upper;
    bool kana;
    const char *hint;
};

constexpr int kRowA = 74, kRowB = 112, kRowC = 150, kRowD = 188, kRowE = 226;

const std::array<FieldLook, log::kTextFieldCount> kFieldLooks{{
    {"コールサイン", 20, kRowA, 72, true, false, "|交信無線局のコールサイン"},
    {"移動地", 100, kRowA, 36, true, false,
     "|交信無線局が移動しているエリアナンバー（国外は’Ａ’）"},
    {"形態", 144, kRowA, 44, true, false, "|移動している形態種類（国外はプリフィックスなど）"},
    {"交信年月日", 196, kRowA, 70, false, false, nullptr},
    {"開始時刻", 274, kRowA, 48, false, false, nullptr},
    {"固定運用・ＪＣＣ", 330, kRowA, 164, false, true,
     "|交信無線局の固定市町村名の頭文字（平仮名１字）で所在地・ＪＣＣが出ます"},
    {nullptr, 496, kRowA, 58, false, false, nullptr},
    {"移動運地・ＪＣＣ", 20, kRowB, 164, false, true,
     "|交信無線局の移動市町村名の頭文字（平仮名１字）で所在地・ＪＣＣが出ます"},
    {nullptr, 186, kRowB, 58, false, false, nullptr},
    {"氏名", 252, kRowB, 104, false, true, "|無線局オペレータ"},
    {"Ｈｉｓ ＲＳＴ", 364, kRowB, 56, false, false, nullptr},
    {"My  RST", 448, kRowB, 50, false, false, nullptr},
    {"周波数", 506, kRowB, 56, false, false, nullptr},
    {"電波形式", 20, kRowC, 56, true, false, nullptr},
    {"出力電力", 84, kRowC, 58, false, false, nullptr},
    {"ユーザ設定マーク", 150, kRowC, 86, false, false, nullptr},
    {"備考（追加）", 20, kRowD, 224, false, true, "|備考に追加したい場合の記述"},
    {"メ　モ", 252, kRowD, 224, false, true, "|無線局の特記事項など（自局の覚え書き）"},
    {"自局移動地", 20, kRowE, 164, false, true,
     "|個人情報で自局移動運用を指定したときの所在地・・・一時的な移動は移動地を手入力"},
    {"終了時刻", 194, kRowE, 48, false, false, nullptr},
}};

constexpr int kCallsign = 1, kPortableArea = 2, kPortableForm = 3, kDate = 4, kStart = 5,
              kFixedCity = 6, kFixedJcc = 7, kPortableCity = 8, kPortableJcc = 9, kName = 10,
              kHisRst = 11, kEndTime = 20;

Field recordField(int number)
{
    return static_cast<Field>(number - 1);
}

QToolButton *speedButton(QWidget *parent, const char *name, const QString &caption,
                         const QRect &geometry)
{
    // Speed buttons take no focus: a click acts on the field being typed, which keeps it.
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(caption);
    b->setGeometry(geometry);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    return l;
}

} // namespace

LogField::LogField(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, [this] { m_changed = true; });
}

void LogField::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    m_entered = true;
    // The caret goes to the end, so that typing adds to what the field holds.
    deselect();
    end(false);
}

void LogField::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || !m_entered)
        return;
    m_entered = false;
    Q_EMIT exited(reason);
}

TLogDlg::TLogDlg(app::AppState &state, UiServices &services, int mode, QWidget *parent)
    : VezoDialog(state, services, parent), m_mode(mode),
      m_compass(kCompassSize, kCompassSize, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("LogDlg"));
    setFixedSize(787, 336);
    setGreyFrame(true);
    m_state.dialogModes.log = m_mode;

    buildFields();
    buildFixedStringButtons();
    buildPanelAndButtons();
    buildDisplays();
    wireHandlers();

    switch (m_mode) {
    case Input:
        setTitle(QStringLiteral("交信記録編集（入力）"));
        break;
    case Modify:
        setTitle(QStringLiteral("交信記録編集（修正）"));
        break;
    case Delete:
        setTitle(QStringLiteral("交信記録編集（削除）"));
        break;
    default:
        setTitle(QStringLiteral("レコード検索"));
        for (LogField *f : m_fields)
            f->setReadOnly(true);
        // The box shows the record's flag; there is nothing to save it to.
        CheckBox1->setAttribute(Qt::WA_TransparentForMouseEvents);
        CheckBox1->setFocusPolicy(Qt::NoFocus);
        break;
    }
    SpeedButton4->setVisible(m_mode == Input);
    SpeedButton5->setVisible(m_mode == Input);
    SpeedButton6->setVisible(m_mode == Modify);
    SpeedButton7->setVisible(m_mode == Delete);
    Panel1->setVisible(m_mode != Input);
    for (QToolButton *b :
         {SpeedButton5, SpeedButton6, SpeedButton7, SpeedButton1, SpeedButton2, SpeedButton3})
        b->setEnabled(false);
}

TLogDlg::~TLogDlg()
{
    // A focused field reports leaving while it is destroyed; nothing must answer by then.
    for (QObject *child : findChildren<QObject *>())
        disconnect(child, nullptr, this, nullptr);
}

void TLogDlg::buildFields()
{
    QWidget *previous = nullptr;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const FieldLook &look = kFieldLooks[i];
        const int number = static_cast<int>(i) + 1;
        auto *f = new LogField(this);
        f->setObjectName(QStringLiteral("Edit%1").arg(number));
        f->setGeometry(look.x, look.y, look.width, 20);
        f->setValidator(new FieldValidator(log::maxTextBytes(recordField(number)), look.upper,
                                           number == kPortableArea, f));
        // Kana fields invite the input method; the others ask for Latin letters.
        Qt::InputMethodHints hints = look.kana ? Qt::ImhNone : Qt::ImhPreferLatin;
        if (look.upper)
            hints |= Qt::ImhPreferUppercase;
        f->setInputMethodHints(hints);
        m_fields[i] = f;
        if (look.label) {
            QLabel *l = label(this, qPrintable(QStringLiteral("Label%1").arg(number)),
                              QString::fromUtf8(look.label),
                              QRect(look.x, look.y - 16, look.width + 80, 15));
            l->adjustSize();
            if (look.hint)
                setHint(l, QString::fromUtf8(look.hint));
        }
        if (previous)
            setTabOrder(previous, f);
        previous = f;
    }
    CheckBox1 = new QCheckBox(QStringLiteral("ＱＳＬカード"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(262, kRowE, 110, 20);
    setHint(CheckBox1, QStringLiteral("|ＱＳＬを交換する場合のチェック"));
    setTabOrder(previous, CheckBox1);
}

void TLogDlg::buildFixedStringButtons()
{
    m_funcGroup = new QButtonGroup(this);
    for (int k = 0; k < 10; ++k) {
        const int left = (k < 5 ? 55 : 80) + 65 * k;
        QToolButton *b = speedButton(this, qPrintable(QStringLiteral("FuncButton%1").arg(k + 1)),
                                     QString(), QRect(left, 33, 60, 20));
        b->setAutoRaise(false);
        setHint(b, QStringLiteral("F%1|環境設定＝定型文字を登録、Click 又は F_Key で項目へ入力")
                       .arg(k + 1));
        m_funcGroup->addButton(b, k);
        m_funcButtons[static_cast<std::size_t>(k)] = b;
    }
}

void TLogDlg::buildPanelAndButtons()
{
    // The panel takes the place of the history lines, which only the input mode shows.
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(20, 254, 296, 62);
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFrameShadow(QFrame::Raised);
    Label22 = label(Panel1, "Label22",
                    QStringLiteral("修正・削除・検索                      レコード番号"),
                    QRect(8, 6, 284, 16));
    setHint(Label22, QStringLiteral("|対象にするレコード番号を入力します"));
    SpeedButton1 =
        speedButton(Panel1, "SpeedButton1", QStringLiteral("◀ 前へ"), QRect(8, 30, 62, 24));
    setHint(SpeedButton1, QStringLiteral("前へ|前のレコードを表示します"));
    SpeedButton2 =
        speedButton(Panel1, "SpeedButton2", QStringLiteral("次へ ▶"), QRect(74, 30, 62, 24));
    setHint(SpeedButton2, QStringLiteral("次へ|次のレコードを表示します"));
    Edit21 = new QLineEdit(Panel1);
    Edit21->setObjectName(QStringLiteral("Edit21"));
    Edit21->setGeometry(186, 32, 66, 20);
    Edit21->setMaxLength(10);
    Edit21->setAlignment(Qt::AlignRight);
    Edit21->setInputMethodHints(Qt::ImhDigitsOnly);
    SpeedButton3 =
        speedButton(Panel1, "SpeedButton3", QStringLiteral("読込"), QRect(254, 30, 38, 24));
    setTabOrder(CheckBox1, Edit21);

    SpeedButton4 =
        speedButton(this, "SpeedButton4", QStringLiteral("入力消去"), QRect(576, 150, 96, 26));
    setHint(SpeedButton4, QStringLiteral("|入力ウインドウクリア"));
    SpeedButton5 =
        speedButton(this, "SpeedButton5", QStringLiteral("登　録"), QRect(680, 150, 96, 26));
    setHint(SpeedButton5, QStringLiteral("|交信記録の保存"));
    SpeedButton6 =
        speedButton(this, "SpeedButton6", QStringLiteral("修　正"), QRect(680, 150, 96, 26));
    setHint(SpeedButton6, QStringLiteral("|交信記録の保存"));
    SpeedButton7 =
        speedButton(this, "SpeedButton7", QStringLiteral("削　除"), QRect(680, 150, 96, 26));
    SpeedButton8 =
        speedButton(this, "SpeedButton8", QStringLiteral("ヘルプ"), QRect(576, 186, 96, 26));
    SpeedButton9 =
        speedButton(this, "SpeedButton9", QStringLiteral("終　了"), QRect(680, 186, 96, 26));
    for (QToolButton *b :
         {SpeedButton4, SpeedButton5, SpeedButton6, SpeedButton7, SpeedButton8, SpeedButton9})
        b->setAutoRaise(false);
}

void TLogDlg::buildDisplays()
{
    Label23 = label(this, "Label23", QStringLiteral("RecordNo ;"), QRect(620, 12, 64, 16));
    Label23->adjustSize();
    Label24 = label(this, "Label24", QString(), QRect(Label23->geometry().right() + 6, 12, 80, 16));
    QLabel *remarkCaption =
        label(this, "Label21", QStringLiteral("備考（標準）"), QRect(252, kRowC - 16, 120, 15));
    setHint(remarkCaption,
            QStringLiteral("|個人情報の「備考（標準）」または「Ｒｅｍ（Ｓｔｄ）」のいづれかを"
                           "表示します"));
    Label25 = label(this, "Label25", QString(), QRect(252, kRowC, 316, 20));
    Label25->setFrameShape(QFrame::Panel);
    Label25->setFrameShadow(QFrame::Sunken);
    Label26 = label(this, "Label26", QString(), QRect(372, 226, 400, 18));
    Label26->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Image1 = label(this, "Image1", QString(), QRect(694, 246, kCompassSize, kCompassSize));
    Label27 = label(this, "Label27", QString(), QRect(20, 258, 668, 18));
    Label28 = label(this, "Label28", QString(), QRect(20, 284, 62, 18));
    Label29 = label(this, "Label29", QString(), QRect(84, 284, 604, 18));
    for (QLabel *l : {Label27, Label28, Label29})
        l->setTextFormat(Qt::PlainText);
    clearCompass();
}

void TLogDlg::wireHandlers()
{
    connect(field(kCallsign), &QLineEdit::textEdited, this, &TLogDlg::Edit1Change);
    connect(field(kCallsign), &LogField::exited, this, &TLogDlg::Edit1Exit);
    connect(field(kPortableArea), &QLineEdit::textEdited, this, &TLogDlg::Edit2Change);
    connect(field(kPortableArea), &LogField::exited, this, &TLogDlg::Edit2Exit);
    connect(field(kPortableForm), &LogField::exited, this, &TLogDlg::Edit3Exit);
    connect(field(kDate), &LogField::exited, this, &TLogDlg::Edit4Exit);
    connect(field(kStart), &LogField::exited, this, &TLogDlg::Edit5Exit);
    connect(field(kFixedCity), &LogField::exited, this, [this] { CityExit(kFixedCity); });
    connect(field(kPortableCity), &LogField::exited, this, [this] { CityExit(kPortableCity); });
    for (int n = kFixedCity; n <= kPortableJcc; ++n)
        connect(field(n), &QLineEdit::textEdited, this, [this, n] { CityChange(n); });
    connect(field(kEndTime), &LogField::exited, this, &TLogDlg::Edit20Exit);
    connect(field(kEndTime), &QLineEdit::textChanged, this, &TLogDlg::Edit20Change);

    connect(Edit21, &QLineEdit::textEdited, this, &TLogDlg::Edit21Change);
    connect(SpeedButton1, &QToolButton::clicked, this, &TLogDlg::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TLogDlg::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TLogDlg::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TLogDlg::SpeedButton4Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TLogDlg::SpeedButton5Click);
    connect(SpeedButton6, &QToolButton::clicked, this, &TLogDlg::SpeedButton6Click);
    connect(SpeedButton7, &QToolButton::clicked, this, &TLogDlg::SpeedButton7Click);
    connect(SpeedButton8, &QToolButton::clicked, this, &TLogDlg::SpeedButton8Click);
    connect(SpeedButton9, &QToolButton::clicked, this, &TLogDlg::SpeedButton9Click);
    connect(m_funcGroup, &QButtonGroup::idClicked, this, &TLogDlg::FuncButtonClick);
}

void TLogDlg::showEvent(QShowEvent *event)
{
    VezoDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        FormShow();
    }
}

void TLogDlg::FormShow()
{
    Label27->hide();
    Label28->hide();
    Label29->hide();
    clearCompass();
    switch (m_mode) {
    case Input:
        refreshFromSettings();
        Label24->setText(QString::number(m_state.nextRecordNo));
        field(kCallsign)->setFocus();
        // Read once now, so that leaving the callsign field never waits for the log.
        calls(m_ownCalls, m_state.logPath).refresh();
        if (m_state.referenceOn)
            calls(m_referenceCalls, m_state.referenceLogPath).refresh();
        break;
    case Modify:
        refreshFromSettings();
        Edit21->setFocus();
        break;
    case Delete:
        // The copy that "ﾛｸﾞﾌｧｲﾙ復元" puts back, taken before the first deletion.
        if (log::backupBeforeDelete(m_state.logPath, m_state.backupPath) == log::IoResult::Failed)
            m_services.messages.writeFailed(QString::fromStdString(m_state.backupPath));
        Edit21->setFocus();
        break;
    default:
        Edit21->setFocus();
        break;
    }
}

void TLogDlg::refreshFromSettings()
{
    if (m_mode != Input && m_mode != Modify)
        return;
    for (std::size_t k = 0; k < m_funcButtons.size(); ++k)
        m_funcButtons[k]->setText(fromSjis(m_state.settings.fixedStrings[k]));
    setFieldSjis(19, m_state.settings.mobileCity);
    applyFieldLook();
}

TQthDlg *TLogDlg::qthDialog()
{
    if (!m_qth)
        m_qth = new TQthDlg(m_state, m_services, this);
    return m_qth;
}

void TLogDlg::done(int result)
{
    m_closing = true;
    m_state.dialogModes.log = 0;
    VezoDialog::done(result);
}

// ---------------------------------------------------------------------------------------------
// Keys

bool TLogDlg::eventFilter(QObject *watched, QEvent *event)
{
    // The city lookup is a window of its own with its own keys.
    if (const auto *w = qobject_cast<QWidget *>(watched); w && w->window() != this)
        return false;
    if (event->type() == QEvent::KeyPress && handleDialogKey(static_cast<QKeyEvent *>(event)))
        return true;
    return VezoDialog::eventFilter(watched, event);
}

void TLogDlg::keyPressEvent(QKeyEvent *event)
{
    if (handleDialogKey(event))
        return;
    VezoDialog::keyPressEvent(event);
}

bool TLogDlg::handleDialogKey(QKeyEvent *event)
{
    const int key = event->key();
    const bool functionKey = key >= Qt::Key_F1 && key <= Qt::Key_F10;
    if (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_Escape && !functionKey)
        return false;
    if (m_state.settings.keyClick)
        m_services.keyClick.play();
    if (key == Qt::Key_Up)
        focusPreviousChild();
    else if (key == Qt::Key_Down)
        focusNextChild();
    else if (functionKey)
        applyFixedString(key - Qt::Key_F1);
    // Escape would close the dialog and lose the contact being typed; "終　了" closes it.
    return true;
}

void TLogDlg::applyFixedString(int index)
{
    if (m_mode != Input && m_mode != Modify)
        return;
    const int number = fieldNumber(QApplication::focusWidget());
    if (number == 0)
        return;
    LogField *f = field(number);
    const std::string text =
        toSjis(m_funcButtons[static_cast<std::size_t>(index)]->text()).value_or(std::string());
    // The portable area takes only what its keys would let through.
    if (number == kPortableArea && !log::portableAreaOf(text) && !text.empty())
        return;
    setFieldSjis(number, text);
    // The operator chose it: it counts as typed, so leaving the field acts on it.
    f->setChanged(true);
    focusNextChild();
}

void TLogDlg::FuncButtonClick(int index)
{
    applyFixedString(index);
}

int TLogDlg::fieldNumber(const QWidget *w) const
{
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i] == w)
            return static_cast<int>(i) + 1;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Field texts

void TLogDlg::setFieldSjis(int number, std::string_view sjis)
{
    const Field f = recordField(number);
    QString text = fromSjis(sjis::cutToWidth(sjis, log::maxTextBytes(f)));
    if (kFieldLooks[static_cast<std::size_t>(number - 1)].upper)
        text = text.toUpper();
    field(number)->setText(text);
    field(number)->setChanged(false);
}

std::string TLogDlg::fieldSjis(int number) const
{
    return toSjis(field(number)->text()).value_or(std::string());
}

log::FieldTexts TLogDlg::fieldTexts() const
{
    log::FieldTexts texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = fieldSjis(static_cast<int>(i) + 1);
    return texts;
}

std::string TLogDlg::clockDate() const
{
    return log::clockDateText(m_state.clock->now(), m_state.currentArea);
}

std::string TLogDlg::clockTime() const
{
    return log::clockTimeText(m_state.clock->now(), m_state.currentArea);
}

int TLogDlg::callsignArea()
{
    m_state.prefixTable.refreshIfChanged();
    return log::classifyCallArea(fieldSjis(kCallsign), m_state.prefixTable);
}

void TLogDlg::showStandardRemark(int area)
{
    if (area >= 0 && area <= 9)
        Label25->setText(fromSjis(m_state.settings.domesticRemark));
    else if (area == log::kAbroad)
        Label25->setText(fromSjis(m_state.settings.foreignRemark));
}

void TLogDlg::clearFieldsRemarkAndQsl()
{
    for (LogField *f : m_fields)
        f->clearText();
    Label25->clear();
    CheckBox1->setChecked(false);
}

void TLogDlg::clearCompass()
{
    ui::clearCompass(m_compass, palette().color(QPalette::Button));
    Image1->setPixmap(QPixmap::fromImage(m_compass));
    Label26->clear();
    Label26->hide();
}

void TLogDlg::clearContact()
{
    clearFieldsRemarkAndQsl();
    clearCompass();
    Label27->hide();
    Label28->hide();
    Label29->hide();
}

// ---------------------------------------------------------------------------------------------
// Entry assistance (mode 1)

void TLogDlg::Edit1Change()
{
    if (m_mode == Input && field(kCallsign)->text().isEmpty())
        clearContact();
}

void TLogDlg::Edit1Exit()
{
    LogField *call = field(kCallsign);
    if (m_mode != Input || m_closing || call->text().isEmpty() || !call->changed())
        return;
    call->setChanged(false);
    m_state.portableEntry = false;
    m_state.searchKey = fieldSjis(kCallsign);
    m_state.currentArea = callsignArea();
    showStandardRemark(m_state.currentArea);
    runHistory();
}

log::CallsignCache &TLogDlg::calls(std::unique_ptr<log::CallsignCache> &cache,
                                   const std::string &path)
{
    if (!cache || cache->path() != path)
        cache = std::make_unique<log::CallsignCache>(path);
    return *cache;
}

void TLogDlg::runHistory()
{
    const int area = m_state.currentArea;
    const log::HistoryResult own = log::lookupHistory(calls(m_ownCalls, m_state.logPath),
                                                      m_state.ownIndex, area, m_state.searchKey);
    if (own.result == log::IoResult::Failed)
        m_services.messages.error(QStringLiteral("ログファイルを読めませんでした。\n%1")
                                      .arg(QString::fromStdString(m_state.logPath)));
    if (own.result == log::IoResult::Ok) {
        Label27->setText(fromSjis(own.line));
        Label27->show();
        if (own.hits > 0) {
            setFieldSjis(kName, own.last.field(Field::OpName));
            if (m_state.settings.historyFill) {
                setFieldSjis(kDate, clockDate());
                setFieldSjis(kStart, clockTime());
                setFieldSjis(kFixedCity, own.last.field(Field::FixedQth));
                setFieldSjis(kFixedJcc, own.last.field(Field::FixedJcc));
                setFieldSjis(kPortableCity, own.last.field(Field::PortableQth));
                setFieldSjis(kPortableJcc, own.last.field(Field::PortableJcc));
                field(kHisRst)->setFocus();
            }
        }
    }
    if (!m_state.referenceOn)
        return;
    const log::HistoryResult ref =
        log::lookupHistory(calls(m_referenceCalls, m_state.referenceLogPath),
                           m_state.referenceIndex, area, m_state.searchKey);
    // A line left from the previous callsign would tell of another station.
    const bool show = ref.result == log::IoResult::Ok && ref.hits > 0;
    if (show) {
        Label29->setText(fromSjis(ref.line));
        Label28->setText(QString::fromStdString(m_state.referenceCall));
    }
    Label28->setVisible(show);
    Label29->setVisible(show);
}

void TLogDlg::Edit2Change()
{
    if (m_mode != Input || !field(kPortableArea)->text().isEmpty())
        return;
    for (int n = kPortableForm; n <= kPortableJcc; ++n)
        field(n)->clearText();
    clearCompass();
    m_state.currentArea = callsignArea();
    m_state.portableEntry = false;
}

void TLogDlg::Edit2Exit()
{
    LogField *area = field(kPortableArea);
    if (m_mode != Input || m_closing || !area->changed())
        return;
    const auto portable = log::portableAreaOf(fieldSjis(kPortableArea));
    if (!portable)
        return;
    area->setChanged(false);
    m_state.currentArea = *portable;
    m_state.portableEntry = true;
}

void TLogDlg::Edit3Exit(Qt::FocusReason reason)
{
    if (m_mode != Input || m_closing || !m_state.settings.autoDateTime)
        return;
    if (!field(kCallsign)->text().isEmpty() && field(kDate)->text().isEmpty() &&
        field(kStart)->text().isEmpty()) {
        setFieldSjis(kDate, clockDate());
        setFieldSjis(kStart, clockTime());
    }
    // Moving on, the filled date and time are skipped.
    if (reason == Qt::TabFocusReason)
        field(m_state.portableEntry ? kPortableCity : kFixedCity)->setFocus(Qt::TabFocusReason);
}

void TLogDlg::Edit4Exit()
{
    if (m_mode != Input || m_closing)
        return;
    if (!field(kCallsign)->text().isEmpty() && field(kDate)->text().isEmpty())
        setFieldSjis(kDate, clockDate());
}

void TLogDlg::Edit5Exit(Qt::FocusReason reason)
{
    if (m_mode != Input || m_closing)
        return;
    if (field(kCallsign)->text().isEmpty() || !field(kStart)->text().isEmpty())
        return;
    setFieldSjis(kStart, clockTime());
    if (m_state.portableEntry && reason == Qt::TabFocusReason)
        field(kPortableCity)->setFocus(Qt::TabFocusReason);
}

void TLogDlg::CityExit(int number)
{
    LogField *city = field(number);
    if (m_mode != Input || m_closing || !city->changed())
        return;
    const std::string initial = fieldSjis(number);
    if (!log::isCityInitial(initial))
        return;
    city->setChanged(false);
    m_state.searchKey = initial;

    TQthDlg *lookup = qthDialog();
    const bool confirmed = lookup->exec() == QDialog::Accepted && m_state.cityChosen;
    // Typing goes on here, whatever the window system activates next.
    activateWindow();
    if (!confirmed) {
        city->clearText();
        city->setFocus();
        return;
    }
    const bool portable = m_state.portableEntry;
    setFieldSjis(portable ? kPortableCity : kFixedCity, lookup->chosenCity());
    setFieldSjis(portable ? kPortableJcc : kFixedJcc, lookup->chosenJcc());
    showDistanceAndCompass();
    field(field(kName)->text().isEmpty() ? kName : kHisRst)->setFocus();
}

void TLogDlg::showDistanceAndCompass()
{
    log::DistanceBearing result;
    const std::string line =
        log::distanceBearingText(m_state.ownLocation, m_state.workedPosition, &result);
    Label26->setText(fromSjis(line));
    Label26->show();
    drawCompass(m_compass, result.compassDegrees, palette().color(QPalette::Button));
    Image1->setPixmap(QPixmap::fromImage(m_compass));
}

void TLogDlg::CityChange(int number)
{
    if (m_mode != Input || !field(number)->text().isEmpty())
        return;
    for (int n = kFixedCity; n <= kPortableJcc; ++n)
        field(n)->clearText();
    clearCompass();
    field(number <= kFixedJcc ? kFixedCity : kPortableCity)->setFocus();
}

void TLogDlg::Edit20Exit()
{
    LogField *end = field(kEndTime);
    if (m_mode != Input || m_closing || field(kCallsign)->text().isEmpty())
        return;
    if (end->text().isEmpty()) {
        setFieldSjis(kEndTime, clockTime());
        SpeedButton5->setEnabled(true);
    } else if (end->changed()) {
        SpeedButton5->setEnabled(true);
    }
    end->setChanged(false);
}

void TLogDlg::Edit20Change()
{
    if (field(kEndTime)->text().isEmpty())
        SpeedButton5->setEnabled(false);
}

// ---------------------------------------------------------------------------------------------
// Record-number panel

void TLogDlg::Edit21Change()
{
    SpeedButton3->setEnabled(!Edit21->text().isEmpty());
}

std::optional<std::int32_t> TLogDlg::numberInRange() const
{
    bool ok = false;
    const qlonglong n = Edit21->text().trimmed().toLongLong(&ok);
    if (!ok || n <= 0 || n > m_state.nextRecordNo - 1)
        return std::nullopt;
    return static_cast<std::int32_t>(n);
}

void TLogDlg::SpeedButton3Click()
{
    const auto n = numberInRange();
    if (!n) {
        m_services.messages.notice(QStringLiteral("範囲外のナンバーです"));
        Edit21->setFocus();
        return;
    }
    gotoRecord(*n);
    SpeedButton3->setEnabled(false);
}

void TLogDlg::gotoRecord(std::int32_t n)
{
    m_state.currentRecordNo = n;
    Edit21->setText(QString::number(n));
    showRecord(n);
    if (m_mode == Modify)
        SpeedButton6->setEnabled(true);
    if (m_mode == Delete)
        SpeedButton7->setEnabled(true);
    SpeedButton1->setEnabled(true);
    SpeedButton2->setEnabled(true);
    if (m_mode == Modify)
        field(kCallsign)->setFocus();
}

void TLogDlg::SpeedButton1Click()
{
    gotoRecord(std::max(1, m_state.currentRecordNo - 1));
}

void TLogDlg::SpeedButton2Click()
{
    gotoRecord(std::max(1, std::min(m_state.nextRecordNo - 1, m_state.currentRecordNo + 1)));
}

void TLogDlg::showRecord(std::int32_t n)
{
    clearFieldsRemarkAndQsl();
    if (!files::exists(m_state.logPath))
        return;
    if (log::readRecord(m_state.logPath, n, m_state.recordBuffer) == log::IoResult::Failed) {
        m_services.messages.error(QStringLiteral("ログファイルを読めませんでした。\n%1")
                                      .arg(QString::fromStdString(m_state.logPath)));
        return;
    }
    for (int number = 1; number <= static_cast<int>(log::kTextFieldCount); ++number)
        setFieldSjis(number, m_state.recordBuffer.field(recordField(number)));
    CheckBox1->setChecked(m_state.recordBuffer.qslPending());
    m_state.currentArea = callsignArea();
    showStandardRemark(m_state.currentArea);
}

// ---------------------------------------------------------------------------------------------
// Actions

void TLogDlg::SpeedButton4Click()
{
    clearContact();
    SpeedButton5->setEnabled(false);
    field(kCallsign)->setFocus();
}

void TLogDlg::SpeedButton5Click()
{
    // Fields left empty are stored as "-".
    const log::QsoRecord record = log::buildRecord(fieldTexts(), CheckBox1->isChecked(), true);
    if (log::appendRecord(m_state.logPath, m_state.nextRecordNo, record) != log::IoResult::Ok) {
        // Nothing is lost: the contact stays in the fields to be registered again.
        m_services.messages.writeFailed(QString::fromStdString(m_state.logPath));
        return;
    }
    m_state.recordBuffer = record;
    calls(m_ownCalls, m_state.logPath).noteWritten(m_state.nextRecordNo - 1, record);
    m_state.ownIndex.append(m_state.currentArea, m_state.nextRecordNo - 1);
    ++m_state.nextRecordNo;
    Label24->setText(QString::number(m_state.nextRecordNo));
    SpeedButton4Click();
}

void TLogDlg::SpeedButton6Click()
{
    if (field(kCallsign)->text().isEmpty()) {
        m_services.messages.notice(
            QStringLiteral("データが読み込まれていないか、または不完全です。"));
        return;
    }
    const auto n = numberInRange();
    if (!n) {
        m_services.messages.notice(QStringLiteral("範囲外のナンバーです"));
        Edit21->setFocus();
        return;
    }
    const log::QsoRecord record = log::buildRecord(fieldTexts(), CheckBox1->isChecked(), false);
    if (log::rewriteRecord(m_state.logPath, *n, record) != log::IoResult::Ok) {
        m_services.messages.writeFailed(QString::fromStdString(m_state.logPath));
        return;
    }
    m_state.recordBuffer = record;
    clearFieldsRemarkAndQsl();
    SpeedButton6->setEnabled(false);
}

void TLogDlg::SpeedButton7Click()
{
    const auto n = numberInRange();
    if (!n) {
        m_services.messages.notice(QStringLiteral("範囲外のナンバーです"));
        Edit21->setFocus();
        return;
    }
    if (!m_services.messages.confirm(field(kCallsign)->text() +
                                     QStringLiteral(" を削除してよろしいか　？")))
        return;
    for (int number = 1; number <= static_cast<int>(log::kTextFieldCount); ++number)
        setFieldSjis(number, log::kEmptyMark);
    const log::QsoRecord record = log::buildRecord(fieldTexts(), CheckBox1->isChecked(), false);
    if (log::rewriteRecord(m_state.logPath, *n, record) != log::IoResult::Ok) {
        m_services.messages.writeFailed(QString::fromStdString(m_state.logPath));
        return;
    }
    m_state.recordBuffer = record;
    clearFieldsRemarkAndQsl();
    m_state.deletedFlag = true;
    Q_EMIT recordDeleted();
    SpeedButton7->setEnabled(false);
    Edit21->clear();
    Edit21->setFocus();
}

void TLogDlg::SpeedButton8Click()
{
    if (m_openHelp)
        m_openHelp(helpContext());
}

void TLogDlg::SpeedButton9Click()
{
    close();
}

} // namespace vz::ui
