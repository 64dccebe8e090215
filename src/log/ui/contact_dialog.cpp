// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/ui/contact_dialog.h"

#include "common/data_dir.h"
#include "common/sjis.h"
#include "common/ui/hint_bar.h"
#include "common/ui/qt_text.h"
#include "common/ui/sjis_field_validator.h"
#include "log/area_index.h"
#include "log/call_area.h"
#include "log/entry_assist.h"
#include "log/geodesy.h"
#include "log/history.h"
#include "log/log_file.h"
#include "log/ui/compass.h"
#include "log/ui/fixed_string_button.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>

namespace vz::ui {

namespace {

using log::Field;

struct FieldLook
{
    const char *name;  // objectName stem: "callsign" gives "callsignEdit" and "callsignLabel"
    const char *label; // nullptr: shares the label of the field before it
    int x, y, width;
    bool upper;
    bool kana;
    const char *hint;
};

constexpr int kRowA = 74, kRowB = 112, kRowC = 150, kRowD = 188, kRowE = 226;

const std::array<FieldLook, log::kTextFieldCount> kFieldLooks{{
    {"callsign", "コールサイン", 20, kRowA, 72, true, false, "|交信無線局のコールサイン"},
    {"portableArea", "移動地", 100, kRowA, 36, true, false,
     "|交信無線局が移動しているエリアナンバー（国外は’Ａ’）"},
    {"portableForm", "形態", 144, kRowA, 44, true, false,
     "|移動している形態種類（国外はプリフィックスなど）"},
    {"date", "交信年月日", 196, kRowA, 70, false, false, nullptr},
    {"startTime", "開始時刻", 274, kRowA, 48, false, false, nullptr},
    {"fixedCity", "固定運用・ＪＣＣ", 330, kRowA, 164, false, true,
     "|交信無線局の固定市町村名の頭文字（平仮名１字）で所在地・ＪＣＣが出ます"},
    {"fixedJcc", nullptr, 496, kRowA, 58, false, false, nullptr},
    {"portableCity", "移動運地・ＪＣＣ", 20, kRowB, 164, false, true,
     "|交信無線局の移動市町村名の頭文字（平仮名１字）で所在地・ＪＣＣが出ます"},
    {"portableJcc", nullptr, 186, kRowB, 58, false, false, nullptr},
    {"name", "氏名", 252, kRowB, 104, false, true, "|無線局オペレータ"},
    {"hisRst", "Ｈｉｓ ＲＳＴ", 364, kRowB, 56, false, false, nullptr},
    {"myRst", "My  RST", 448, kRowB, 50, false, false, nullptr},
    {"frequency", "周波数", 506, kRowB, 56, false, false, nullptr},
    {"mode", "電波形式", 20, kRowC, 56, true, false, nullptr},
    {"power", "出力電力", 84, kRowC, 58, false, false, nullptr},
    {"userMark", "ユーザ設定マーク", 150, kRowC, 86, false, false, nullptr},
    {"remarks", "備考（追加）", 20, kRowD, 224, false, true, "|備考に追加したい場合の記述"},
    {"memo", "メ　モ", 252, kRowD, 224, false, true, "|無線局の特記事項など（自局の覚え書き）"},
    {"ownPortablePlace", "自局移動地", 20, kRowE, 164, false, true,
     "|個人情報で自局移動運用を指定したときの所在地・・・一時的な移動は移動地を手入力"},
    {"endTime", "終了時刻", 194, kRowE, 48, false, false, nullptr},
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
    connect(this, &QLineEdit::textEdited, this, [this] { m_changed = m_typed = true; });
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

ContactDialog::ContactDialog(app::AppState &state, UiServices &services, int mode, QWidget *parent)
    : VezoDialog({state.settings.flatWindow, state.settings.keyClick}, services, parent),
      m_state(state), m_mode(mode), m_compass(kCompassSize, kCompassSize, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("ContactDialog"));
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
        m_qslCheck->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_qslCheck->setFocusPolicy(Qt::NoFocus);
        break;
    }
    m_clearButton->setVisible(m_mode == Input);
    m_registerButton->setVisible(m_mode == Input);
    m_modifyButton->setVisible(m_mode == Modify);
    m_deleteButton->setVisible(m_mode == Delete);
    m_recordPanel->setVisible(m_mode != Input);
    for (QToolButton *b : {m_registerButton, m_modifyButton, m_deleteButton, m_previousButton,
                           m_nextButton, m_readButton})
        b->setEnabled(false);
}

ContactDialog::~ContactDialog() = default;

void ContactDialog::buildFields()
{
    QWidget *previous = nullptr;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const FieldLook &look = kFieldLooks[i];
        const auto number = static_cast<Field>(i);
        auto *f = new LogField(this);
        f->setObjectName(QString::fromLatin1(look.name) + QStringLiteral("Edit"));
        f->setGeometry(look.x, look.y, look.width, 20);
        f->setValidator(new SjisFieldValidator(
            log::maxTextBytes(number), look.upper, f,
            number == Field::PortableArea ? log::isPortableAreaKey : nullptr));
        // Kana fields invite the input method; the others ask for Latin letters.
        Qt::InputMethodHints hints = look.kana ? Qt::ImhNone : Qt::ImhPreferLatin;
        if (look.upper)
            hints |= Qt::ImhPreferUppercase;
        f->setInputMethodHints(hints);
        m_fields[i] = f;
        if (look.label) {
            QLabel *l = label(
                this, qPrintable(QString::fromLatin1(look.name) + QStringLiteral("Label")),
                QString::fromUtf8(look.label), QRect(look.x, look.y - 16, look.width + 80, 15));
            l->adjustSize();
            if (look.hint)
                setHint(l, QString::fromUtf8(look.hint));
        }
        if (previous)
            setTabOrder(previous, f);
        previous = f;
    }
    m_qslCheck = new QCheckBox(QStringLiteral("ＱＳＬカード"), this);
    m_qslCheck->setObjectName(QStringLiteral("qslCheck"));
    m_qslCheck->setGeometry(262, kRowE, 110, 20);
    setHint(m_qslCheck, QStringLiteral("|ＱＳＬを交換する場合のチェック"));
    setTabOrder(previous, m_qslCheck);
}

void ContactDialog::buildFixedStringButtons()
{
    m_funcGroup = new QButtonGroup(this);
    for (int k = 0; k < 10; ++k) {
        const int left = (k < 5 ? 55 : 80) + 65 * k;
        auto *b = new FixedStringButton(this);
        b->setObjectName(QStringLiteral("fixedString%1Button").arg(k + 1));
        b->setGeometry(left, 33, 60, 20);
        // A click puts the caption into the field being typed, which keeps the focus.
        b->setFocusPolicy(Qt::NoFocus);
        setHint(b, QStringLiteral("F%1|環境設定＝定型文字を登録、Click 又は F_Key で項目へ入力")
                       .arg(k + 1));
        m_funcGroup->addButton(b, k);
        m_funcButtons[static_cast<std::size_t>(k)] = b;
    }
}

void ContactDialog::buildPanelAndButtons()
{
    // The panel takes the place of the history lines, which only the input mode shows.
    m_recordPanel = new QFrame(this);
    m_recordPanel->setObjectName(QStringLiteral("recordPanel"));
    m_recordPanel->setGeometry(20, 254, 296, 62);
    m_recordPanel->setFrameShape(QFrame::StyledPanel);
    m_recordPanel->setFrameShadow(QFrame::Raised);
    m_recordNumberCaption = label(
        m_recordPanel, "recordNumberCaption",
        QStringLiteral("修正・削除・検索                      レコード番号"), QRect(8, 6, 284, 16));
    setHint(m_recordNumberCaption, QStringLiteral("|対象にするレコード番号を入力します"));
    // The run of blanks sets レコード番号 over its field; in faces whose blanks are wide
    // (Japanese faces) the caption is drawn a little smaller, so it shows whole.
    const int needed =
        m_recordNumberCaption->fontMetrics().horizontalAdvance(m_recordNumberCaption->text());
    if (const int room = m_recordNumberCaption->width(); needed > room) {
        QFont smaller = m_recordNumberCaption->font();
        smaller.setPointSizeF(smaller.pointSizeF() * (room - 2) / needed);
        m_recordNumberCaption->setFont(smaller);
    }
    m_previousButton = speedButton(m_recordPanel, "previousButton", QStringLiteral("◀ 前へ"),
                                   QRect(8, 30, 62, 24));
    setHint(m_previousButton, QStringLiteral("前へ|前のレコードを表示します"));
    m_nextButton =
        speedButton(m_recordPanel, "nextButton", QStringLiteral("次へ ▶"), QRect(74, 30, 62, 24));
    setHint(m_nextButton, QStringLiteral("次へ|次のレコードを表示します"));
    m_recordNumberEdit = new QLineEdit(m_recordPanel);
    m_recordNumberEdit->setObjectName(QStringLiteral("recordNumberEdit"));
    m_recordNumberEdit->setGeometry(186, 32, 66, 20);
    m_recordNumberEdit->setMaxLength(10);
    m_recordNumberEdit->setAlignment(Qt::AlignRight);
    m_recordNumberEdit->setInputMethodHints(Qt::ImhDigitsOnly);
    m_readButton =
        speedButton(m_recordPanel, "readButton", QStringLiteral("読込"), QRect(254, 30, 38, 24));
    setTabOrder(m_qslCheck, m_recordNumberEdit);

    m_clearButton =
        speedButton(this, "clearButton", QStringLiteral("入力消去"), QRect(576, 150, 96, 26));
    setHint(m_clearButton, QStringLiteral("|入力ウインドウクリア"));
    m_registerButton =
        speedButton(this, "registerButton", QStringLiteral("登　録"), QRect(680, 150, 96, 26));
    setHint(m_registerButton, QStringLiteral("|交信記録の保存"));
    m_modifyButton =
        speedButton(this, "modifyButton", QStringLiteral("修　正"), QRect(680, 150, 96, 26));
    setHint(m_modifyButton, QStringLiteral("|交信記録の保存"));
    m_deleteButton =
        speedButton(this, "deleteButton", QStringLiteral("削　除"), QRect(680, 150, 96, 26));
    m_helpButton =
        speedButton(this, "helpButton", QStringLiteral("ヘルプ"), QRect(576, 186, 96, 26));
    m_closeButton =
        speedButton(this, "closeButton", QStringLiteral("終　了"), QRect(680, 186, 96, 26));
    for (QToolButton *b : {m_clearButton, m_registerButton, m_modifyButton, m_deleteButton,
                           m_helpButton, m_closeButton})
        b->setAutoRaise(false);
}

void ContactDialog::buildDisplays()
{
    m_nextRecordCaption =
        label(this, "nextRecordCaption", QStringLiteral("RecordNo ;"), QRect(620, 12, 64, 16));
    m_nextRecordCaption->adjustSize();
    m_nextRecordLabel = label(this, "nextRecordLabel", QString(),
                              QRect(m_nextRecordCaption->geometry().right() + 6, 12, 80, 16));
    QLabel *remarkCaption = label(this, "standardRemarkCaption", QStringLiteral("備考（標準）"),
                                  QRect(252, kRowC - 16, 120, 15));
    setHint(remarkCaption,
            QStringLiteral("|個人情報の「備考（標準）」または「Ｒｅｍ（Ｓｔｄ）」のいづれかを"
                           "表示します"));
    m_standardRemarkLabel =
        label(this, "standardRemarkLabel", QString(), QRect(252, kRowC, 316, 20));
    m_standardRemarkLabel->setFrameShape(QFrame::Panel);
    m_standardRemarkLabel->setFrameShadow(QFrame::Sunken);
    m_distanceLabel = label(this, "distanceLabel", QString(), QRect(372, 226, 400, 18));
    m_distanceLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_compassLabel =
        label(this, "compassLabel", QString(), QRect(694, 246, kCompassSize, kCompassSize));
    m_ownHistoryLabel = label(this, "ownHistoryLabel", QString(), QRect(20, 258, 668, 18));
    m_referenceCallLabel = label(this, "referenceCallLabel", QString(), QRect(20, 284, 62, 18));
    m_referenceHistoryLabel =
        label(this, "referenceHistoryLabel", QString(), QRect(84, 284, 604, 18));
    for (QLabel *l : {m_ownHistoryLabel, m_referenceCallLabel, m_referenceHistoryLabel})
        l->setTextFormat(Qt::PlainText);
    clearCompass();
}

void ContactDialog::wireHandlers()
{
    connect(field(Field::Callsign), &QLineEdit::textEdited, this, &ContactDialog::callsignEdited);
    connect(field(Field::Callsign), &LogField::exited, this, &ContactDialog::callsignLeft);
    connect(field(Field::PortableArea), &QLineEdit::textEdited, this,
            &ContactDialog::portableAreaEdited);
    connect(field(Field::PortableArea), &LogField::exited, this, &ContactDialog::portableAreaLeft);
    connect(field(Field::PortableForm), &LogField::exited, this, &ContactDialog::portableFormLeft);
    connect(field(Field::QsoDate), &LogField::exited, this, &ContactDialog::dateLeft);
    connect(field(Field::StartTime), &LogField::exited, this, &ContactDialog::startTimeLeft);
    connect(field(Field::FixedQth), &LogField::exited, this, [this] { cityLeft(Field::FixedQth); });
    connect(field(Field::PortableQth), &LogField::exited, this,
            [this] { cityLeft(Field::PortableQth); });
    for (const Field f : kCityFields)
        connect(field(f), &QLineEdit::textEdited, this, [this, f] { cityEdited(f); });
    connect(field(Field::EndTime), &LogField::exited, this, &ContactDialog::endTimeLeft);
    connect(field(Field::EndTime), &QLineEdit::textChanged, this, &ContactDialog::endTimeEdited);

    connect(m_recordNumberEdit, &QLineEdit::textEdited, this, &ContactDialog::recordNumberEdited);
    connect(m_previousButton, &QToolButton::clicked, this, &ContactDialog::showPreviousRecord);
    connect(m_nextButton, &QToolButton::clicked, this, &ContactDialog::showNextRecord);
    connect(m_readButton, &QToolButton::clicked, this, &ContactDialog::readRecord);
    connect(m_clearButton, &QToolButton::clicked, this, &ContactDialog::clearEntry);
    connect(m_registerButton, &QToolButton::clicked, this, &ContactDialog::registerContact);
    connect(m_modifyButton, &QToolButton::clicked, this, &ContactDialog::modifyRecord);
    connect(m_deleteButton, &QToolButton::clicked, this, &ContactDialog::deleteRecord);
    connect(m_helpButton, &QToolButton::clicked, this, &ContactDialog::showHelp);
    connect(m_closeButton, &QToolButton::clicked, this, &ContactDialog::closeDialog);
    connect(m_funcGroup, &QButtonGroup::idClicked, this, &ContactDialog::fixedStringClicked);
}

void ContactDialog::showEvent(QShowEvent *event)
{
    VezoDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        prepareForMode();
    }
}

