// SPDX-License-Identifier: GPL-3.0-or-later
// The title line under the command tabs: the program's name and phrase, each drawn white
// over a dark grey copy one pixel up and left, then the current callsign in white and blue.
#pragma once

#include <QWidget>

namespace vz::ui {

class TitleLine : public QWidget
{
    Q_OBJECT
public:
    explicit TitleLine(QWidget *parent = nullptr);
    void setCallsign(const QString &call);
    QString callsign() const { return m_call; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_call;
};

} // namespace vz::ui
