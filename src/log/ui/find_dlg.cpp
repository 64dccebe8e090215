// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/ui/find_dlg.h"

#include "common/ui/qt_text.h"

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
    return sjisWidth(input) ? Acceptable : Invalid;
}

QString TFindDlg::titleFor(int item)
{
    const ItemText *t = itemText(item);
    return t ? QString::fromUtf8(t->title) : QString();
}

QString TFindDlg::helpFor(int item)
{
    const ItemText *t = itemText(item);
    return t ? QString::fromUtf8(t->help) : QString();
}

TFindDlg::TFindDlg(app::AppState &state, UiServices &services, int item, QWidget *parent)
    : VezoDialog(state, services, parent), Edit1(new QLineEdit(this)), Label1(new QLabel(this)),
      SpeedButton1(makeDialogButton(this, QStringLiteral("SpeedButton1"), QStringLiteral("中　止"),
                                    smallButtonAt(35, 230))),
      SpeedButton2(makeDialogButton(this, QStringLiteral("SpeedButton2"), QStringLiteral("表　示"),
                                    smallButtonAt(115, 229)))
{
    setObjectName(QStringLiteral("FindDlg"));
    setFixedSize(193, 261);
    setTitle(titleFor(item));

    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(32, 88, 122, 20);
    QFont f = Edit1->font();
    f.setPixelSize(15);
    Edit1->setFont(f);
    Edit1->setValidator(new SearchKeyValidator(Edit1));

    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(25, 124, 143, 96);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setText(helpFor(item));

    SpeedButton2->setEnabled(false);
    // Enter moves on from the key to "表　示", which a space then presses.
    setTabOrder(Edit1, SpeedButton2);
    setTabOrder(SpeedButton2, SpeedButton1);

    connect(Edit1, &QLineEdit::textChanged, this, &TFindDlg::Edit1Change);
    connect(SpeedButton1, &QPushButton::clicked, this, &TFindDlg::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TFindDlg::SpeedButton2Click);
    Edit1->setFocus();
}

void TFindDlg::showEvent(QShowEvent *event)
{
    VezoDialog::showEvent(event);
    // This one field takes its border the other way round from the other dialogs' fields: a
    // single line with the flat look, none without it.
    Edit1->setFrame(m_state.settings.flatWindow);
}

void TFindDlg::Edit1Change()
{
    SpeedButton2->setEnabled(!Edit1->text().isEmpty());
}

void TFindDlg::SpeedButton1Click()
{
    reject();
}

void TFindDlg::SpeedButton2Click()
{
    if (Edit1->text().isEmpty())
        return;
    accept();
}

void TFindDlg::reject()
{
    // Cancelling hands on an empty key, whichever way the dialog is left.
    Edit1->clear();
    VezoDialog::reject();
}

void TFindDlg::done(int result)
{
    m_state.searchKey = toSjis(Edit1->text()).value_or(std::string());
    Edit1->clear();
    VezoDialog::done(result);
}

} // namespace vz::ui
