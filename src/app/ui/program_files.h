// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own files, as opposed to the user's data: the start-up picture
// "VEZODovi.jpg", the key click "Click.wav" and the help file "VEZODovi.qch". Each is looked
// for in the working directory (where the logbook has always kept them), then in
// share/vezodovi beside the program's folder: <prefix>/share/vezodovi for <prefix>/bin when
// installed, <build>/share/vezodovi for <build>/src when started from the build tree, which
// the build fills the same way.
#pragma once

#include <QString>
#include <QStringList>

namespace vz::ui {

inline constexpr char kSplashPictureFile[] = "VEZODovi.jpg";
inline constexpr char kKeyClickFile[] = "Click.wav";
inline constexpr char kHelpFile[] = "VEZODovi.qch";

// The folders searched, in order, for a program started from `programDirectory`.
QStringList programFileFolders(const QString &workingDirectory, const QString &programDirectory);

// The first existing file of that name (letter case ignored in the working directory, like the
// data files); when there is none, the path in the working directory, for the error message.
QString findProgramFile(const QString &name, const QString &workingDirectory,
                        const QString &programDirectory);

} // namespace vz::ui
