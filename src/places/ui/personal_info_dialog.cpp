// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/ui/personal_info_dialog.h"

#include "app/session.h"
#include "calendar/ui/time_zone_notice.h"
#include "common/ui/hint_bar.h"
#include "common/ui/qt_text.h"
#include "common/ui/sjis_field_validator.h"
#include "log/call_area.h"
#include "log/confirmation_mark.h"
#include "log/qso_record.h"
#include "lotw/ui/tqsl_page.h"
#include "places/own_location.h"
#include "rig/ui/rig_connection_page.h"
#include "wsjtx/ui/wsjtx_page.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

namespace vz::ui {

namespace {

constexpr int kWidth = 787;
constexpr int kHeight = 333;
// What a profile value reads back at most; longer texts would not survive a read.
constexpr std::size_t kSettingsTextBytes = 2047;
constexpr std::size_t kPrefixLineBytes = 255;

QLabel *addLabel(QWidget *page, const QString &text, const QRect &at, const char *name = nullptr)
{
    auto *l = new QLabel(text, page);
    if (name)
        l->setObjectName(QString::fromUtf8(name));
    l->setGeometry(at);
    return l;
}

// The city and position of an own place: shown only, on a sunken strip.
QLabel *addValueLabel(QWidget *page, const char *name, const QRect &at)
{
    QLabel *l = addLabel(page, QString(), at, name);
    l->setFrameShape(QFrame::StyledPanel);
    l->setFrameShadow(QFrame::Sunken);
    return l;
}

} // namespace

PersonalInfoDialog::PersonalInfoDialog(app::AppState &state, UiServices &services, QWidget *parent)
    : VezoDialog({state.settings.flatWindow, state.settings.keyClick}, services, parent),
      m_state(state)
{
    setObjectName(QStringLiteral("PersonalInfoDialog"));
    setFixedSize(kWidth, kHeight);
    setTitle(QStringLiteral("個人情報"));
    setGreyFrame(true);
    setModal(true);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->setGeometry(12, 34, 763, 258);
    m_pages->addTab(buildFixedStringsPage(), QStringLiteral("定型文字列情報"));
    m_pages->addTab(buildOwnPlacesPage(), QStringLiteral("個人所在地情報"));
    m_pages->addTab(buildCardItemsPage(), QStringLiteral("カード項目情報"));
    m_pages->addTab(buildInputOptionsPage(), QStringLiteral("入力時の情報"));
    m_pages->addTab(buildSpecialPrefixesPage(), QStringLiteral("特例プリフィックス情報"));
    m_pages->addTab(m_rigPage = new RigConnectionPage(m_state), QStringLiteral("リグ接続"));
    connect(m_rigPage, &RigConnectionPage::edited, this, &PersonalInfoDialog::setChanged);
    m_pages->addTab(m_wsjtxPage = new WsjtxPage(m_state), QStringLiteral("WSJT-X連携"));
    connect(m_wsjtxPage, &WsjtxPage::edited, this, &PersonalInfoDialog::setChanged);
    m_pages->addTab(m_tqslPage = new TqslPage(m_state), QStringLiteral("LoTW"));
    connect(m_tqslPage, &TqslPage::edited, this, &PersonalInfoDialog::setChanged);
    connect(m_pages, &QTabWidget::currentChanged, this, &PersonalInfoDialog::enterPage);
    m_pages->tabBar()->installEventFilter(this);

    m_applyButton = makeDialogButton(this, QStringLiteral("applyButton"), QStringLiteral("適　用"),
                                     QRect(455, 298, 72, 24));
    m_cancelButton = makeDialogButton(this, QStringLiteral("cancelButton"),
                                      QStringLiteral("中　止"), QRect(535, 298, 72, 24));
    m_closeButton = makeDialogButton(this, QStringLiteral("closeButton"), QStringLiteral("終　了"),
                                     QRect(615, 298, 72, 24));
    m_helpButton = makeDialogButton(this, QStringLiteral("helpButton"), QStringLiteral("ヘルプ"),
                                    QRect(695, 298, 72, 24));
    // The computer's clock gives every JST time: say so when it is not on Japanese time.
    const QString zoneNotice = timeZoneNotice(calendar::takeClockSnapshot(*m_state.clock));
    if (!zoneNotice.isEmpty()) {
        QLabel *note = addLabel(this, zoneNotice + QLatin1Char(' ') + timeZoneAdvice(),
                                QRect(12, 293, 438, 38), "timeZoneNote");
        note->setWordWrap(true);
        QFont small = note->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        note->setFont(small);
        note->setStyleSheet(QStringLiteral("color: #b00000;"));
        note->setToolTip(timeZoneAdvice());
    }
    m_applyButton->setEnabled(false);
    connect(m_applyButton, &QPushButton::clicked, this, &PersonalInfoDialog::applySettings);
    connect(m_cancelButton, &QPushButton::clicked, this, &PersonalInfoDialog::cancelEdits);
    connect(m_closeButton, &QPushButton::clicked, this, &PersonalInfoDialog::finish);
    connect(m_helpButton, &QPushButton::clicked, this, &PersonalInfoDialog::openHelp);
    adoptChildren();
}

QLineEdit *PersonalInfoDialog::addTextField(QWidget *page, const char *name,
                                            std::string app::UserSettings::*member, const QRect &at,
                                            bool kana)
{
    auto *edit = new QLineEdit(page);
    edit->setObjectName(QString::fromUtf8(name));
    edit->setGeometry(at);
    edit->setValidator(new SjisFieldValidator(kSettingsTextBytes, false, edit));
    // Japanese fields invite the input method; the others ask for Latin letters.
    edit->setInputMethodHints(kana ? Qt::ImhNone : Qt::ImhPreferLatin);
    if (member) {
        m_textFields.push_back({edit, member});
        connect(edit, &QLineEdit::textEdited, this, [this, edit, member](const QString &text) {
            m_state.settings.*member = toSjis(text).value_or(std::string());
            setChanged();
        });
    }
    return edit;
}

QWidget *PersonalInfoDialog::buildFixedStringsPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("fixedStringsPage"));
    for (int k = 0; k < 10; ++k) {
        const int column = k / 5;
        const int y = 12 + 28 * (k % 5);
        const int x = 16 + 372 * column;
        QLabel *label = addLabel(page, k < 9 ? QStringLiteral("F %1").arg(k + 1) : "F10",
                                 QRect(x, y + 2, 30, 18));
        if (k == 0)
            setHint(label, QStringLiteral(
                               "|ここで入力された文字列はファンクションキーに格納されます（以下 "
                               "F10 まで）"));
        QLineEdit *edit =
            addTextField(page, qPrintable(QStringLiteral("fixedString%1Edit").arg(k + 1)), nullptr,
                         QRect(x + 34, y, 320, 22), true);
        connect(edit, &QLineEdit::textEdited, this, [this, k](const QString &text) {
            m_state.settings.fixedStrings[static_cast<std::size_t>(k)] =
                toSjis(text).value_or(std::string());
            setChanged();
            Q_EMIT fixedStringEdited(k, text);
        });
        m_fixedStringEdits[static_cast<std::size_t>(k)] = edit;
    }
    QLabel *note = addLabel(page,
                            QStringLiteral("ここで記入された文字列は、交信記録編集の画面のファンク"
                                           "ションキーに表示され、ワンタッチで編集項目に転送でき"
                                           "ます。"),
                            QRect(16, 160, 730, 18), "fixedStringsNote");
    note->setWordWrap(true);
    addLabel(page,
             QStringLiteral("【注】　ただし、 F10 では全角文字を避けてください。　　日本語変換の機"
                            "能と競合します。"),
             QRect(16, 186, 730, 18), "functionKeyNote");
    return page;
}

