// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/program_files.h"

#include "common/data_dir.h"

#include <QDir>
#include <QFileInfo>

namespace vz::ui {

QStringList programFileFolders(const QString &workingDirectory, const QString &programDirectory)
{
    const QDir program(programDirectory);
    return {
        workingDirectory,
        QDir::cleanPath(program.absoluteFilePath(QStringLiteral("../share/vezodovi"))),
    };
}

QString findProgramFile(const QString &name, const QString &workingDirectory,
                        const QString &programDirectory)
{
    // Files copied from another machine may be spelt CLICK.WAV; the working directory is
    // searched the way the data directory is.
    const DataDir work((QDir(workingDirectory).absolutePath() + QLatin1Char('/')).toStdString());
    const QString inWork = QString::fromStdString(work.path(name.toStdString()));
    if (QFileInfo(inWork).isFile())
        return inWork;
    const QStringList folders = programFileFolders(workingDirectory, programDirectory);
    for (qsizetype i = 1; i < folders.size(); ++i) {
        const QString candidate = QDir(folders[i]).absoluteFilePath(name);
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(candidate);
    }
    return inWork;
}

} // namespace vz::ui