void ContactDialog::prepareForMode()
{
    m_ownHistoryLabel->hide();
    m_referenceCallLabel->hide();
    m_referenceHistoryLabel->hide();
    clearCompass();
    switch (m_mode) {
    case Input:
        refreshFromSettings();
        m_nextRecordLabel->setText(QString::number(m_state.nextRecordNo));
        field(Field::Callsign)->setFocus();
        // Read once now, so that leaving the callsign field never waits for the log.
        calls(m_ownCalls, m_state.logPath).refresh();
        if (m_state.referenceOn)
            calls(m_referenceCalls, m_state.referenceLogPath).refresh();
        break;
    case Modify:
        refreshFromSettings();
        m_recordNumberEdit->setFocus();
        break;
    case Delete:
        // The copy that "ﾛｸﾞﾌｧｲﾙ復元" puts back is taken before this visit's first deletion,
        // not on opening: a visit that deletes nothing must not replace it with a copy that
        // contacts registered later are missing from.
        m_backupTaken = false;
        m_recordNumberEdit->setFocus();
        break;
    default:
        m_recordNumberEdit->setFocus();
        break;
    }
}

void ContactDialog::refreshFromSettings()
{
    if (m_mode != Input && m_mode != Modify)
        return;
    for (std::size_t k = 0; k < m_funcButtons.size(); ++k)
        m_funcButtons[k]->setCaption(fromSjis(m_state.settings.fixedStrings[k]));
    setFieldSjis(Field::OwnPortableQth, m_state.settings.mobileCity);
    applyFieldLook();
    followRig();
}

