// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/picture.h"

#include "common/ui/message_service.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>

namespace vz::ui {

namespace {

// libjpeg pads a cut-off JPEG with grey and only warns, so the reader calls it a success. A
// whole JPEG (it starts with the start-of-image marker) ends with its end-of-image marker,
// perhaps followed by a little padding; that marker cannot occur inside the compressed data,
// where every 0xFF is followed by 0x00 or a restart number.
bool isCutOffJpeg(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.read(2) != QByteArray("\xFF\xD8", 2))
        return false;
    const qint64 tailSize = std::min<qint64>(f.size(), 1024);
    if (!f.seek(f.size() - tailSize))
        return true;
    return !f.read(tailSize).contains(QByteArray("\xFF\xD9", 2));
}

} // namespace

QImage readPicture(const QString &path, MessageService &messages)
{
    QImageReader reader(path);
    QImage image = reader.read();
    QString problem;
    if (image.isNull())
        problem = reader.errorString();
    else if (isCutOffJpeg(path))
        problem = QStringLiteral("Premature end of JPEG file");
    if (problem.isEmpty())
        return image;
    messages.unexpected(QStringLiteral("%1\n%2").arg(path, problem));
    return {};
}

} // namespace vz::ui
