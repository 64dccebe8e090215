// SPDX-License-Identifier: GPL-3.0-or-later
// The clock panel at the right end of the main window: "Today" above two analogue faces, one
// for Japanese (local) time and one for GMT, each with its date line and time line below.
// A face is drawn into an image on every tick and shown from it.
#pragma once

#include "calendar/clock.h"

#include <QImage>
#include <QWidget>

class QLabel;

namespace vz::ui {

class ClockFace : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kSize = 76;

    explicit ClockFace(QWidget *parent = nullptr);

    // Marks, second and minute hands from `secondsSource` (the local time on both faces, so
    // the two faces tick together), hour hand from `hourSource`.
    void draw(const calendar::DateTimeParts &secondsSource,
              const calendar::DateTimeParts &hourSource);
    const QImage &image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};

class ClockPanel : public QWidget
{
    Q_OBJECT
public:
    explicit ClockPanel(QWidget *parent = nullptr);

    // Draws both faces and the four lines for one snapshot.
    void showTime(const calendar::ClockSnapshot &at);
    // The local time line as shown ("00:00:01" just after midnight).
    QString localTimeLine() const;

private:
    ClockFace *m_localFace;
    ClockFace *m_utcFace;
    QLabel *m_todayLabel;
    QLabel *m_localDateLabel;
    QLabel *m_localTimeLabel;
    QLabel *m_utcDateLabel;
    QLabel *m_utcTimeLabel;
};

} // namespace vz::ui