QWidget *PersonalInfoDialog::buildOwnPlacesPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("ownPlacesPage"));
    QLabel *fixedCaption = addLabel(page, QStringLiteral("固定所在地JCC"), QRect(16, 10, 96, 18));
    setHint(fixedCaption, QStringLiteral("|JCC番号をいれます"));
    m_fixedJccEdit = addTextField(page, "fixedJccEdit", &app::UserSettings::fixedJcc,
                                  QRect(112, 8, 84, 22), false);
    setHint(m_fixedJccEdit, QStringLiteral("|JCC番号をいれます"));
    addLabel(page, QStringLiteral("固定市区町村"), QRect(214, 10, 96, 18));
    m_fixedCityLabel = addValueLabel(page, "fixedCityLabel", QRect(312, 8, 200, 22));
    addLabel(page, QStringLiteral("固定緯度・経度"), QRect(214, 34, 96, 18));
    m_fixedPositionLabel = addValueLabel(page, "fixedPositionLabel", QRect(312, 32, 420, 22));

    addLabel(page, QStringLiteral("氏名（漢字）"), QRect(16, 60, 96, 18));
    addTextField(page, "kanjiNameEdit", &app::UserSettings::kanjiName, QRect(112, 58, 200, 22),
                 true);
    addLabel(page, QStringLiteral("氏名（英文）"), QRect(330, 60, 80, 18));
    addTextField(page, "latinNameEdit", &app::UserSettings::latinName, QRect(412, 58, 320, 22),
                 false);
    addLabel(page, QStringLiteral("漢字住所"), QRect(16, 86, 96, 18));
    addTextField(page, "kanjiAddressEdit", &app::UserSettings::kanjiAddress,
                 QRect(112, 84, 620, 22), true);
    addLabel(page, QStringLiteral("英文住所"), QRect(16, 112, 96, 18));
    addTextField(page, "latinAddressEdit", &app::UserSettings::latinAddress,
                 QRect(112, 110, 620, 22), false);

    m_mobileCheck = new QCheckBox(QStringLiteral("継続して移動運用する"), page);
    m_mobileCheck->setObjectName(QStringLiteral("mobileCheck"));
    m_mobileCheck->setGeometry(16, 138, 180, 22);
    connect(m_mobileCheck, &QCheckBox::clicked, this, &PersonalInfoDialog::mobileOperationClicked);
    m_endMobileButton = makeDialogButton(page, QStringLiteral("endMobileButton"),
                                         QStringLiteral("移動運用解除"), QRect(200, 137, 100, 24));
    m_endMobileButton->setEnabled(false);
    connect(m_endMobileButton, &QPushButton::clicked, this,
            &PersonalInfoDialog::endMobileOperation);
    addLabel(page, QStringLiteral("※　住所の文字数などカード印刷と合わせて調節してください"),
             QRect(330, 140, 400, 18), "addressNote");

    QLabel *mobileCaption = addLabel(page, QStringLiteral("移動所在地JCC"), QRect(16, 168, 96, 18));
    setHint(mobileCaption, QStringLiteral("|移動先JCC番号をいれます"));
    m_mobileJccEdit = addTextField(page, "mobileJccEdit", &app::UserSettings::mobileJcc,
                                   QRect(112, 166, 84, 22), false);
    setHint(m_mobileJccEdit, QStringLiteral("|移動先JCC番号をいれます"));
    addLabel(page, QStringLiteral("移動市区町村"), QRect(214, 168, 96, 18));
    m_mobileCityLabel = addValueLabel(page, "mobileCityLabel", QRect(312, 166, 200, 22));
    addLabel(page, QStringLiteral("移動緯度・経度"), QRect(214, 194, 96, 18));
    m_mobilePositionLabel = addValueLabel(page, "mobilePositionLabel", QRect(312, 192, 420, 22));

    connect(m_fixedJccEdit, &QLineEdit::textEdited, this,
            [this](const QString &text) { placeEdited(Place::Fixed, text); });
    connect(m_mobileJccEdit, &QLineEdit::textEdited, this,
            [this](const QString &text) { placeEdited(Place::Mobile, text); });
    return page;
}

