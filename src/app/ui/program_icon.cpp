// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/program_icon.h"

#include <QLinearGradient>
#include <QPainter>

namespace vz::ui {

QPixmap programIconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 64 x 64 grid and scaled.
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient sky(0, 0, 0, 64);
    sky.setColorAt(0, QColor(0x0b, 0x2a, 0x5b));
    sky.setColorAt(1, QColor(0x2f, 0x6d, 0xb5));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(1, 1, 62, 62), 10, 10);

    p.setPen(QPen(QColor(0xe8, 0xe8, 0xe8), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(32, 36), QPointF(32, 58)); // mast
    p.drawLine(QPointF(14, 36), QPointF(50, 36)); // boom
    p.setPen(QPen(QColor(0xe8, 0xe8, 0xe8), 3, Qt::SolidLine, Qt::RoundCap));
    for (const qreal x : {18.0, 26.0, 38.0, 46.0})
        p.drawLine(QPointF(x, 30), QPointF(x, 42)); // elements

    p.setPen(QPen(QColor(0x9f, 0xd3, 0xff), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (const qreal r : {8.0, 15.0, 22.0})
        p.drawArc(QRectF(32 - r, 30 - r, 2 * r, 2 * r), 40 * 16, 100 * 16);
    return pixmap;
}

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128})
        icon.addPixmap(programIconPixmap(size));
    return icon;
}

} // namespace vz::ui
