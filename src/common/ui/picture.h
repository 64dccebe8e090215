// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures shown in windows (the start-up picture, the sample card) are decoded by Qt's image
// reader, JPEG through libjpeg-turbo. A picture that cannot be read is reported in the plain
// error box with the reader's own message, and the window goes on without it.
#pragma once

#include <QImage>
#include <QString>

namespace vz::ui {

class MessageService;

// The picture in `path`, or a null image after the error box.
QImage readPicture(const QString &path, MessageService &messages);

} // namespace vz::ui