QWidget *PersonalInfoDialog::buildCardItemsPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("cardItemsPage"));
    addLabel(page, QStringLiteral("ＱＳＬカード　Ｎｏ．"), QRect(16, 14, 130, 18));
    addTextField(page, "cardNoEdit", &app::UserSettings::cardNo, QRect(150, 12, 90, 22), false);
    // The mark goes into a contact's user mark, so it is no longer than that field.
    QLabel *mark = addLabel(page, QStringLiteral("受領確認マーク"), QRect(570, 14, 96, 18));
    QLineEdit *markEdit =
        addTextField(page, "confirmationMarkEdit", &app::UserSettings::confirmationMark,
                     QRect(670, 12, 70, 22), true);
    markEdit->setValidator(
        new SjisFieldValidator(log::maxTextBytes(log::Field::UserMark), false, markEdit));
    for (QWidget *w : {static_cast<QWidget *>(mark), static_cast<QWidget *>(markEdit)})
        setHint(w, QStringLiteral("|カードを受け取った交信の「ユーザ設定マーク」に入れる文字。"
                                  "アワードの確認数に数えます"));
    // The electronic confirmations' marks, beside the card's and as long.
    const struct
    {
        const char *caption;
        const char *name;
        std::string app::UserSettings::*member;
        const char *hint;
        int y;
    } electronic[] = {
        {"LoTWマーク", "lotwMarkEdit", &app::UserSettings::lotwMark,
         "|LoTW で確認された交信の「ユーザ設定マーク」に入れる文字", 42},
        {"eQSLマーク", "eqslMarkEdit", &app::UserSettings::eqslMark,
         "|eQSL で確認された交信の「ユーザ設定マーク」に入れる文字", 70},
    };
    for (const auto &e : electronic) {
        QLabel *caption = addLabel(page, QString::fromUtf8(e.caption), QRect(570, e.y + 2, 96, 18));
        QLineEdit *edit = addTextField(page, e.name, e.member, QRect(670, e.y, 70, 22), false);
        edit->setValidator(
            new SjisFieldValidator(log::maxTextBytes(log::Field::UserMark), false, edit));
        for (QWidget *w : {static_cast<QWidget *>(caption), static_cast<QWidget *>(edit)})
            setHint(w, QString::fromUtf8(e.hint));
    }
    addLabel(page, QStringLiteral("無線機"), QRect(16, 42, 130, 18));
    addTextField(page, "rigEdit", &app::UserSettings::rig, QRect(150, 40, 400, 22), false);
    addLabel(page, QStringLiteral("アンテナ"), QRect(16, 70, 130, 18));
    addTextField(page, "antennaEdit", &app::UserSettings::antenna, QRect(150, 68, 400, 22), false);
    QLabel *domestic = addLabel(page, QStringLiteral("備考（標準）"), QRect(16, 98, 130, 18));
    setHint(domestic, QStringLiteral("|国内向けカード用の備考"));
    QLineEdit *domesticEdit =
        addTextField(page, "domesticRemarkEdit", &app::UserSettings::domesticRemark,
                     QRect(150, 96, 590, 22), true);
    setHint(domesticEdit, QStringLiteral("|国内向けカード用の備考"));
    QLabel *foreign = addLabel(page, QStringLiteral("Rem(Std)"), QRect(16, 126, 130, 18));
    setHint(foreign, QStringLiteral("|国外向けカード用の備考"));
    QLineEdit *foreignEdit =
        addTextField(page, "foreignRemarkEdit", &app::UserSettings::foreignRemark,
                     QRect(150, 124, 590, 22), false);
    setHint(foreignEdit, QStringLiteral("|国外向けカード用の備考"));
    addLabel(page, QStringLiteral("カードに追加する情報（Ｅメールアドレス・その他）"),
             QRect(16, 154, 400, 18));
    addTextField(page, "extraInfoEdit", &app::UserSettings::extraInfo, QRect(16, 174, 724, 22),
                 false);
    addLabel(page, QStringLiteral("※　各項目の文字数などカード印刷と合わせて調節してください"),
             QRect(16, 206, 500, 18), "cardItemsNote");
    return page;
}