void ContactDialog::showFixedString(int index, const QString &text)
{
    if ((m_mode == Input || m_mode == Modify) && index >= 0 &&
        index < static_cast<int>(m_funcButtons.size()))
        m_funcButtons[static_cast<std::size_t>(index)]->setCaption(text);
}

void ContactDialog::showOwnPortablePlace(const QString &city)
{
    if (m_mode == Input)
        setFieldSjis(Field::OwnPortableQth, toSjis(city).value_or(std::string()));
}

CityLookup *ContactDialog::qthDialog()
{
    if (!m_qth && m_makeCityLookup)
        m_qth = m_makeCityLookup(this);
    return m_qth;
}

void ContactDialog::done(int result)
{
    m_closing = true;
    stopFollowingRig();
    m_state.dialogModes.log = 0;
    VezoDialog::done(result);
}

// ---------------------------------------------------------------------------------------------
// Keys

bool ContactDialog::eventFilter(QObject *watched, QEvent *event)
{
    // The city lookup is a window of its own with its own keys.
    if (const auto *w = qobject_cast<QWidget *>(watched); w && w->window() != this)
        return false;
    if (event->type() == QEvent::KeyPress && handleDialogKey(static_cast<QKeyEvent *>(event)))
        return true;
    return VezoDialog::eventFilter(watched, event);
}

