// SPDX-License-Identifier: GPL-3.0-or-later
// Where the help window goes when a window asks for it: clear of the asking window, so that
// its buttons stay in reach while the help is read. Beside it (right, then left) where the
// screen has room for the whole help window, else below it, then above it; where none has
// room, in the largest of those free strips, shrunk to fit it.
#pragma once

#include <QRect>
#include <QSize>

namespace vz::ui {

// All rectangles are frames (window decorations included), in screen coordinates.
// `avoid`: the asking window; `screen`: the screen's available area; `preferred`: the help
// window's full size. The result never goes below `minimum` and stays on the screen.
QRect helpPlacement(const QRect &avoid, const QRect &screen, const QSize &preferred,
                    const QSize &minimum);

} // namespace vz::ui
