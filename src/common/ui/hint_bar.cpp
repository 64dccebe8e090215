// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/hint_bar.h"

#include "common/ui/refused_character.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QStatusBar>
#include <QStatusTipEvent>

namespace vz::ui {

HintBar::HintBar(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      m_statusBar(new QStatusBar(this)), m_hintTitle(new QLabel(QStringLiteral("  【Hint】"))),
      m_hintText(new QLabel), m_progressBar(new QProgressBar(this)), m_progress(m_progressBar)
{
    setObjectName(QStringLiteral("HintBar"));
    setWindowTitle(QStringLiteral("【Hint】"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(787, 26);
    m_statusBar->setObjectName(QStringLiteral("statusBar"));
    m_statusBar->setSizeGripEnabled(false);
    m_statusBar->setGeometry(1, 1, 785, 24);
    // As wide as its text in the face it is drawn in, closing bracket included.
    m_hintTitle->setFixedWidth(m_hintTitle->sizeHint().width());
    m_hintText->setObjectName(QStringLiteral("hintText"));
    m_statusBar->addWidget(m_hintTitle);
    m_statusBar->addWidget(m_hintText, 1);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setGeometry(575, 7, 200, 11);
    m_progressBar->setTextVisible(false);
    m_progressBar->hide();
}

void HintBar::showHint(const QString &text)
{
    m_hintText->setText(text);
}

QString HintBar::hint() const
{
    return m_hintText->text();
}

void HintBar::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

HintRouter::HintRouter(HintBar &bar, QObject *parent) : QObject(parent), m_bar(bar) {}

bool HintRouter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == RefusedCharacterEvent::eventType()) {
        m_bar.showHint(static_cast<RefusedCharacterEvent *>(event)->message());
        m_refusalShown = true;
        return true;
    }
    if (event->type() == QEvent::KeyPress && m_refusalShown) {
        m_refusalShown = false;
        m_bar.showHint(QString());
    }
    if (event->type() == QEvent::StatusTip) {
        // Leaving a command sends an empty tip, which clears the hint.
        m_bar.showHint(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void setHint(QWidget *command, const QString &hintWithBar)
{
    const qsizetype bar = hintWithBar.indexOf(QLatin1Char('|'));
    command->setToolTip(bar > 0 ? hintWithBar.left(bar) : QString());
    command->setStatusTip(bar >= 0 ? hintWithBar.mid(bar + 1) : hintWithBar);
}

} // namespace vz::ui
