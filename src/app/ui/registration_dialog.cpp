// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/registration_dialog.h"

#include "app/user_registry.h"
#include "common/data_dir.h"
#include "common/ui/refused_character.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace vz::ui {

QValidator::State CallsignValidator::validate(QString &input, int &) const
{
    input = input.toUpper();
    for (const char32_t c : input.toUcs4())
        if (!((c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9'))) {
            // Dropping it without a word would leave a different callsign looking right.
            reportRefusal(parent(), QStringLiteral("「%1」はコールサインに使えない文字です")
                                        .arg(QString::fromUcs4(&c, 1)));
            return Invalid;
        }
    if (input.size() > 10)
        return Invalid;
    return input.isEmpty() ? Intermediate : Acceptable;
}

RegistrationDialog::RegistrationDialog(app::AppState &state, UiServices &services, int mode,
                                       QWidget *parent)
    : VezoDialog({state.settings.flatWindow, state.settings.keyClick}, services, parent),
      m_state(state), m_mode(mode), m_explanationLabel(new QLabel(this)),
      m_captionLabel(new QLabel(this)), m_inputEdit(new QLineEdit(this)),
      m_registerButton(makeDialogButton(this, QStringLiteral("registerButton"),
                                        QStringLiteral("登録"), smallButtonAt(115, 229))),
      m_printButton(makeDialogButton(this, QStringLiteral("printButton"), QStringLiteral("印刷"),
                                     smallButtonAt(115, 229))),
      m_closeButton(makeDialogButton(this, QStringLiteral("closeButton"), QStringLiteral("中止"),
                                     smallButtonAt(35, 230)))
{
    setObjectName(QStringLiteral("RegistrationDialog"));
    setFixedSize(193, 261);
    m_explanationLabel->setObjectName(QStringLiteral("explanationLabel"));
    m_explanationLabel->setGeometry(25, 142, 139, 63);
    m_explanationLabel->setWordWrap(true);
    m_explanationLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_captionLabel->setObjectName(QStringLiteral("captionLabel"));
    m_captionLabel->move(33, 67);
    m_inputEdit->setObjectName(QStringLiteral("inputEdit"));
    m_inputEdit->setGeometry(32, 88, 122, 20);
    QFont f = m_inputEdit->font();
    f.setPixelSize(15);
    m_inputEdit->setFont(f);

    switch (m_mode) {
    case FirstRun:
        setTitle(QStringLiteral("ユーザ初期登録"));
        m_explanationLabel->setText(
            QStringLiteral("登録後「オプション」-「環境設定」で全項目を登録をしてください"));
        m_printButton->hide();
        m_closeButton->hide();
        break;
    case NewUser:
        setTitle(QStringLiteral("新規ユーザ登録"));
        m_explanationLabel->setText(QStringLiteral(
            "追加後ユーザ個々に 「オプション」-「環境設定」で全項目を登録をしてください"));
        m_printButton->hide();
        break;
    default:
        setTitle(QStringLiteral("ブランクカード印刷"));
        m_explanationLabel->setText(QStringLiteral("印刷枚数を指定してください"));
        m_registerButton->hide();
        m_closeButton->setText(QStringLiteral("終了"));
        break;
    }
    const bool counting = m_mode == BlankCards;
    m_captionLabel->setText(counting ? QStringLiteral("印刷枚数") : QStringLiteral("コールサイン"));
    m_captionLabel->adjustSize();
    if (counting)
        m_inputEdit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,4}")), m_inputEdit));
    else
        m_inputEdit->setValidator(new CallsignValidator(m_inputEdit));
    m_inputEdit->clear();
    m_registerButton->setEnabled(false);
    m_printButton->setEnabled(false);
    m_state.dialogModes.entry = m_mode;

    connect(m_inputEdit, &QLineEdit::textChanged, this, &RegistrationDialog::inputEdited);
    connect(m_registerButton, &QPushButton::clicked, this, &RegistrationDialog::registerCallsign);
    connect(m_printButton, &QPushButton::clicked, this, &RegistrationDialog::printBlankCards);
    connect(m_closeButton, &QPushButton::clicked, this, &RegistrationDialog::closeDialog);
    m_inputEdit->setFocus();
}

void RegistrationDialog::inputEdited()
{
    QPushButton *action = m_mode == BlankCards ? m_printButton : m_registerButton;
    action->setEnabled(!m_inputEdit->text().isEmpty());
}

void RegistrationDialog::registerCallsign()
{
    const QString call = m_inputEdit->text();
    if (call.isEmpty())
        return;
    if (app::isRegistered(m_state.callSignPath, call.toStdString())) {
        m_services.messages.notice(QStringLiteral("既に登録された局です"));
        m_inputEdit->clear();
        m_inputEdit->setFocus();
        return;
    }
    m_candidate = call;
    accept();
}

void RegistrationDialog::printBlankCards()
{
    if (m_inputEdit->text().isEmpty()) {
        m_services.messages.notice(QStringLiteral("印刷枚数を入れてください"));
        m_inputEdit->setFocus();
        return;
    }
    const int count = m_inputEdit->text().toInt();
    // A count of 0 starts no print job at all.
    if (count > 0 && m_printBlank)
        m_printBlank(count);
    m_inputEdit->clear();
}

void RegistrationDialog::closeDialog()
{
    reject();
}

void RegistrationDialog::done(int result)
{
    m_state.dialogModes.entry = 0;
    VezoDialog::done(result);
}

} // namespace vz::ui
