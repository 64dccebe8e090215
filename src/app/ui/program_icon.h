// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon, drawn rather than shipped: a Yagi antenna sending waves on a blue
// square, the motif of the start-up picture.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace vz::ui {

QPixmap programIconPixmap(int size);
QIcon programIcon();

} // namespace vz::ui
