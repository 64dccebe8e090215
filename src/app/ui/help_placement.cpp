// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/help_placement.h"

#include <algorithm>
#include <array>

namespace vz::ui {

namespace {

// A small gap keeps the two frames apart.
constexpr int kGap = 4;

// `size` placed in `room`, as near to `anchor` (the asking window's corner) as the room lets.
QRect placeIn(const QRect &room, const QSize &size, const QPoint &anchor)
{
    const int x =
        std::clamp(anchor.x(), room.left(), std::max(room.left(), room.right() + 1 - size.width()));
    const int y =
        std::clamp(anchor.y(), room.top(), std::max(room.top(), room.bottom() + 1 - size.height()));
    return {QPoint(x, y), size};
}

} // namespace

QRect helpPlacement(const QRect &avoid, const QRect &screen, const QSize &preferred,
                    const QSize &minimum)
{
    // The free strips around the asking window, in the order they are preferred.
    const std::array<QRect, 4> rooms = {
        QRect(QPoint(avoid.right() + 1 + kGap, screen.top()), screen.bottomRight()),
        QRect(screen.topLeft(), QPoint(avoid.left() - 1 - kGap, screen.bottom())),
        QRect(QPoint(screen.left(), avoid.bottom() + 1 + kGap), screen.bottomRight()),
        QRect(screen.topLeft(), QPoint(screen.right(), avoid.top() - 1 - kGap)),
    };
    const QSize whole = preferred.boundedTo(screen.size());
    for (const QRect &room : rooms)
        if (room.width() >= whole.width() && room.height() >= whole.height())
            return placeIn(room, whole, avoid.topLeft());

    const auto area = [](const QRect &r) {
        return r.isValid() ? static_cast<long long>(r.width()) * r.height() : 0LL;
    };
    const QRect best =
        *std::max_element(rooms.begin(), rooms.end(), [&](const QRect &a, const QRect &b) {
            return area(a.intersected(screen)) < area(b.intersected(screen));
        });
    const QRect room = best.intersected(screen);
    const QSize shrunk = whole.boundedTo(room.size()).expandedTo(minimum).boundedTo(screen.size());
    // With too little room anywhere the help keeps its least size, on the screen.
    const QRect placed = placeIn(room.isValid() ? room : screen, shrunk, avoid.topLeft());
    return placeIn(screen, shrunk, placed.topLeft());
}

} // namespace vz::ui