void ContactDialog::keyPressEvent(QKeyEvent *event)
{
    if (handleDialogKey(event))
        return;
    VezoDialog::keyPressEvent(event);
}

bool ContactDialog::handleDialogKey(QKeyEvent *event)
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

void ContactDialog::applyFixedString(int index)
{
    if (m_mode != Input && m_mode != Modify)
        return;
    const std::optional<Field> number = fieldOf(QApplication::focusWidget());
    if (!number)
        return;
    LogField *f = field(*number);
    const std::string text =
        toSjis(m_funcButtons[static_cast<std::size_t>(index)]->text()).value_or(std::string());
    // The portable area takes only what its keys would let through.
    if (*number == Field::PortableArea && !log::portableAreaOf(text) && !text.empty())
        return;
    setFieldSjis(*number, text);
    // The operator chose it: it counts as typed, so leaving the field acts on it.
    f->setChanged(true);
    focusNextChild();
}

void ContactDialog::fixedStringClicked(int index)
{
    applyFixedString(index);
}

std::optional<Field> ContactDialog::fieldOf(const QWidget *w) const
{
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i] == w)
            return static_cast<Field>(i);
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Field texts

void ContactDialog::setFieldSjis(Field f, std::string_view sjis)
{
    QString text = fromSjis(sjis::cutToWidth(sjis, log::maxTextBytes(f)));
    if (kFieldLooks[static_cast<std::size_t>(f)].upper)
        text = text.toUpper();
    field(f)->setText(text);
    field(f)->setChanged(false);
}

