// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_state.h"
#include "app/ui/font_setup.h"
#include "app/ui/main_window.h"
#include "common/ui/window_services.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    // Windows are placed at fixed screen positions, which Wayland does not allow; run on
    // XWayland there unless the user chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VEZODovi"));
    vz::ui::installFontSubstitutions();

    vz::app::AppState state;
    vz::ui::UiServices services;
    vz::ui::MainWindow mainForm(state, services, QDir::currentPath());
    QObject::connect(&mainForm, &vz::ui::MainWindow::closed, &app, &QCoreApplication::quit);
    mainForm.show();
    return app.exec();
}
