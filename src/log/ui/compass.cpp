// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/ui/compass.h"

#include <QImage>
#include <QPainter>

#include <cmath>

namespace vz::ui {

namespace {

constexpr double kPi = 3.14159265358979323846;

int truncated(double v)
{
    return static_cast<int>(std::trunc(v));
}

} // namespace

void clearCompass(QImage &image, const QColor &face)
{
    image.fill(face);
}

void drawCompass(QImage &image, int bearing, const QColor &face)
{
    image.fill(face);
    const QColor blue(0, 0, 255);
    const int a = image.height() / 6;
    const int m = a * 3 / 10;
    const int c = image.width() / 2;

    QPainter p(&image);
    p.setPen(blue);
    p.setBrush(blue);
    p.drawEllipse(QRect(QPoint(c - 2, c - 2), QPoint(c + 2, c + 2)));

    p.setPen(QPen(blue, 2));
    p.setBrush(Qt::NoBrush);
    p.setBackground(face);
    p.setBackgroundMode(Qt::OpaqueMode);
    QFont f = p.font();
    f.setPixelSize(9);
    p.setFont(f);
    for (int k = 0; k < 16; ++k) {
        const double theta = (k * 22.5 - 90) * kPi / 180;
        const double cs = std::cos(theta);
        const double sn = std::sin(theta);
        QPoint corner;
        QString letter;
        switch (k) {
        case 0:
            letter = QStringLiteral("N");
            corner = {truncated(c + 10.8 * m * cs - 4), truncated(c + 10.8 * m * sn - 2)};
            break;
        case 4:
            letter = QStringLiteral("E");
            corner = {truncated(c + 10 * m * cs - 4), truncated(c + 10 * m * sn - 5)};
            break;
        case 8:
            letter = QStringLiteral("S");
            corner = {truncated(c + 10 * m * cs - 2), truncated(c + 10 * m * sn - 6)};
            break;
        case 12:
            letter = QStringLiteral("W");
            corner = {truncated(c + 10 * m * cs - 2), truncated(c + 10 * m * sn - 4)};
            break;
        default:
            p.drawLine(QPoint(truncated(c + 10 * m * cs), truncated(c + 10 * m * sn)),
                       QPoint(truncated(c + 10.3 * m * cs), truncated(c + 10.3 * m * sn)));
            continue;
        }
        const QRect box = p.fontMetrics().boundingRect(letter);
        p.drawText(QRect(corner, box.size()), Qt::AlignLeft | Qt::AlignTop, letter);
    }

    const int length = truncated((a * 3 / 2) * 1.4);
    const double theta = (bearing - 90) * kPi / 180;
    p.setBackgroundMode(Qt::TransparentMode);
    p.drawLine(QPoint(c, c), QPoint(truncated(c + length * std::cos(theta)),
                                    truncated(c + length * std::sin(theta))));
}

} // namespace vz::ui
