// SPDX-License-Identifier: GPL-3.0-or-later
#include "wsjtx/ui/wsjtx_page.h"

#include "wsjtx/ui/wsjtx_link.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace vz::ui {

WsjtxPage::WsjtxPage(app::AppState &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setVerticalSpacing(3);
    auto named = [](QWidget *w, const char *name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    m_enabledCheck = new QCheckBox(QStringLiteral("WSJT-X / JTDX の交信をログに登録する"), this);
    named(m_enabledCheck, "enabledCheck");
    grid->addWidget(m_enabledCheck, 0, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("UDP アドレス"), this), 1, 0);
    grid->addWidget(named(m_addressEdit = new QLineEdit(this), "addressEdit"), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("ポート"), this), 1, 2);
    grid->addWidget(named(m_portEdit = new QLineEdit(this), "portEdit"), 1, 3);
    m_portEdit->setValidator(new QIntValidator(1, 65535, m_portEdit));
    grid->addWidget(new QLabel(QStringLiteral("マルチキャストのインタフェース"), this), 2, 0);
    grid->addWidget(named(m_interfaceEdit = new QLineEdit(this), "interfaceEdit"), 2, 1);
    m_qslCardCheck = new QCheckBox(QStringLiteral("登録した交信を QSL カード発行にする"), this);
    grid->addWidget(named(m_qslCardCheck, "qslCardCheck"), 2, 2, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("転送先 (host:port をカンマ区切り)"), this), 3, 0);
    grid->addWidget(named(m_forwardEdit = new QLineEdit(this), "forwardEdit"), 3, 1, 1, 3);
    auto *note = new QLabel(
        QStringLiteral("転送は一方向です。WSJT-X に応答するツール (JTAlert など) は、"
                       "転送ではなくマルチキャスト (例 239.255.0.1) で共有してください。"),
        this);
    note->setWordWrap(true);
    grid->addWidget(note, 4, 0, 1, 4);
    m_logView = new QPlainTextEdit(this);
    named(m_logView, "logView");
    m_logView->setReadOnly(true);
    m_logView->setMaximumBlockCount(100);
    grid->addWidget(m_logView, 5, 0, 1, 4);
    grid->setRowStretch(5, 1);

    for (QCheckBox *box : {m_enabledCheck, m_qslCardCheck})
        connect(box, &QCheckBox::toggled, this, &WsjtxPage::change);
    for (QLineEdit *edit : {m_addressEdit, m_portEdit, m_interfaceEdit, m_forwardEdit})
        connect(edit, &QLineEdit::textEdited, this, &WsjtxPage::change);
}

void WsjtxPage::setLink(WsjtxLink *link)
{
    m_link = link;
    if (link)
        connect(link, &WsjtxLink::logChanged, this, &WsjtxPage::showLog);
    showLog();
}

void WsjtxPage::load()
{
    m_settings = wsjtx::readListenerSettings(m_state.settingsPath);
    m_showing = true;
    m_enabledCheck->setChecked(m_settings.enabled);
    m_addressEdit->setText(QString::fromStdString(m_settings.address));
    m_portEdit->setText(QString::number(m_settings.port));
    m_interfaceEdit->setText(QString::fromStdString(m_settings.interfaceName));
    m_qslCardCheck->setChecked(m_settings.qslCard);
    QStringList forward;
    for (const auto &f : m_settings.forwardTo)
        forward << QString::fromStdString(f);
    m_forwardEdit->setText(forward.join(QStringLiteral(",")));
    m_showing = false;
    m_dirty = false;
    showLog();
}

void WsjtxPage::change()
{
    if (m_showing)
        return;
    m_dirty = true;
    Q_EMIT edited();
}

bool WsjtxPage::save()
{
    if (!m_dirty)
        return true;
    wsjtx::ListenerSettings s;
    s.enabled = m_enabledCheck->isChecked();
    s.address = m_addressEdit->text().trimmed().toStdString();
    if (s.address.empty())
        s.address = wsjtx::kDefaultAddress;
    bool ok = false;
    const int port = m_portEdit->text().toInt(&ok);
    s.port = ok && port >= 1 && port <= 65535 ? port : wsjtx::kDefaultPort;
    s.interfaceName = m_interfaceEdit->text().trimmed().toStdString();
    s.qslCard = m_qslCardCheck->isChecked();
    for (const QString &f : m_forwardEdit->text().split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!f.trimmed().isEmpty())
            s.forwardTo.push_back(f.trimmed().toStdString());
    if (s == m_settings) {
        m_dirty = false;
        return true;
    }
    if (!wsjtx::writeListenerSettings(m_state.settingsPath, s))
        return false;
    m_settings = s;
    m_dirty = false;
    return true;
}

void WsjtxPage::showLog()
{
    const QStringList lines = m_link ? m_link->logLines() : QStringList();
    m_logView->setPlainText(lines.join(QLatin1Char('\n')));
}

} // namespace vz::ui
