// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vz::ui {

int installQtTranslations(QCoreApplication &app, const QLocale &locale)
{
    if (locale.language() != QLocale::Japanese)
        return 0;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    int installed = 0;
    for (const char *catalogue : {"qtbase", "qt_help"}) {
        auto *translator = new QTranslator(&app);
        if (translator->load(QLocale(QLocale::Japanese), QLatin1String(catalogue),
                             QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(translator))
            ++installed;
        else
            delete translator;
    }
    return installed;
}

} // namespace vz::ui
