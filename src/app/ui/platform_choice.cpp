// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/platform_choice.h"

#include <QtGlobal>

namespace vz::ui {

QByteArray chosenPlatform(const QByteArray &qpaPlatform, const QByteArray &waylandDisplay,
                          const QByteArray &display)
{
    if (!qpaPlatform.isEmpty() || waylandDisplay.isEmpty() || display.isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

void choosePlatform()
{
    const QByteArray platform =
        chosenPlatform(qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"));
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
}

} // namespace vz::ui
