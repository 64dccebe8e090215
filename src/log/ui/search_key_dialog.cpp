// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/ui/search_key_dialog.h"

#include "common/ui/qt_text.h"
#include "common/ui/refused_character.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>

namespace vz::ui {

namespace {

struct ItemText
{
    const char *title;
    const char *help;
};

constexpr std::array<ItemText, 7> kItems{{
    {"コールサイン検索キー",
     "コールサインの頭から任意に指定した文字数に応じた検索をします。　例えば［ＪＡ］は "
     "JAxxxx の総て。"},
    {"ＪＣＣナンバー検索キー",
     "ＪＣＣの頭から任意に指定した桁数に応じた範囲を検索します。例えば 10 なら東京都全域"},
    {"周波数検索キー", "例えば１４Ｍｈｚ［１４］では１４４Ｍｈｚも含まれます。"},
    {"電波形式検索キー",
     "入力したモードスタイルで検索してください。 FM or F3, CW or A1, SSB or A3J など"},
    {"年月日検索キー", "［ 00/00/00 ］で検索してください。　月単位は［ 00/00 ］です。"},
    {"オペレータ名検索キー",
     "例えば［ 中 ］で検索すると中村、中野、中田、中井、等々が検索されます。"},
    {"策定したマーク検索キー", "個人ごとに策定したマークを入力した形でキーにしてください。"},
}};

const ItemText *itemText(int item)
{
    if (item < 1 || item > static_cast<int>(kItems.size()))
        return nullptr;
    return &kItems[static_cast<std::size_t>(item - 1)];
}

} // namespace

QValidator::State SearchKeyValidator::validate(QString &input, int &) const
{
    input = input.toUpper();
    if (sjisWidth(input))
        return Acceptable;
    reportRefusedCharacter(parent(), firstUnencodable(input));
    return Invalid;
}

QString SearchKeyDialog::titleFor(int item)
{
    const ItemText *t = itemText(item);
    return t ? QString::fromUtf8(t->title) : QString();
}

QString SearchKeyDialog::helpFor(int item)
{
    const ItemText *t = itemText(item);
    return t ? QString::fromUtf8(t->help) : QString();
}

SearchKeyDialog::SearchKeyDialog(app::AppState &state, UiServices &services, int item,
                                 QWidget *parent)
    : VezoDialog({state.settings.flatWindow, state.settings.keyClick}, services, parent),
      m_state(state), m_keyEdit(new QLineEdit(this)), m_helpLabel(new QLabel(this)),
      m_cancelButton(makeDialogButton(this, QStringLiteral("cancelButton"),
                                      QStringLiteral("中　止"), smallButtonAt(35, 230))),
      m_showButton(makeDialogButton(this, QStringLiteral("showButton"), QStringLiteral("表　示"),
                                    smallButtonAt(115, 229)))
{
    setObjectName(QStringLiteral("SearchKeyDialog"));
    setFixedSize(193, 261);
    setTitle(titleFor(item));

    m_keyEdit->setObjectName(QStringLiteral("keyEdit"));
    m_keyEdit->setGeometry(32, 88, 122, 20);
    QFont f = m_keyEdit->font();
    f.setPixelSize(15);
    m_keyEdit->setFont(f);
    m_keyEdit->setValidator(new SearchKeyValidator(m_keyEdit));

    m_helpLabel->setObjectName(QStringLiteral("helpLabel"));
    m_helpLabel->setGeometry(25, 124, 143, 96);
    m_helpLabel->setWordWrap(true);
    m_helpLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_helpLabel->setText(helpFor(item));

    m_showButton->setEnabled(false);
    // Enter moves on from the key to "表　示", which a space then presses.
    setTabOrder(m_keyEdit, m_showButton);
    setTabOrder(m_showButton, m_cancelButton);

    connect(m_keyEdit, &QLineEdit::textChanged, this, &SearchKeyDialog::keyEdited);
    connect(m_cancelButton, &QPushButton::clicked, this, &SearchKeyDialog::cancelSearch);
    connect(m_showButton, &QPushButton::clicked, this, &SearchKeyDialog::showResults);
    m_keyEdit->setFocus();
}

void SearchKeyDialog::showEvent(QShowEvent *event)
{
    VezoDialog::showEvent(event);
    // This one field takes its border the other way round from the other dialogs' fields: a
    // single line with the flat look, none without it.
    m_keyEdit->setFrame(m_state.settings.flatWindow);
}

void SearchKeyDialog::keyEdited()
{
    m_showButton->setEnabled(!m_keyEdit->text().isEmpty());
}

void SearchKeyDialog::cancelSearch()
{
    reject();
}

void SearchKeyDialog::showResults()
{
    if (m_keyEdit->text().isEmpty())
        return;
    accept();
}

void SearchKeyDialog::reject()
{
    // Cancelling hands on an empty key, whichever way the dialog is left.
    m_keyEdit->clear();
    VezoDialog::reject();
}

void SearchKeyDialog::done(int result)
{
    m_state.searchKey = toSjis(m_keyEdit->text()).value_or(std::string());
    m_keyEdit->clear();
    VezoDialog::done(result);
}

} // namespace vz::ui