QCheckBox *PersonalInfoDialog::addOption(QWidget *page, const char *name, const char *caption,
                                         int y, bool app::UserSettings::*member, bool marksChange)
{
    auto *box = new QCheckBox(QString::fromUtf8(caption), page);
    box->setObjectName(QString::fromUtf8(name));
    box->setGeometry(24, y, 520, 22);
    m_options.emplace_back(box, member);
    connect(box, &QCheckBox::clicked, this, [this, member, marksChange](bool checked) {
        m_state.settings.*member = checked;
        if (member == &app::UserSettings::flatWindow)
            applyFieldLook();
        // The reserved options have no effect anywhere and do not ask for a write.
        if (marksChange)
            setChanged();
    });
    return box;
}

QWidget *PersonalInfoDialog::buildInputOptionsPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("inputOptionsPage"));
    addOption(page, "historyFillCheck", "交信履歴自動記入（交信年月日から氏名欄まで）", 16,
              &app::UserSettings::historyFill, true);
    addOption(page, "autoDateTimeCheck", "交信年月日・開始時刻の自動入力", 46,
              &app::UserSettings::autoDateTime, true);
    addOption(page, "keyClickCheck", "キークリック音を有効にする", 76, &app::UserSettings::keyClick,
              true);
    addOption(page, "flatWindowCheck", "入力ウインドウを平面化（デフォルトは立体）", 106,
              &app::UserSettings::flatWindow, true);
    addOption(page, "reserve1Check", "予備", 136, &app::UserSettings::reserve1, false);
    addOption(page, "reserve2Check", "予備", 166, &app::UserSettings::reserve2, false);
    return page;
}

