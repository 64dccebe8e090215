// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/ui/clock_panel.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>

#include <cmath>

namespace vz::ui {

namespace {

// Degrees to radians with the face's own value of pi (3.1415926535 / 180), so the hands land
// on the same pixels at every angle.
constexpr double kRadiansPerDegree = 0.017453292519444445;
constexpr int kCentre = ClockFace::kSize / 2;

QPoint pointAt(double degrees, double radius)
{
    const double a = degrees * kRadiansPerDegree;
    return {static_cast<int>(kCentre + radius * std::cos(a)),
            static_cast<int>(kCentre + radius * std::sin(a))};
}

void hand(QPainter &p, double degrees, double radius)
{
    p.drawLine(QPoint(kCentre, kCentre), pointAt(degrees, radius));
}

QLabel *line(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

} // namespace

ClockFace::ClockFace(QWidget *parent) : QWidget(parent), m_image(kSize, kSize, QImage::Format_RGB32)
{
    setFixedSize(kSize, kSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_image.fill(palette().color(QPalette::Button));
}

void ClockFace::draw(const calendar::DateTimeParts &secondsSource,
                     const calendar::DateTimeParts &hourSource)
{
    QPainter p(&m_image);
    const QColor face = QApplication::palette().color(QPalette::Button);
    p.setPen(face);
    p.setBrush(face);
    p.drawRect(0, 0, 78, 78);

    const QColor grey(128, 128, 128);
    p.setPen(QPen(grey, 3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 12; ++i)
        p.drawLine(pointAt(30 * i - 90, 20.4), pointAt(30 * i - 90, 22));

    const int s = secondsSource.second;
    const int m = secondsSource.minute;
    p.setPen(QPen(QColor(255, 0, 0), 1, Qt::SolidLine, Qt::RoundCap));
    hand(p, 6 * s - 90, 25);
    p.setPen(QPen(grey, 2, Qt::SolidLine, Qt::RoundCap));
    hand(p, s / 10 + 6 * m - 90, 23);
    hand(p, 30 * hourSource.hour + hourSource.minute / 2 - 90, 16);
    p.end();
    update();
}

void ClockFace::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, m_image);
}

ClockPanel::ClockPanel(QWidget *parent)
    : QWidget(parent), m_localFace(new ClockFace(this)), m_utcFace(new ClockFace(this)),
      m_todayLabel(line(this, "todayLabel", {0, 0, 154, 13})),
      m_localDateLabel(line(this, "localDateLabel", {0, 90, 76, 14})),
      m_localTimeLabel(line(this, "localTimeLabel", {0, 104, 76, 14})),
      m_utcDateLabel(line(this, "utcDateLabel", {78, 90, 76, 14})),
      m_utcTimeLabel(line(this, "utcTimeLabel", {78, 104, 76, 14}))
{
    setFixedSize(154, 118);
    m_localFace->setObjectName(QStringLiteral("localClockFace"));
    m_utcFace->setObjectName(QStringLiteral("utcClockFace"));
    m_localFace->move(0, 13);
    m_utcFace->move(78, 13);
    m_todayLabel->setText(QStringLiteral("Today"));
    QFont small = font();
    small.setPointSize(8);
    for (QLabel *l :
         {m_todayLabel, m_localDateLabel, m_localTimeLabel, m_utcDateLabel, m_utcTimeLabel})
        l->setFont(small);
}

void ClockPanel::showTime(const calendar::ClockSnapshot &at)
{
    m_localFace->draw(at.local, at.local);
    m_utcFace->draw(at.local, at.utc);
    const calendar::ClockLines lines = calendar::clockLines(at);
    m_localDateLabel->setText(QString::fromLatin1(lines.localDate));
    m_localTimeLabel->setText(QString::fromLatin1(lines.localTime));
    m_utcDateLabel->setText(QString::fromLatin1(lines.utcDate));
    m_utcTimeLabel->setText(QString::fromLatin1(lines.utcTime));
}

QString ClockPanel::localTimeLine() const
{
    return m_localTimeLabel->text();
}

} // namespace vz::ui