std::string ContactDialog::fieldSjis(Field f) const
{
    return toSjis(field(f)->text()).value_or(std::string());
}

log::FieldTexts ContactDialog::fieldTexts() const
{
    log::FieldTexts texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = fieldSjis(static_cast<Field>(i));
    return texts;
}

std::string ContactDialog::clockDate() const
{
    return log::clockDateText(m_state.clock->now(), m_state.currentArea);
}

std::string ContactDialog::clockTime() const
{
    return log::clockTimeText(m_state.clock->now(), m_state.currentArea);
}

int ContactDialog::callsignArea()
{
    m_state.prefixTable.refreshIfChanged();
    return log::classifyCallArea(fieldSjis(Field::Callsign), m_state.prefixTable);
}

void ContactDialog::showStandardRemark(int area)
{
    if (area >= 0 && area <= 9)
        m_standardRemarkLabel->setText(fromSjis(m_state.settings.domesticRemark));
    else if (area == log::kAbroad)
        m_standardRemarkLabel->setText(fromSjis(m_state.settings.foreignRemark));
}

void ContactDialog::clearFieldsRemarkAndQsl()
{
    for (LogField *f : m_fields)
        f->clearText();
    m_standardRemarkLabel->clear();
    m_qslCheck->setChecked(false);
}

void ContactDialog::clearCompass()
{
    ui::clearCompass(m_compass, palette().color(QPalette::Button));
    m_compassLabel->setPixmap(QPixmap::fromImage(m_compass));
    m_distanceLabel->clear();
    m_distanceLabel->hide();
}

void ContactDialog::clearContact()
{
    clearFieldsRemarkAndQsl();
    clearCompass();
    m_ownHistoryLabel->hide();
    m_referenceCallLabel->hide();
    m_referenceHistoryLabel->hide();
}

} // namespace vz::ui
