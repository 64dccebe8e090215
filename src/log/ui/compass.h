// SPDX-License-Identifier: GPL-3.0-or-later
// The compass rose of the contact dialog: a 78 x 78 image with N, E, S, W, twelve ticks and a
// blue needle pointing where the antenna should turn.
#pragma once

#include <QColor>

class QImage;

namespace vz::ui {

constexpr int kCompassSize = 78;

// Fills the image with the button face and paints the rose and the needle for `bearing`
// (whole degrees clockwise from north). Compass direction d lies at screen angle d - 90.
void drawCompass(QImage &image, int bearing, const QColor &face);

// Fills the image with the button face.
void clearCompass(QImage &image, const QColor &face);

} // namespace vz::ui
