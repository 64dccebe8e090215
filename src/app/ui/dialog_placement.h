// SPDX-License-Identifier: GPL-3.0-or-later
// Where a dialog and the hint bar stand beside the main window. Pure geometry on frame
// rectangles, so the rules are testable without a window system.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace vz::ui {

enum class Placement {
    CarriesHintBar, // docked under the main window, the hint bar moves under the dialog
    Left300,        // at x = 300 just below the hint bar, which stays under the main window
    UnderHintBar,   // at x = 300 just below the hint bar wherever it stands (a dialog opened
                    // from a docked dialog); the bar does not move
};

struct DialogPlaces
{
    QPoint dialog;  // top-left of the dialog's frame
    QPoint hintBar; // top-left of the hint bar's frame
};

// The hint bar's own place: under the main window, or above it when the main window sits
// too low for the bar to show below it.
QPoint hintBarPlace(const QRect &mainFrame, QSize bar, const QRect &screen);

// A dialog of frame size `dialog` opened from the main window. Below the main window when the
// dialog and the bar fit there; else above it; else the dialog is centred over the main window
// and the bar keeps its own place (the dialog moved off the bar where the screen allows).
DialogPlaces placeNearMain(const QRect &mainFrame, QSize dialog, QSize bar, const QRect &screen,
                           Placement placement);

// A dialog placed at 300 under the bar where it stands now; where that would leave the
// screen, centred over the main window, or else just above the bar.
QPoint placeUnderBar(const QRect &barFrame, QSize dialog, const QRect &mainFrame,
                     const QRect &screen);

} // namespace vz::ui
