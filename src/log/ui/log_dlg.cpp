// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/ui/log_dlg.h"
#include "log/ui/log_dlg_fields.h"

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

using namespace log_fields;

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

TLogDlg::~TLogDlg() = default;

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

} // namespace vz::ui
