// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up picture: a 350 x 200 window in the middle of the screen, on top of the others,
// with a thin frame and no caption, showing "VEZODovi.jpg" stretched to fit. It closes, and
// destroys itself, at the first tick of a 2-second timer that runs from its creation, so it
// stays up while the main window and the first-run registration are being built.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

namespace vz::ui {

class MessageService;

class SplashWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kShowMilliseconds = 2000;

    SplashWindow(const QString &picturePath, MessageService &messages, QWidget *parent = nullptr);

    // Reads the picture (a picture that cannot be read is reported and the window shows without
    // one), shows the window in the middle of the screen and paints it before returning.
    void showNow();
    bool hasPicture() const { return !m_picture.isNull(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_picturePath;
    MessageService &m_messages;
    QImage m_picture;
    QTimer m_closeTimer;
};

} // namespace vz::ui
