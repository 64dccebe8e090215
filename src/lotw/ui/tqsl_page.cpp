// SPDX-License-Identifier: GPL-3.0-or-later
#include "lotw/ui/tqsl_page.h"

#include "lotw/lotw_report.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace vz::ui {

TqslPage::TqslPage(app::AppState &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setVerticalSpacing(3);
    grid->addWidget(new QLabel(QStringLiteral("TQSL の局の所在地 (Station Location)"), this), 0, 0);
    m_locationCombo = new QComboBox(this);
    m_locationCombo->setObjectName(QStringLiteral("locationCombo"));
    // Editable: a location may be typed before TQSL has it, or TQSL's file may be elsewhere.
    m_locationCombo->setEditable(true);
    grid->addWidget(m_locationCombo, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("tqsl プログラム"), this), 1, 0);
    m_programEdit = new QLineEdit(this);
    m_programEdit->setObjectName(QStringLiteral("programEdit"));
    grid->addWidget(m_programEdit, 1, 1);
    auto *note = new QLabel(
        QStringLiteral("「LoTWへ送信」は未送信の交信を tqsl で署名して LoTW へ送ります。"
                       "コールサイン証明書はパスワードなしで TQSL に読み込んでください"
                       " (パスワードがあると TQSL は入力を待ち、時間切れで止められます)。"
                       "TQSL は Debian では sudo apt install trustedqsl で入れられます。"),
        this);
    note->setWordWrap(true);
    grid->addWidget(note, 2, 0, 1, 2);
    // LoTW's user names and addresses are plain ASCII; nothing else can be sent as typed.
    const QRegularExpression ascii(QStringLiteral("[\\x21-\\x7e]*"));
    grid->addWidget(new QLabel(QStringLiteral("LoTW のユーザ名"), this), 3, 0);
    m_lotwUserEdit = new QLineEdit(this);
    m_lotwUserEdit->setObjectName(QStringLiteral("lotwUserEdit"));
    m_lotwUserEdit->setValidator(new QRegularExpressionValidator(ascii, m_lotwUserEdit));
    grid->addWidget(m_lotwUserEdit, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("確認の取得先"), this), 4, 0);
    m_reportAddressEdit = new QLineEdit(this);
    m_reportAddressEdit->setObjectName(QStringLiteral("reportAddressEdit"));
    m_reportAddressEdit->setValidator(new QRegularExpressionValidator(ascii, m_reportAddressEdit));
    grid->addWidget(m_reportAddressEdit, 4, 1);
    auto *downloadNote = new QLabel(
        QStringLiteral(
            "「LoTWから確認を取得」は前回の取得から後の確認を LoTW から取り寄せます。"
            "パスワードはデスクトップのキーリングに保存し、キーリングがなければ毎回尋ねます。"),
        this);
    downloadNote->setWordWrap(true);
    grid->addWidget(downloadNote, 5, 0, 1, 2);
    grid->setRowStretch(6, 1);
    grid->setColumnStretch(1, 1);
    connect(m_locationCombo, &QComboBox::currentTextChanged, this, &TqslPage::change);
    connect(m_programEdit, &QLineEdit::textEdited, this, &TqslPage::change);
    connect(m_lotwUserEdit, &QLineEdit::textEdited, this, &TqslPage::change);
    connect(m_reportAddressEdit, &QLineEdit::textEdited, this, &TqslPage::change);
}

void TqslPage::load()
{
    m_settings = lotw::readTqslSettings(m_state.settingsPath);
    m_showing = true;
    m_locationCombo->clear();
    for (const std::string &name : lotw::stationLocations(lotw::tqslStationDataPath()))
        m_locationCombo->addItem(QString::fromStdString(name));
    m_locationCombo->setCurrentText(QString::fromStdString(m_settings.location));
    m_programEdit->setText(QString::fromStdString(m_settings.program));
    m_report = lotw::readReportSettings(m_state.settingsPath);
    m_lotwUserEdit->setText(QString::fromStdString(m_report.user));
    m_reportAddressEdit->setText(QString::fromStdString(m_report.address));
    m_showing = false;
    m_dirty = false;
}

void TqslPage::change()
{
    if (m_showing)
        return;
    m_dirty = true;
    Q_EMIT edited();
}

bool TqslPage::save()
{
    if (!m_dirty)
        return true;
    lotw::TqslSettings s;
    s.location = m_locationCombo->currentText().trimmed().toStdString();
    s.program = m_programEdit->text().trimmed().toStdString();
    if (s.program.empty())
        s.program = lotw::kDefaultTqslProgram;
    if (!(s == m_settings)) {
        if (!lotw::writeTqslSettings(m_state.settingsPath, s))
            return false;
        m_settings = s;
    }
    lotw::ReportSettings r = m_report;
    r.user = m_lotwUserEdit->text().trimmed().toStdString();
    r.address = m_reportAddressEdit->text().trimmed().toStdString();
    if (r.address.empty())
        r.address = lotw::kDefaultReportAddress;
    if (r.user != m_report.user || r.address != m_report.address) {
        if (!lotw::writeReportAccount(m_state.settingsPath, r.user, r.address))
            return false;
        m_report = r;
    }
    m_dirty = false;
    return true;
}

} // namespace vz::ui
