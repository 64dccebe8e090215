// SPDX-License-Identifier: GPL-3.0-or-later
// The windowing platform the program asks Qt for. Windows are placed at fixed screen
// positions (the strip at the top, dialogs docked under it), which a Wayland client cannot
// do; in a Wayland session that also offers X11 (XWayland) the program takes X11. A platform
// the user set in QT_QPA_PLATFORM always wins, and without DISPLAY Qt keeps its own choice,
// since an X11 client could not start at all.
#pragma once

#include <QByteArray>

namespace vz::ui {

// The QT_QPA_PLATFORM value to set for these three environment values (empty meaning unset),
// or an empty array to leave the platform to Qt.
QByteArray chosenPlatform(const QByteArray &qpaPlatform, const QByteArray &waylandDisplay,
                          const QByteArray &display);

// Applies chosenPlatform() to this process's environment; called before QApplication exists.
void choosePlatform();

} // namespace vz::ui