QWidget *PersonalInfoDialog::buildSpecialPrefixesPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("specialPrefixesPage"));
    auto *group = new QGroupBox(QStringLiteral("特例プリフィックス編集"), page);
    group->setObjectName(QStringLiteral("prefixGroup"));
    group->setGeometry(12, 6, 560, 192);
    m_prefixListBox = new QListWidget(group);
    m_prefixListBox->setObjectName(QStringLiteral("prefixList"));
    m_prefixListBox->setGeometry(12, 24, 240, 158);
    connect(m_prefixListBox, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { prefixLineClicked(m_prefixListBox->row(item)); });
    addLabel(group, QStringLiteral("入力欄"), QRect(272, 26, 80, 18));
    m_prefixEdit = new QLineEdit(group);
    m_prefixEdit->setObjectName(QStringLiteral("prefixEdit"));
    m_prefixEdit->setGeometry(272, 46, 180, 22);
    m_prefixEdit->setValidator(new SjisFieldValidator(kPrefixLineBytes, true, m_prefixEdit));
    connect(m_prefixEdit, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (!text.isEmpty())
            m_prefixSaveButton->setEnabled(true);
    });

    struct Command
    {
        const char *name;
        const char *caption;
        const char *hint;
        void (PersonalInfoDialog::*action)();
    };
    const Command commands[] = {
        {"prefixAddButton", "追加", "|新しいデータを入力してください",
         &PersonalInfoDialog::addPrefixLine},
        {"prefixReplaceButton", "修正", "|一覧表から修正分をクリックしてください",
         &PersonalInfoDialog::replacePrefixLine},
        {"prefixRemoveButton", "削除", "|一覧表から削除分をクリックしてください",
         &PersonalInfoDialog::removePrefixLine},
        {"prefixCancelButton", "中止", "|処理以前の状態に戻します",
         &PersonalInfoDialog::cancelPrefixEdits},
        {"prefixSaveButton", "保存", "|各種処理後の状態を保存します",
         &PersonalInfoDialog::savePrefixList},
    };
    int x = 272;
    for (const Command &c : commands) {
        QPushButton *b = makeDialogButton(group, QString::fromUtf8(c.name),
                                          QString::fromUtf8(c.caption), QRect(x, 84, 52, 24));
        setHint(b, QString::fromUtf8(c.hint));
        connect(b, &QPushButton::clicked, this, c.action);
        x += 56;
        if (c.action == &PersonalInfoDialog::savePrefixList)
            m_prefixSaveButton = b;
    }
    m_prefixSaveButton->setEnabled(false);
    QLabel *note = addLabel(page,
                            QStringLiteral("市販（特注）カード及びはがき（白紙）の印刷項目は、それ"
                                           "ぞれの印刷メニューで設定してください。"),
                            QRect(16, 204, 730, 18), "printItemsNote");
    note->setWordWrap(true);
    return page;
}

