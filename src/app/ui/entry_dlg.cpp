// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/entry_dlg.h"

#include "app/user_registry.h"
#include "common/data_dir.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace vz::ui {

QValidator::State CallsignValidator::validate(QString &input, int &) const
{
    input = input.toUpper();
    if (input.size() > 10)
        return Invalid;
    for (QChar c : input)
        if (!((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
              (c >= QLatin1Char('0') && c <= QLatin1Char('9'))))
            return Invalid;
    return input.isEmpty() ? Intermediate : Acceptable;
}

TEntryDlg::TEntryDlg(app::AppState &state, UiServices &services, int mode, QWidget *parent)
    : VezoDialog(state, services, parent), m_mode(mode), Label1(new QLabel(this)),
      Label2(new QLabel(this)), Edit1(new QLineEdit(this)),
      SpeedButton1(makeDialogButton(this, QStringLiteral("SpeedButton1"), QStringLiteral("登録"),
                                    smallButtonAt(115, 229))),
      SpeedButton2(makeDialogButton(this, QStringLiteral("SpeedButton2"), QStringLiteral("印刷"),
                                    smallButtonAt(115, 229))),
      SpeedButton3(makeDialogButton(this, QStringLiteral("SpeedButton3"), QStringLiteral("中止"),
                                    smallButtonAt(35, 230)))
{
    setObjectName(QStringLiteral("EntryDlg"));
    setFixedSize(193, 261);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(25, 142, 139, 63);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(33, 67);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(32, 88, 122, 20);
    QFont f = Edit1->font();
    f.setPixelSize(15);
    Edit1->setFont(f);

    switch (m_mode) {
    case FirstRun:
        setTitle(QStringLiteral("ユーザ初期登録"));
        Label1->setText(
            QStringLiteral("登録後「オプション」-「環境設定」で全項目を登録をしてください"));
        SpeedButton2->hide();
        SpeedButton3->hide();
        break;
    case NewUser:
        setTitle(QStringLiteral("新規ユーザ登録"));
        Label1->setText(QStringLiteral(
            "追加後ユーザ個々に 「オプション」-「環境設定」で全項目を登録をしてください"));
        SpeedButton2->hide();
        break;
    default:
        setTitle(QStringLiteral("ブランクカード印刷"));
        Label1->setText(QStringLiteral("印刷枚数を指定してください"));
        SpeedButton1->hide();
        SpeedButton3->setText(QStringLiteral("終了"));
        break;
    }
    const bool counting = m_mode == BlankCards;
    Label2->setText(counting ? QStringLiteral("印刷枚数") : QStringLiteral("コールサイン"));
    Label2->adjustSize();
    if (counting)
        Edit1->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,4}")), Edit1));
    else
        Edit1->setValidator(new CallsignValidator(Edit1));
    Edit1->clear();
    SpeedButton1->setEnabled(false);
    SpeedButton2->setEnabled(false);
    m_state.dialogModes.entry = m_mode;

    connect(Edit1, &QLineEdit::textChanged, this, &TEntryDlg::Edit1Change);
    connect(SpeedButton1, &QPushButton::clicked, this, &TEntryDlg::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TEntryDlg::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &TEntryDlg::SpeedButton3Click);
    Edit1->setFocus();
}

void TEntryDlg::Edit1Change()
{
    QPushButton *action = m_mode == BlankCards ? SpeedButton2 : SpeedButton1;
    action->setEnabled(!Edit1->text().isEmpty());
}

void TEntryDlg::SpeedButton1Click()
{
    const QString call = Edit1->text();
    if (call.isEmpty())
        return;
    if (app::isRegistered(m_state.callSignPath, call.toStdString())) {
        m_services.messages.notice(QStringLiteral("既に登録された局です"));
        Edit1->clear();
        Edit1->setFocus();
        return;
    }
    m_candidate = call;
    accept();
}

void TEntryDlg::SpeedButton2Click()
{
    if (Edit1->text().isEmpty()) {
        m_services.messages.notice(QStringLiteral("印刷枚数を入れてください"));
        Edit1->setFocus();
        return;
    }
    const int count = Edit1->text().toInt();
    // A count of 0 starts no print job at all.
    if (count > 0 && m_printBlank)
        m_printBlank(count);
    Edit1->clear();
}

void TEntryDlg::SpeedButton3Click()
{
    reject();
}

void TEntryDlg::done(int result)
{
    m_state.dialogModes.entry = 0;
    VezoDialog::done(result);
}

} // namespace vz::ui
