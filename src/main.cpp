// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_state.h"
#include "app/ui/help_window.h"
#include "app/ui/main_window.h"
#include "app/ui/platform_choice.h"
#include "app/ui/program_files.h"
#include "app/ui/program_icon.h"
#include "app/ui/qt_translations.h"
#include "app/ui/splash_window.h"
#include "cards/font_setup.h"
#include "common/ui/window_services.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    vz::ui::choosePlatform();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VEZODovi"));
    QApplication::setWindowIcon(vz::ui::programIcon());
    vz::ui::installFontSubstitutions();
    vz::ui::installQtTranslations(app);

    const QString workingDirectory = QDir::currentPath();
    const auto programFile = [&](const char *name) {
        return vz::ui::findProgramFile(QLatin1String(name), workingDirectory,
                                       QApplication::applicationDirPath());
    };
    vz::app::AppState state;
    vz::ui::UiServices services;
    // The picture shows while the main window is built; it closes itself after two seconds.
    (new vz::ui::SplashWindow(programFile(vz::ui::kSplashPictureFile), services.messages))
        ->showNow();
    services.keyClick.setSoundFile(programFile(vz::ui::kKeyClickFile));
    vz::ui::HelpDesk help(services.help, programFile(vz::ui::kHelpFile));

    vz::ui::MainWindow mainWindow(state, services, workingDirectory);
    QObject::connect(&mainWindow, &vz::ui::MainWindow::closed, &app, &QCoreApplication::quit);
    mainWindow.show();
    return app.exec();
}