void PersonalInfoDialog::showEvent(QShowEvent *event)
{
    VezoDialog::showEvent(event);
    showSettings();
    m_applyButton->setEnabled(false);
    m_closing = false;
    enterPage(m_pages->currentIndex());
    m_page = 0; // the help knows no page until one is entered
}

void PersonalInfoDialog::showSettings()
{
    const app::UserSettings &s = m_state.settings;
    for (std::size_t k = 0; k < m_fixedStringEdits.size(); ++k)
        m_fixedStringEdits[k]->setText(fromSjis(s.fixedStrings[k]));
    for (const TextField &field : m_textFields)
        field.edit->setText(fromSjis(s.*field.member));
    m_fixedCityLabel->setText(fromSjis(s.fixedCity));
    m_fixedPositionLabel->setText(fromSjis(s.fixedLatLon));
    m_mobileCityLabel->setText(fromSjis(s.mobileCity));
    m_mobilePositionLabel->setText(fromSjis(s.mobileLatLon));
    for (const auto &[box, member] : m_options)
        box->setChecked(s.*member);
    m_mobileCheck->setChecked(s.mobileOperation);
    m_endMobileButton->setEnabled(s.mobileOperation);
    m_fixedJccChanged = false;
    m_mobileJccChanged = false;
    m_rigPage->load();
    m_wsjtxPage->load();
    m_shownMarks = {s.confirmationMark, s.lotwMark, s.eqslMark};
    m_tqslPage->load();
    applyFieldLook();
}

void PersonalInfoDialog::enterPage(int index)
{
    m_page = index + 1;
    static const char *const kFirstFields[] = {"fixedString1Edit", "fixedJccEdit", "cardNoEdit",
                                               "historyFillCheck", "prefixEdit",   "noRigRadio",
                                               "enabledCheck"};
    if (index >= 0 && index < static_cast<int>(std::size(kFirstFields)))
        if (auto *first = findChild<QWidget *>(QString::fromUtf8(kFirstFields[index])))
            first->setFocus();
    if (m_page == SpecialPrefixes)
        m_prefixSaveButton->setEnabled(false);
}

void PersonalInfoDialog::setChanged()
{
    m_applyButton->setEnabled(true);
}

bool PersonalInfoDialog::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return VezoDialog::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn && watched == m_pages->tabBar())
        enterPage(m_pages->currentIndex());
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            if (m_state.settings.keyClick)
                m_services.keyClick.play();
            // The arrows walk the controls, in every control, the list included.
            if (key->key() == Qt::Key_Up)
                focusPreviousChild();
            else
                focusNextChild();
            return true;
        }
        const bool movesOn = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab ||
                             key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                             key->key() == Qt::Key_Shift || key->key() == Qt::Key_Control ||
                             key->key() == Qt::Key_Alt || key->key() == Qt::Key_Meta;
        if (watched == m_mobileJccEdit && !m_mobileCheck->isChecked() && !movesOn) {
            if (m_state.settings.keyClick)
                m_services.keyClick.play();
            m_services.messages.notice(
                QStringLiteral("「継続して移動運用する」をチェックしてください"));
            m_mobileCheck->setFocus();
            return true;
        }
    }
    const bool handled = VezoDialog::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut &&
        (watched == m_fixedJccEdit || watched == m_mobileJccEdit)) {
        // The JCC fields keep the window colour once left.
        setFieldFocusLook(widget, true);
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            lookUpPlace(watched == m_fixedJccEdit ? Place::Fixed : Place::Mobile);
    }
    return handled;
}

void PersonalInfoDialog::placeEdited(Place place, const QString &text)
{
    (place == Place::Fixed ? m_fixedJccChanged : m_mobileJccChanged) = true;
    if (!text.isEmpty())
        return;
    // Emptied: the city and position go, the coordinates stay for distance and bearing.
    app::UserSettings &s = m_state.settings;
    if (place == Place::Fixed) {
        m_fixedCityLabel->clear();
        m_fixedPositionLabel->clear();
        s.fixedCity.clear();
        s.fixedLatLon.clear();
    } else {
        m_mobileCityLabel->clear();
        m_mobilePositionLabel->clear();
        s.mobileCity.clear();
        s.mobileLatLon.clear();
    }
    setChanged();
}

