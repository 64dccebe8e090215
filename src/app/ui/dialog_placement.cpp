// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/dialog_placement.h"

#include <algorithm>

namespace vz::ui {

namespace {

constexpr int kLeft = 300;

// Keeps a span of `length` starting at `at` within [low, high) where it can.
int clampInto(int at, int length, int low, int high)
{
    return std::max(low, std::min(at, high - length));
}

QPoint centredOver(const QRect &mainFrame, QSize dialog, const QRect &screen)
{
    return {clampInto(mainFrame.center().x() + 1 - dialog.width() / 2, dialog.width(),
                      screen.left(), screen.right() + 1),
            clampInto(mainFrame.center().y() + 1 - dialog.height() / 2, dialog.height(),
                      screen.top(), screen.bottom() + 1)};
}

} // namespace

QPoint hintBarPlace(const QRect &mainFrame, QSize bar, const QRect &screen)
{
    const int x = clampInto(mainFrame.x(), bar.width(), screen.left(), screen.right() + 1);
    const int below = mainFrame.bottom() + 1;
    if (below + bar.height() <= screen.bottom() + 1)
        return {x, below};
    return {x, std::max(screen.top(), mainFrame.top() - bar.height())};
}

DialogPlaces placeNearMain(const QRect &mainFrame, QSize dialog, QSize bar, const QRect &screen,
                           Placement placement)
{
    const int screenEnd = screen.bottom() + 1;
    const int wantedX =
        placement == Placement::CarriesHintBar ? mainFrame.x() : screen.left() + kLeft;
    const int x = clampInto(wantedX, dialog.width(), screen.left(), screen.right() + 1);
    const int barX = clampInto(mainFrame.x(), bar.width(), screen.left(), screen.right() + 1);
    const int below = mainFrame.bottom() + 1;
    const int stack = dialog.height() + bar.height();

    // Below the main window: the bar first for a dialog at 300, the dialog first when docked.
    if (below + stack <= screenEnd) {
        if (placement == Placement::Left300)
            return {{x, below + bar.height()}, {barX, below}};
        return {{x, below}, {barX, below + dialog.height()}};
    }
    // Above it; the bar keeps its own place, which is above too when the main window sits
    // at the very bottom.
    const QPoint barAt = hintBarPlace(mainFrame, bar, screen);
    const int above = mainFrame.top();
    const bool barAbove = barAt.y() < above;
    const int dialogTop = above - dialog.height() - (barAbove ? bar.height() : 0);
    if (dialogTop >= screen.top())
        return {{x, dialogTop}, barAt};
    // No room on either side: over the main window, centred, the bar where it rests; a dialog
    // that would then cover the bar stands just above or below it instead.
    QPoint at = centredOver(mainFrame, dialog, screen);
    if (QRect(at, dialog).intersects(QRect(barAt, bar))) {
        if (barAt.y() - dialog.height() >= screen.top())
            at.setY(barAt.y() - dialog.height());
        else if (barAt.y() + stack <= screenEnd)
            at.setY(barAt.y() + bar.height());
    }
    return {at, barAt};
}

QPoint placeUnderBar(const QRect &barFrame, QSize dialog, const QRect &mainFrame,
                     const QRect &screen)
{
    const int x =
        clampInto(screen.left() + kLeft, dialog.width(), screen.left(), screen.right() + 1);
    const QPoint candidates[] = {{x, barFrame.bottom() + 1},
                                 centredOver(mainFrame, dialog, screen),
                                 {x, barFrame.top() - dialog.height()}};
    for (const QPoint &at : candidates) {
        const QRect place(at, dialog);
        if (screen.contains(place) && !place.intersects(barFrame))
            return at;
    }
    return candidates[1];
}

} // namespace vz::ui
