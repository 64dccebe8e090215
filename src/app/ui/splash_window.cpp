// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/splash_window.h"

#include "common/ui/picture.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>

namespace vz::ui {

SplashWindow::SplashWindow(const QString &picturePath, MessageService &messages, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_picturePath(picturePath), m_messages(messages)
{
    setObjectName(QStringLiteral("splashWindow"));
    setWindowTitle(QStringLiteral("VEZODovi"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(350, 200);
    m_closeTimer.setSingleShot(true);
    m_closeTimer.setInterval(kShowMilliseconds);
    connect(&m_closeTimer, &QTimer::timeout, this, &QWidget::close);
    m_closeTimer.start();
}

void SplashWindow::showNow()
{
    // Read before showing: an error box raised behind a window that stays on top could not be
    // seen.
    m_picture = readPicture(m_picturePath, m_messages);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    show();
    repaint();
    // The main window is built next, without the event loop running: let the window system
    // put the picture on the screen first.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void SplashWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_picture.isNull())
        p.fillRect(rect(), palette().color(QPalette::Window));
    else
        p.drawImage(rect(), m_picture);
    // The thin frame of a window without caption.
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace vz::ui