void PersonalInfoDialog::lookUpPlace(Place place)
{
    const bool fixed = place == Place::Fixed;
    bool &changed = fixed ? m_fixedJccChanged : m_mobileJccChanged;
    QLineEdit *edit = fixed ? m_fixedJccEdit : m_mobileJccEdit;
    if (!changed || edit->text().isEmpty())
        return;
    changed = false;
    const std::string jcc = toSjis(edit->text()).value_or(std::string());
    m_state.currentArea = log::jccAreaOf(jcc);
    const places::OwnCity city = places::lookupOwnCity(m_state.dataDir, jcc);
    if (!city.found) {
        m_services.messages.notice(QStringLiteral("この JCCｺｰﾄﾞ は該当ありませんでした"));
        edit->clear();
        (fixed ? m_state.settings.fixedJcc : m_state.settings.mobileJcc).clear();
        edit->setFocus();
        return;
    }
    app::UserSettings &s = m_state.settings;
    (fixed ? s.fixedSpot : s.mobileSpot) = city.spot;
    (fixed ? s.fixedCity : s.mobileCity) = city.city;
    (fixed ? s.fixedLatLon : s.mobileLatLon) = city.positionText;
    (fixed ? m_fixedCityLabel : m_mobileCityLabel)->setText(fromSjis(city.city));
    (fixed ? m_fixedPositionLabel : m_mobilePositionLabel)->setText(fromSjis(city.positionText));
    if (!fixed)
        Q_EMIT ownPortablePlaceChanged(fromSjis(city.city));
}

void PersonalInfoDialog::mobileOperationClicked()
{
    const bool on = m_mobileCheck->isChecked();
    m_state.settings.mobileOperation = on;
    m_endMobileButton->setEnabled(on);
    if (!on) {
        m_mobileJccEdit->clear();
        m_mobileCityLabel->clear();
        m_mobilePositionLabel->clear();
        app::UserSettings &s = m_state.settings;
        s.mobileJcc.clear();
        s.mobileCity.clear();
        s.mobileLatLon.clear();
        m_mobileJccChanged = false;
    }
    setChanged();
}

void PersonalInfoDialog::endMobileOperation()
{
    m_mobileCheck->setChecked(false);
    mobileOperationClicked();
    Q_EMIT ownPortablePlaceChanged(QString());
}

bool PersonalInfoDialog::newMarksAccepted()
{
    const app::UserSettings &s = m_state.settings;
    const std::array<std::pair<const char *, const std::string *>, 3> marks{{
        {"受領確認マーク", &s.confirmationMark},
        {"LoTWマーク", &s.lotwMark},
        {"eQSLマーク", &s.eqslMark},
    }};
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const std::string &mark = *marks[i].second;
        if (mark == m_shownMarks[i])
            continue;
        const std::optional<std::int64_t> held = log::contactsHoldingMark(m_state.logPath, mark);
        if (!held || *held == 0)
            continue;
        if (!m_services.messages.confirm(
                QStringLiteral("%1「%2」をユーザ設定マークに含む交信がすでに %3 件あります。\n"
                               "これらも確認済みに数えられます。このマークにしますか？")
                    .arg(QString::fromUtf8(marks[i].first), fromSjis(mark))
                    .arg(*held)))
            return false;
    }
    return true;
}

bool PersonalInfoDialog::writeSettings()
{
    if (!newMarksAccepted())
        return false; // the edits stay, for the operator to choose another mark
    if (app::saveSettings(m_state) && m_rigPage->save() && m_wsjtxPage->save() &&
        m_tqslPage->save())
        return true;
    m_services.messages.writeFailed(QString::fromStdString(m_state.settingsPath));
    return false;
}

void PersonalInfoDialog::readSettings()
{
    if (!app::reloadSettings(m_state))
        m_services.messages.error(QStringLiteral("設定ファイルを読めませんでした。\n%1")
                                      .arg(QString::fromStdString(m_state.settingsPath)));
    m_state.ownLocation = app::chooseOwnLocation(m_state.settings);
    showSettings();
}

