// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own texts (the buttons of message boxes, the file dialogs, the help window) in Japanese
// under a Japanese locale. The program's own texts are Japanese already; under any other
// locale Qt keeps its English.
#pragma once

#include <QLocale>

class QCoreApplication;

namespace vz::ui {

// Loads qtbase and qt_help for `locale` when it is Japanese, from Qt's translations folder;
// the translators belong to `app`. The number of catalogues installed.
int installQtTranslations(QCoreApplication &app, const QLocale &locale = QLocale::system());

} // namespace vz::ui