void PersonalInfoDialog::applySettings()
{
    if (!writeSettings())
        return; // the edits stay, and so does "適　用"
    readSettings();
    m_applyButton->setEnabled(false);
}

void PersonalInfoDialog::cancelEdits()
{
    m_fixedJccChanged = m_mobileJccChanged = false;
    readSettings();
    m_applyButton->setEnabled(false);
    Q_EMIT settingsReloaded();
    m_closing = true;
    accept();
}

void PersonalInfoDialog::finish()
{
    if (m_applyButton->isEnabled() && !writeSettings())
        return; // nothing is thrown away that could not be written
    readSettings();
    m_applyButton->setEnabled(false);
    Q_EMIT settingsReloaded();
    m_closing = true;
    accept();
}

void PersonalInfoDialog::openHelp()
{
    // Before any page was entered the context is 0, which opens nothing.
    m_services.help.showTopic(helpContext());
}

void PersonalInfoDialog::reject()
{
    if (m_closing)
        VezoDialog::reject();
}

void PersonalInfoDialog::done(int result)
{
    m_state.dialogModes.environ = 0;
    VezoDialog::done(result);
}

// ---------------------------------------------------------------------------------------------
// The special-prefix list

bool PersonalInfoDialog::loadPrefixList()
{
    const bool read = m_prefixes.load(m_state.prefixPath);
    showPrefixList();
    return read;
}

void PersonalInfoDialog::showPrefixList()
{
    m_prefixListBox->clear();
    for (const std::string &line : m_prefixes.lines())
        m_prefixListBox->addItem(fromSjis(line));
}

void PersonalInfoDialog::prefixLineClicked(int row)
{
    m_prefixes.pick(row);
    if (m_prefixes.pickedIsValid())
        m_prefixEdit->setText(fromSjis(m_prefixes.lines()[static_cast<std::size_t>(row)]));
    m_prefixEdit->setFocus();
    m_prefixSaveButton->setEnabled(true);
}

void PersonalInfoDialog::addPrefixLine()
{
    const std::string line = toSjis(m_prefixEdit->text()).value_or(std::string());
    switch (m_prefixes.add(line)) {
    case places::PrefixList::AddResult::Empty:
        m_services.messages.notice(QStringLiteral("追加分が入力されていません"));
        break;
    case places::PrefixList::AddResult::Exists:
        m_services.messages.notice(QStringLiteral("既に存在します"));
        break;
    case places::PrefixList::AddResult::Added:
        showPrefixList();
        m_prefixSaveButton->setEnabled(true);
        break;
    }
    m_prefixEdit->clear();
}

void PersonalInfoDialog::replacePrefixLine()
{
    if (m_prefixes.replacePicked(toSjis(m_prefixEdit->text()).value_or(std::string()))) {
        showPrefixList();
        m_prefixSaveButton->setEnabled(true);
    }
    m_prefixEdit->clear();
}

void PersonalInfoDialog::removePrefixLine()
{
    if (m_prefixes.removePicked()) {
        showPrefixList();
        m_prefixSaveButton->setEnabled(true);
    }
    m_prefixEdit->clear();
}

void PersonalInfoDialog::cancelPrefixEdits()
{
    m_prefixEdit->clear();
    m_prefixSaveButton->setEnabled(false);
    if (!loadPrefixList())
        m_services.messages.error(QStringLiteral("ファイルを読めませんでした。\n%1")
                                      .arg(QString::fromStdString(m_state.prefixPath)));
}

void PersonalInfoDialog::savePrefixList()
{
    if (!m_prefixes.save(m_state.prefixPath)) {
        m_services.messages.writeFailed(QString::fromStdString(m_state.prefixPath));
        return;
    }
    m_prefixSaveButton->setEnabled(false);
    // The classification reads the new lines now, not when the file's time next changes.
    m_state.prefixTable.setPath(m_state.prefixPath);
    m_state.prefixTable.refreshIfChanged();
    Q_EMIT prefixTableSaved();
}

} // namespace vz::ui
